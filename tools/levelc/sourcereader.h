// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SOURCEREADER_H
#define SOURCEREADER_H

#include "levelsource.h"

#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

// Reads and checks the JSON sources. The first problem found ends the
// compiler with one line on stderr naming the file, the level (or object
// type) and the field, and exit status 1.
class SourceReader
{
public:
    QVector<SourceObjectType> readObjectTypes(const QString &file);
    SourceLevel readLevel(const QString &file);
    // The packs' names, pictures and sounds (packs.json).
    QVector<SourcePack> readPacks(const QString &file);

private:
    // What the current error line names besides the field.
    struct Context
    {
        QString file;
        QString subject; // e.g. level 1/3 "First ride"
    };

    QJsonObject readDocument(const QString &file);
    [[noreturn]] void reject(const QString &field, const QString &problem) const;
    void checkKeys(const QJsonObject &o, const QString &path, const QStringList &allowed) const;
    QJsonValue require(const QJsonObject &o, const QString &key, const QString &path) const;
    double number(const QJsonValue &v, const QString &field) const;
    int wholeNumber(const QJsonValue &v, const QString &field) const;
    QString text(const QJsonValue &v, const QString &field) const;
    double coordinate(const QJsonValue &v, const QString &field) const;
    QPointF point(const QJsonValue &v, const QString &field) const;
    SourceVertex vertex(const QJsonValue &v, const QString &field) const;
    SourceOutline outline(const QJsonValue &v, const QString &field) const;
    SourceObjectType objectType(const QJsonValue &v, const QString &field) const;
    void readTimes(const QJsonObject &o, SourceLevel &level) const;
    void readScene(const QJsonObject &o, SourceLevel &level) const;

    Context m_context;
    QHash<QString, int> m_typeIds; // object type name -> id
};

#endif
