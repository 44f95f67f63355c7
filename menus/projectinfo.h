// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PROJECTINFO_H
#define PROJECTINFO_H

#include "projectversion.h"

// Who makes the game and where to find it: shown by the info panel and
// opened from the main menu. Kept in this one place.
namespace ProjectInfo {
inline constexpr char kName[] = "Velocrag";
inline constexpr char kPublisher[] = "Velocrag developers";
inline constexpr char kWebAddress[] = "https://velocrag.games";
inline constexpr int kVersionMajor = VELOCRAG_VERSION_MAJOR;
inline constexpr int kVersionMinor = VELOCRAG_VERSION_MINOR;
inline constexpr int kVersionBuild = VELOCRAG_VERSION_PATCH;
} // namespace ProjectInfo

#endif
