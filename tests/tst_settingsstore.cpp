// SPDX-License-Identifier: GPL-3.0-or-later
// SettingsStore: queued settings read back before they are stored, and
// persist once stored; a setting never made reads as null.

#include "databasesfolder.h"
#include "levels/leveldatabases.h"
#include "levels/settingsstore.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {
using Folder = DatabasesFolder;
} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT
private slots:
    void queuedSettingsReadBackThenPersist()
    {
        Folder folder;
        SettingsStore store(folder.databases.database());
        QVERIFY(store.soundsEnabled());
        QVERIFY(store.playerSetting("zoom").isNull());
        QSqlQuery(folder.databases.database()).exec("PRAGMA query_only = 1");
        store.setSoundsEnabled(false);
        store.setPlayerSetting("zoom", "0.5");
        store.setPlayerSetting("blank", QString());
        QSqlError error;
        QVERIFY(!store.savePending(&error));
        QVERIFY(store.hasPending());
        QVERIFY(!store.soundsEnabled());
        QCOMPARE(store.playerSetting("zoom"), QString("0.5"));
        QSqlQuery(folder.databases.database()).exec("PRAGMA query_only = 0");
        QVERIFY(store.savePending(&error));
        QVERIFY(!store.hasPending());
        QCOMPARE(
            TestSupport::querySql(folder.results(), "SELECT sounds_enabled FROM gamesettings WHERE id = 1"),
            QVariantList {0});
        const SettingsStore reread(folder.databases.database());
        QVERIFY(!reread.soundsEnabled());
        QCOMPARE(reread.playerSetting("zoom"), QString("0.5"));
        // Set to nothing is not the same as never set.
        QVERIFY(!reread.playerSetting("blank").isNull());
        QVERIFY(reread.playerSetting("blank").isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
