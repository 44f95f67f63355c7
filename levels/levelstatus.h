// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LEVELSTATUS_H
#define LEVELSTATUS_H

#include <optional>

// A level's result as results.db stores it ("levelresult".status): the
// values are the stored codes and must keep them.
enum class LevelStatus : int {
    NotFinished = 0,
    Gold = 1,
    Silver = 2,
    Bronze = 3,
    // Finished, slower than the bronze time.
    NoMedal = 4,
};

// A stored code read as a status. A code outside 0 ... 4 (a hand-edited
// file) is kept as it is and counts as neither finished nor a medal.
constexpr LevelStatus levelStatusFromCode(int code)
{
    return LevelStatus(code);
}

constexpr int levelStatusCode(LevelStatus status)
{
    return int(status);
}

// Gold, silver or bronze.
constexpr bool hasMedal(LevelStatus status)
{
    return status == LevelStatus::Gold || status == LevelStatus::Silver || status == LevelStatus::Bronze;
}

// The medal a finishing time earns against the level's target times
// (seconds); each limit is inclusive.
constexpr LevelStatus medalForTime(double time, double goldTime, double silverTime, double bronzeTime)
{
    if (time <= goldTime)
        return LevelStatus::Gold;
    if (time <= silverTime)
        return LevelStatus::Silver;
    if (time <= bronzeTime)
        return LevelStatus::Bronze;
    return LevelStatus::NoMedal;
}

// The medal one better than the one held: bronze for a level never
// finished, none above gold.
constexpr std::optional<LevelStatus> nextBetterMedal(LevelStatus held)
{
    switch (held) {
    case LevelStatus::Silver:
        return LevelStatus::Gold;
    case LevelStatus::Bronze:
        return LevelStatus::Silver;
    case LevelStatus::NotFinished:
    case LevelStatus::NoMedal:
        return LevelStatus::Bronze;
    default:
        return std::nullopt;
    }
}

#endif
