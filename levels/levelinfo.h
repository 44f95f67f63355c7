// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LEVELINFO_H
#define LEVELINFO_H

// One entry of a pack's level list: a level number and its status
// (0 not finished, 1 gold, 2 silver, 3 bronze, 4 finished without medal).
class LevelInfo
{
public:
    LevelInfo() = default;
    LevelInfo(int levelNumber, int status)
        : m_levelNumber(levelNumber)
        , m_status(status)
    { }

    int levelNumber() const { return m_levelNumber; }
    int status() const { return m_status; }

private:
    int m_levelNumber = 0;
    int m_status = 0;
};

#endif
