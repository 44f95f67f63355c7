// SPDX-License-Identifier: GPL-3.0-or-later
#include "sensorreader.h"

SensorReader::SensorReader(QObject *parent)
    : QObject(parent)
{ }
