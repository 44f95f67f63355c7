#include "sensorreader.h"

SensorReader::SensorReader(QObject *parent)
    : QObject(parent)
{ }
