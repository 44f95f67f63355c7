// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PHYSICS_H
#define PHYSICS_H

#include <QObject>
#include <chipmunk/chipmunk.h>

// The one rigid-body world of the game. Every item with a body creates its
// bodies, shapes and constraints in this space; update() advances it by one
// fixed step of timeStep() seconds.
class Physics : public QObject
{
    Q_OBJECT
public:
    explicit Physics(int gravity, QObject *parent = nullptr);
    ~Physics() override;

    cpSpace *space() const { return m_space; }
    double timeStep() const { return m_step; }

    // Chipmunk 7 gives the collision bias and the joints' error bias as the
    // error left after one second; this turns "fraction of the error
    // corrected in one step" into that form for our step.
    double biasForStepFraction(double fraction) const;

public slots:
    void update();

private:
    void freeChildren();

    cpSpace *m_space = nullptr;
    double m_step;
};

double radToDeg(double a);
double degToRad(double d);

#endif
