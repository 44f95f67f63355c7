// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LEVELINFO_H
#define LEVELINFO_H

#include "levelstatus.h"

// One entry of a pack's level list: a level number and its status.
class LevelInfo
{
public:
    LevelInfo() = default;
    LevelInfo(int levelNumber, LevelStatus status)
        : m_levelNumber(levelNumber)
        , m_status(status)
    { }

    int levelNumber() const { return m_levelNumber; }
    LevelStatus status() const { return m_status; }

private:
    int m_levelNumber = 0;
    LevelStatus m_status = LevelStatus::NotFinished;
};

#endif
