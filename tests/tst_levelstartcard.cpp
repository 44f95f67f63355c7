// SPDX-License-Identifier: GPL-3.0-or-later
// The card over the view as a run starts: the level's name, its medal times
// and the player's best; input passes through; it fades by itself.

#include "menus/levelstartcard.h"
#include "menus/menutext.h"

#include <QImage>
#include <QPropertyAnimation>
#include <QTimer>
#include <QtTest>

class TestLevelStartCard : public QObject
{
    Q_OBJECT
private slots:
    void showsNameTimesAndBest()
    {
        QWidget view;
        view.resize(1267, 712);
        LevelStartCard card(&view);
        QVERIFY(card.isHidden());
        card.showLevel(3, "Rolling hills", 8.4, 10.0, 72.25, 0.0);
        QVERIFY(!card.isHidden());
        QCOMPARE(card.title(), QString("Level 3: Rolling hills"));
        QCOMPARE(card.times(), QStringList({"8.4 s", "10.0 s", "1:12.3"}));
        QCOMPARE(card.best(), QString("Best: -"));
        card.showLevel(12, QString(), 8.4, 10.0, 12.0, 9.06);
        QCOMPARE(card.title(), QString("Level 12"));
        QCOMPARE(card.best(), QString("Best: 9.1 s"));
        // Centred across the view, in its upper part.
        QVERIFY(qAbs(card.geometry().center().x() - view.rect().center().x()) <= 1);
        QVERIFY(card.geometry().bottom() < view.height() / 2);
        QVERIFY(card.testAttribute(Qt::WA_TransparentForMouseEvents));
        // Something is painted: the card is not empty.
        const QImage image = card.grab().toImage();
        QVERIFY(image.pixelColor(card.width() / 2, card.height() / 2).alpha() > 0);
    }

    // The card keeps its drawn picture between frames; showing another
    // level's card draws that level, exactly as a new card would.
    void anotherLevelRedrawsTheCard()
    {
        QWidget view;
        view.resize(1267, 712);
        LevelStartCard card(&view);
        card.showLevel(3, "Rolling hills", 8.4, 10.0, 72.25, 0.0);
        const QImage first = card.grab().toImage();
        QCOMPARE(card.grab().toImage(), first);
        card.showLevel(12, "Quarry", 9.4, 11.0, 13.0, 9.06);
        const QImage second = card.grab().toImage();
        QVERIFY(second != first);
        LevelStartCard fresh(&view);
        fresh.showLevel(12, "Quarry", 9.4, 11.0, 13.0, 9.06);
        QCOMPARE(fresh.grab().toImage(), second);
    }

    void fadesOutByItselfAndDismisses()
    {
        QWidget view;
        view.resize(800, 600);
        LevelStartCard card(&view);
        card.showLevel(1, "First ride", 6.2, 7.8, 9.9, 0.0);
        auto *fade = card.findChild<QPropertyAnimation *>();
        auto *timer = card.findChild<QTimer *>();
        QVERIFY(fade && timer);
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), LevelStartCard::kShowMs);
        // Run the wait out at once.
        timer->start(0);
        QTRY_VERIFY(fade->state() == QAbstractAnimation::Running);
        fade->setCurrentTime(fade->totalDuration());
        QVERIFY(card.isHidden());
        card.showLevel(1, "First ride", 6.2, 7.8, 9.9, 0.0);
        QCOMPARE(card.opacity(), 1.0);
        card.dismiss();
        QVERIFY(card.isHidden());
    }

    void runTimeTexts()
    {
        QCOMPARE(formatRunTime(0.0), QString("-"));
        QCOMPARE(formatRunTime(59.96), QString("1:00.0"));
        QCOMPARE(formatRunTime(125.4), QString("2:05.4"));
        QCOMPARE(formatRunTime(std::numeric_limits<double>::quiet_NaN()), QString("-"));
        QCOMPARE(medalName(LevelStatus::Silver), QString("Silver"));
        QVERIFY(medalName(LevelStatus::NoMedal).isEmpty());
    }
};

QTEST_MAIN(TestLevelStartCard)
#include "tst_levelstartcard.moc"
