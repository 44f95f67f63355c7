#include "physics/upward.h"
