// SPDX-License-Identifier: GPL-3.0-or-later
// The crowd's choices: what a finish is greeted with, when an upside-down or
// fast bike is gasped at, and the quiet time between gasps.

#include "game/crowdreactions.h"
#include "sound/soundmanagerdummy.h"

#include <QtTest>
#include <cstdlib>

using Reaction = CrowdReactions::Reaction;

namespace {
class CrowdSound : public SoundManagerDummy
{
public:
    int cheers = 0, awes = 0, sighs = 0;
    void playCrowdCheerSound() override { ++cheers; }
    void playCrowdAweSound() override { ++awes; }
    void playCrowdDisappointmentSound() override { ++sighs; }
};
} // namespace

class TestCrowdReactions : public QObject
{
    Q_OBJECT

private slots:
    void finishReactions_data()
    {
        QTest::addColumn<bool>("newRecord");
        QTest::addColumn<int>("medal");
        QTest::addColumn<int>("reaction");
        QTest::newRow("record without medal") << true << 4 << int(Reaction::Cheer);
        QTest::newRow("slower gold") << false << 1 << int(Reaction::Cheer);
        QTest::newRow("slower silver") << false << 2 << int(Reaction::Awe);
        QTest::newRow("slower bronze") << false << 3 << int(Reaction::Awe);
        QTest::newRow("slower, no medal") << false << 4 << int(Reaction::Disappointment);
    }
    void finishReactions()
    {
        QFETCH(bool, newRecord);
        QFETCH(int, medal);
        QFETCH(int, reaction);
        QCOMPARE(int(CrowdReactions::atFinish(newRecord, medal)), reaction);
    }

    void upsideDownBand()
    {
        QVERIFY(!CrowdReactions::upsideDown(0.0));
        QVERIFY(!CrowdReactions::upsideDown(120.9));
        QVERIFY(CrowdReactions::upsideDown(121.0));
        QVERIFY(CrowdReactions::upsideDown(180.0));
        QVERIFY(CrowdReactions::upsideDown(239.9));
        QVERIFY(!CrowdReactions::upsideDown(240.0));
        QVERIFY(CrowdReactions::upsideDown(-180.0));
        // Whole turns on top do not matter; the remainder keeps the sign.
        QVERIFY(CrowdReactions::upsideDown(180.0 + 3 * 360.0));
        QVERIFY(CrowdReactions::upsideDown(-180.0 - 2 * 360.0));
        QVERIFY(!CrowdReactions::upsideDown(720.0));
    }

    void gaspsThenKeepsQuiet()
    {
        qint64 now = 0;
        CrowdReactions crowd([&now] { return now; });
        const int quiet = crowd.quietMs();
        QVERIFY(quiet >= 2000 && quiet < 4000);

        // Too early: nothing, however spectacular.
        now = quiet - 1;
        QCOMPARE(crowd.watch(180.0, false, 2000.0), Reaction::None);
        // Upright and slow: nothing, and the wait is not used up.
        now = quiet;
        QCOMPARE(crowd.watch(10.0, false, 899.0), Reaction::None);
        QCOMPARE(crowd.watch(180.0, false, 0.0), Reaction::Awe);
        // A new quiet time starts at the gasp.
        const int next = crowd.quietMs();
        QVERIFY(next >= 2000 && next < 4000);
        now += next - 1;
        QCOMPARE(crowd.watch(0.0, false, 950.0), Reaction::None);
        now += 1;
        QCOMPARE(crowd.watch(0.0, false, 950.0), Reaction::Awe);
    }

    void thrownOffRiderGaspsSometimes()
    {
        std::srand(7);
        qint64 now = 0;
        CrowdReactions crowd([&now] { return now; });
        int gasps = 0;
        constexpr int kTries = 2000;
        for (int i = 0; i < kTries; ++i) {
            now += 4000;
            if (crowd.watch(180.0, true, 0.0) == Reaction::Awe)
                ++gasps;
        }
        // About 3 in 10; every try, gasp or not, restarts the quiet time.
        QVERIFY2(gasps > kTries / 5 && gasps < kTries * 2 / 5, qPrintable(QString::number(gasps)));
        const qint64 before = now;
        now = before + 4000;
        crowd.watch(180.0, true, 0.0);
        now += 1;
        QCOMPARE(crowd.watch(180.0, false, 0.0), Reaction::None);
    }

    void playsTheChosenSound()
    {
        CrowdSound sound;
        CrowdReactions::play(&sound, Reaction::Cheer);
        CrowdReactions::play(&sound, Reaction::Awe);
        CrowdReactions::play(&sound, Reaction::Awe);
        CrowdReactions::play(&sound, Reaction::Disappointment);
        CrowdReactions::play(&sound, Reaction::None);
        CrowdReactions::play(nullptr, Reaction::Cheer);
        QCOMPARE(sound.cheers, 1);
        QCOMPARE(sound.awes, 2);
        QCOMPARE(sound.sighs, 1);
    }
};

QTEST_GUILESS_MAIN(TestCrowdReactions)
#include "tst_crowdreactions.moc"
