// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MYSCENE_H
#define MYSCENE_H

#include <QGraphicsScene>

// The game's one scene. It has no behaviour of its own: the controller sets
// its rectangle per level and advances it once per physics step.
class MyScene : public QGraphicsScene
{
    Q_OBJECT
public:
    using QGraphicsScene::QGraphicsScene;
};

#endif
