// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LEVELSOURCE_H
#define LEVELSOURCE_H

#include <QPointF>
#include <QString>
#include <QVector>

// The compiler's in-memory form of the level sources, already validated.

struct SourceVertex
{
    QPointF point;
    int type = 0;
};

// A start point and its further points (terrain piece or collision outline).
struct SourceOutline
{
    QPointF start;
    QVector<SourceVertex> vertices;
};

struct SourceObjectType
{
    int id = 0;
    QString name;
    QString kind; // Ball, Box, Generic_Static, Generic_Static_Foreground
    double width = 0.0;
    double height = 0.0;
    double mass = 0.0;
    double bounciness = 0.0;
    double friction = 0.0;
    QString pixmapFile; // resource path or empty
    bool hasOutline = false;
    SourceOutline outline;
};

struct SourceObject
{
    int typeId = 0;
    double x = 0.0;
    double y = 0.0;
    double angle = 0.0;
};

// A level pack as the game shows it: its name, and resource paths of its
// background picture, terrain texture and surface strip, and the name of
// its ambient loop (each empty when not given).
struct SourcePack
{
    int number = 0;
    QString name;
    QString picture;
    QString ground;
    QString surface;
    QString ambient;
};

struct SourceLevel
{
    QString file;
    QString name;
    int id = 0;
    int pack = 0;
    int number = 0;
    int bikeNumber = 1;
    int backgroundNumber = 1;
    QPointF bikeStart;
    QPointF finishLine;
    double goldTime = 0.0;
    double silverTime = 0.0;
    double bronzeTime = 0.0;
    double sceneMinY = 0.0;
    double sceneMaxY = 0.0;
    QVector<SourceOutline> terrain;
    QVector<SourceObject> objects;
};

#endif
