// SPDX-License-Identifier: GPL-3.0-or-later
// A folder of sources that the layering does not know: the check must refuse it.
#pragma once
#include "physics/ok.h"
