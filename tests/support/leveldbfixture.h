// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LEVELDBFIXTURE_H
#define LEVELDBFIXTURE_H

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <QVector>

// A working directory with a levels.db and a results.db shaped for a test:
// packs of given sizes with given results. The level rows are copies of one
// row of a real compiled level database (same schema, same level data), with
// their pack and number changed. The directory is the current one while the
// fixture lives.
class LevelDbFixture
{
public:
    // Result status per level of a pack, from level 1 on (0 not finished,
    // 1 gold, 2 silver, 3 bronze, 4 no medal); kNoResult: no result row.
    static constexpr int kNoResult = -1;
    struct Pack
    {
        int number;
        QVector<int> statuses;
    };

    LevelDbFixture() = default;
    ~LevelDbFixture();
    LevelDbFixture(const LevelDbFixture &) = delete;
    LevelDbFixture &operator=(const LevelDbFixture &) = delete;

    // templateDb: a compiled levels.db. False (see errorString()) on failure.
    bool create(const QString &templateDb, const QList<Pack> &packs);
    QString errorString() const { return m_error; }
    QString path() const { return m_dir.path(); }

private:
    bool fail(const QString &message);
    bool writeLevels(const QString &templateDb, const QList<Pack> &packs);
    bool writeResults(const QList<Pack> &packs);

    QTemporaryDir m_dir;
    QString m_previousDir;
    QString m_error;
};

#endif
