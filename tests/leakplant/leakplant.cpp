// SPDX-License-Identifier: GPL-3.0-or-later
// leakplant: loses one object on purpose, from a slot the event loop calls
// (a queued call, as timers, network replies and signals across threads
// arrive in the game). The sanitized build must report it: the test around
// it fails when a suppression or a cut-short stack hides such a leak.

#include <QCoreApplication>
#include <QObject>
#include <QTimer>

// The planted allocation: a distinct type so that the report names it.
struct PlantedLeak
{
    char payload[96] = {};
};

// Written and then cleared, so that the compiler cannot drop the allocation
// and no pointer to it survives in memory the leak checker scans.
PlantedLeak *volatile g_lastPlanted = nullptr;

class LeakPlanter : public QObject
{
    Q_OBJECT
public slots:
    void plant()
    {
        g_lastPlanted = new PlantedLeak;
        g_lastPlanted->payload[0] = 1;
        g_lastPlanted = nullptr;
        QCoreApplication::quit();
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    LeakPlanter planter;
    QTimer::singleShot(0, &planter, &LeakPlanter::plant);
    return app.exec();
}

#include "leakplant.moc"
