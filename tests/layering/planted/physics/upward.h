#include "vehicle/bikeitem.h"
