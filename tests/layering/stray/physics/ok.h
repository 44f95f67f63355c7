// SPDX-License-Identifier: GPL-3.0-or-later
// A header of a layer: allowed.
#pragma once
