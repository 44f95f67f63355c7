// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef SENSORREADER_H
#define SENSORREADER_H

#include <QObject>

// The controller keeps one of these for device sensors. Desktop builds have
// no tilt sensor, so it carries no signals, slots or state; it exists so the
// controller's ownership is the same on every platform.
class SensorReader : public QObject
{
    Q_OBJECT
public:
    explicit SensorReader(QObject *parent = nullptr);
};

#endif
