// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef MANUALCLOCK_H
#define MANUALCLOCK_H

#include <QtGlobal>

// A sound manager whose rate limits run on a clock the test moves by hand
// (milliseconds; starts past the start-up gaps of the limits).
template <typename Manager> class ManualClock : public Manager
{
public:
    using Manager::Manager;
    qint64 now = 1000;

protected:
    qint64 elapsedMs() const override { return now; }
};

#endif
