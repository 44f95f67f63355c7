#ifndef PROJECTINFO_H
#define PROJECTINFO_H

// Who makes the game and where to find it: shown by the info panel and
// opened from the main menu. Kept in this one place.
namespace ProjectInfo {
inline constexpr char kName[] = "Velocrag";
inline constexpr char kPublisher[] = "Velocrag developers";
inline constexpr char kWebAddress[] = "https://velocrag.games";
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 1;
inline constexpr int kVersionBuild = 0;
} // namespace ProjectInfo

#endif
