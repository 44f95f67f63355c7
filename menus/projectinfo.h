// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PROJECTINFO_H
#define PROJECTINFO_H

#include "projectversion.h"

// Who makes the game and under which licences: shown by the info panel's
// two views. Kept in this one place; the licences match COPYING.
namespace ProjectInfo {
inline constexpr char kName[] = "Velocrag";
inline constexpr char kPublisher[] = "Velocrag developers";
inline constexpr char kCopyrightYears[] = "2026";
// SPDX identifiers: the code, and the levels, pictures and sounds.
inline constexpr char kCodeLicence[] = "GPL-3.0-or-later";
inline constexpr char kContentLicence[] = "CC-BY-SA-4.0";
inline constexpr int kVersionMajor = VELOCRAG_VERSION_MAJOR;
inline constexpr int kVersionMinor = VELOCRAG_VERSION_MINOR;
inline constexpr int kVersionBuild = VELOCRAG_VERSION_PATCH;
} // namespace ProjectInfo

#endif
