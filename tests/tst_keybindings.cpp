// SPDX-License-Identifier: GPL-3.0-or-later
// The riding actions' keys: defaults, giving a key to an action (taken from
// the action that held it), the stored text and damaged stored texts.
#include "input/keybindings.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

class TestKeyBindings : public QObject
{
    Q_OBJECT
private slots:
    void defaults()
    {
        const KeyBindings keys;
        QCOMPARE(keys.keys(KeyBindings::Throttle), (QList<int> {Qt::Key_W, Qt::Key_Up}));
        QCOMPARE(keys.keys(KeyBindings::Brake), (QList<int> {Qt::Key_S, Qt::Key_Down}));
        QCOMPARE(keys.keys(KeyBindings::LeanBack), (QList<int> {Qt::Key_A, Qt::Key_Left}));
        QCOMPARE(keys.keys(KeyBindings::LeanForward), (QList<int> {Qt::Key_D, Qt::Key_Right}));
        QCOMPARE(keys.keys(KeyBindings::Restart), (QList<int> {Qt::Key_R, Qt::Key_Backspace}));
        QCOMPARE(keys.keys(KeyBindings::Menu), (QList<int> {Qt::Key_Escape, Qt::Key_MediaPrevious}));
        QCOMPARE(keys.keys(KeyBindings::ZoomIn), (QList<int> {Qt::Key_Plus, Qt::Key_J}));
        QCOMPARE(keys.keys(KeyBindings::ZoomOut), (QList<int> {Qt::Key_Minus, Qt::Key_K}));
        QCOMPARE(keys.actionForKey(Qt::Key_Up), int(KeyBindings::Throttle));
        QCOMPARE(keys.actionForKey(Qt::Key_K), int(KeyBindings::ZoomOut));
        QCOMPARE(keys.actionForKey(Qt::Key_Q), KeyBindings::kNoAction);
        QVERIFY(keys.isDefault());
        QCOMPARE(keys.keysText(KeyBindings::Throttle), QStringLiteral("W, Up"));
    }

    // A new key goes first; the action keeps two, the oldest is dropped.
    void assignGoesFirst()
    {
        KeyBindings keys;
        QCOMPARE(keys.assign(KeyBindings::Throttle, Qt::Key_I), KeyBindings::kNoAction);
        QCOMPARE(keys.keys(KeyBindings::Throttle), (QList<int> {Qt::Key_I, Qt::Key_W}));
        QCOMPARE(keys.actionForKey(Qt::Key_Up), KeyBindings::kNoAction);
        QVERIFY(!keys.isDefault());
        // A key the action has already only moves to the front.
        QCOMPARE(keys.assign(KeyBindings::Throttle, Qt::Key_W), KeyBindings::kNoAction);
        QCOMPARE(keys.keys(KeyBindings::Throttle), (QList<int> {Qt::Key_W, Qt::Key_I}));
    }

    // A key another action holds is moved, and that action is named.
    void conflictMovesTheKey()
    {
        KeyBindings keys;
        QCOMPARE(keys.assign(KeyBindings::Throttle, Qt::Key_J), int(KeyBindings::ZoomIn));
        QCOMPARE(keys.keys(KeyBindings::ZoomIn), (QList<int> {Qt::Key_Plus}));
        QCOMPARE(keys.actionForKey(Qt::Key_J), int(KeyBindings::Throttle));
        QCOMPARE(keys.assign(KeyBindings::Brake, Qt::Key_Plus), int(KeyBindings::ZoomIn));
        QVERIFY(keys.keys(KeyBindings::ZoomIn).isEmpty());
        QCOMPARE(keys.keysText(KeyBindings::ZoomIn), QStringLiteral("none"));
        keys.restoreDefaults();
        QVERIFY(keys.isDefault());
    }

    void keysThatCannotBeGiven_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("escape") << int(Qt::Key_Escape);
        QTest::newRow("tab") << int(Qt::Key_Tab);
        QTest::newRow("page up") << int(Qt::Key_PageUp);
        QTest::newRow("page down") << int(Qt::Key_PageDown);
        QTest::newRow("fullscreen") << int(Qt::Key_F11);
        QTest::newRow("shift") << int(Qt::Key_Shift);
        QTest::newRow("unknown") << int(Qt::Key_unknown);
    }

    void keysThatCannotBeGiven()
    {
        QFETCH(int, key);
        KeyBindings keys;
        QVERIFY(!KeyBindings::isAssignable(key));
        QCOMPARE(keys.assign(KeyBindings::Throttle, key), KeyBindings::kNoAction);
        QVERIFY(keys.isDefault());
    }

    void textRoundTrip()
    {
        KeyBindings keys;
        keys.assign(KeyBindings::Throttle, Qt::Key_Space);
        keys.assign(KeyBindings::Brake, Qt::Key_Plus);
        keys.assign(KeyBindings::LeanBack, Qt::Key_Comma);
        keys.assign(KeyBindings::LeanForward, Qt::Key_F5);
        keys.assign(KeyBindings::Restart, Qt::Key_Return);
        const QString text = keys.toText();
        const QJsonObject object = QJsonDocument::fromJson(text.toUtf8()).object();
        QCOMPARE(object.value("throttle").toVariant().toStringList(), (QStringList {"Space", "W"}));
        QCOMPARE(object.value("zoomin").toVariant().toStringList(), (QStringList {"J"}));

        KeyBindings read;
        QString error;
        QVERIFY2(read.fromText(text, &error), qPrintable(error));
        QCOMPARE(read, keys);
        QVERIFY(read.fromText(KeyBindings().toText(), &error));
        QVERIFY(read.isDefault());
    }

    // A damaged text is refused whole and changes nothing.
    void damagedText_data()
    {
        QTest::addColumn<QString>("text");
        const QString good = KeyBindings().toText();
        QTest::newRow("not json") << "throttle=W";
        QTest::newRow("empty") << "";
        QTest::newRow("array") << "[]";
        QTest::newRow("missing action") << QString(good).replace("\"brake\"", "\"brakes\"");
        QTest::newRow("unknown key name") << QString(good).replace("\"W\"", "\"Wobble\"");
        QTest::newRow("combination") << QString(good).replace("\"W\"", "\"Ctrl+W\"");
        QTest::newRow("key twice") << QString(good).replace("\"S\"", "\"W\"");
        QTest::newRow("menu key elsewhere") << QString(good).replace("\"W\"", "\"PgUp\"");
        QTest::newRow("escape elsewhere")
            << QString(good).replace("\"Esc\"", "\"Q\"").replace("\"W\"", "\"Esc\"");
        QTest::newRow("three keys") << QString(good).replace("\"W\",", "\"W\",\"Q\",");
        QTest::newRow("not a list") << QString(good).replace("[\"-\",\"K\"]", "\"K\"");
        QTest::newRow("unknown action") << QString(good).replace("{", "{\"jump\":[],");
    }

    void damagedText()
    {
        QFETCH(QString, text);
        KeyBindings keys;
        keys.assign(KeyBindings::Throttle, Qt::Key_I);
        const KeyBindings before = keys;
        QString error;
        QVERIFY(!keys.fromText(text, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(keys, before);
    }

    // An action may be stored with no key (its keys were all moved away).
    void actionWithoutKeys()
    {
        KeyBindings keys;
        keys.assign(KeyBindings::Throttle, Qt::Key_Plus);
        keys.assign(KeyBindings::Throttle, Qt::Key_J);
        KeyBindings read;
        QString error;
        QVERIFY2(read.fromText(keys.toText(), &error), qPrintable(error));
        QVERIFY(read.keys(KeyBindings::ZoomIn).isEmpty());
        QCOMPARE(read, keys);
    }
};

QTEST_MAIN(TestKeyBindings)
#include "tst_keybindings.moc"
