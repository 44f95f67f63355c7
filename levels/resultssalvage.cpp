// SPDX-License-Identifier: GPL-3.0-or-later
#include "resultssalvage.h"

#include "resultsschema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariantList>
#include <QVector>
#include <cstdio>
#include <limits>
#include <optional>

namespace {
// SQLite's result codes for a file that is damaged or not a database at
// all; any other failure (a lock, a permission) is not damage.
const QString kSqliteCorrupt = QStringLiteral("11");
const QString kSqliteNotADatabase = QStringLiteral("26");
// Added to results.db's name for the fresh file of a salvage, and to that
// for SQLite's journal of it.
const QString kFreshSuffix = QStringLiteral(".salvage");
const QString kJournalSuffix = QStringLiteral("-journal");
// A lock held by another program is waited for this long, ms.
constexpr int kBusyTimeoutMs = 1000;
// Rows of one table are read in rowid order; a scan that stops at a
// damaged page looks for the next rowid a lookup can reach by steps that
// double, up to this many.
constexpr int kMaxProbeDoublings = 63;

// A connection of its own to a file, closed and removed with the object.
class Connection
{
public:
    Connection(const QString &file, const QString &options)
    {
        static int serial = 0;
        m_name = QStringLiteral("velocrag-salvage-%1").arg(++serial);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setConnectOptions(options);
        db.setDatabaseName(file);
        m_open = db.open();
        if (!m_open)
            m_error = db.lastError();
    }
    ~Connection()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    bool isOpen() const { return m_open; }
    QSqlError error() const { return m_error; }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
    bool m_open = false;
    QSqlError m_error;
};

bool isDamage(const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    return code == kSqliteCorrupt || code == kSqliteNotADatabase;
}

// What the quick check says: nothing when the file is sound (or cannot be
// checked for a reason that is not damage), else the first problem found.
std::optional<QString> damageOf(const QString &path)
{
    Connection check(path, QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!check.isOpen())
        return isDamage(check.error()) ? std::optional<QString>(check.error().databaseText()) : std::nullopt;
    QSqlQuery query(check.db());
    if (!query.exec(QStringLiteral("PRAGMA quick_check")) || !query.next()) {
        if (isDamage(query.lastError()))
            return query.lastError().databaseText();
        return std::nullopt;
    }
    const QString verdict = query.value(0).toString();
    if (verdict == QLatin1String("ok"))
        return std::nullopt;
    return verdict;
}

// The smallest rowid above `after` that a lookup can still reach past a
// damaged page. The lookups "rowid >= x" fail while x lies in the damaged
// page's range and succeed beyond it (with a row, or with none past the
// table's end), so doubling steps find a start beyond the damage and a
// bisection the first start that still reaches a row. Nothing when no row
// beyond can be read.
std::optional<qint64> nextReachable(const QSqlDatabase &db, const QString &table, qint64 after)
{
    enum class Probe { Damaged, Row, End };
    auto probe = [&](qint64 from, qint64 *row) {
        QSqlQuery query(db);
        query.prepare(
            QStringLiteral("SELECT rowid FROM %1 WHERE rowid >= ? ORDER BY rowid LIMIT 1").arg(table));
        query.addBindValue(from);
        if (!query.exec())
            return Probe::Damaged;
        if (query.next()) {
            *row = query.value(0).toLongLong();
            return Probe::Row;
        }
        return query.lastError().isValid() ? Probe::Damaged : Probe::End;
    };
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    qint64 lo = after;
    qint64 hi = after;
    std::optional<qint64> best;
    qint64 step = 1;
    for (int i = 0; i < kMaxProbeDoublings; ++i) {
        hi = after > kMax - step ? kMax : after + step;
        qint64 row = 0;
        const Probe found = probe(hi, &row);
        if (found == Probe::Row)
            best = row;
        if (found != Probe::Damaged)
            break;
        lo = hi;
        if (hi == kMax)
            return std::nullopt;
        // Past half the range the next step reaches the end of it.
        step = step > kMax / 2 ? kMax : step * 2;
    }
    if (lo == hi)
        return std::nullopt;
    // lo fails, hi does not: the first start that does not fail lies in
    // (lo, hi], and the row it reaches is the first one past the damage.
    while (hi - lo > 1) {
        const qint64 mid = lo + (hi - lo) / 2;
        qint64 row = 0;
        const Probe found = probe(mid, &row);
        if (found == Probe::Damaged) {
            lo = mid;
        } else {
            hi = mid;
            if (found == Probe::Row)
                best = row;
        }
    }
    return best;
}

// Every row of table that can still be read, in rowid order (columns as
// listed). A table that cannot be found gives nothing.
QVector<QVariantList> readableRows(const QSqlDatabase &db, const QString &table, const QStringList &columns)
{
    constexpr qint64 kMax = std::numeric_limits<qint64>::max();
    QVector<QVariantList> rows;
    qint64 from = std::numeric_limits<qint64>::min();
    for (;;) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid >= ? ORDER BY rowid")
                          .arg(columns.join(QLatin1String(", ")), table));
        query.addBindValue(from);
        bool failed = !query.exec();
        qint64 last = from;
        bool any = false;
        while (!failed && query.next()) {
            last = query.value(0).toLongLong();
            any = true;
            QVariantList row;
            for (int c = 1; c <= columns.size(); ++c)
                row.append(query.value(c));
            rows.append(row);
        }
        if (!query.lastError().isValid())
            return rows;
        if (!isDamage(query.lastError()))
            return rows;
        // The scan stopped at a damaged page after `last`.
        const qint64 failedAt = any ? last : from;
        if (failedAt == kMax)
            return rows;
        const std::optional<qint64> next = nextReachable(db, table, failedAt);
        if (!next || *next <= failedAt)
            return rows;
        from = *next;
    }
}

bool sane(const QVariant &value, double lo, double hi)
{
    bool ok = false;
    const double v = value.toDouble(&ok);
    return ok && v >= lo && v <= hi;
}

// The rows worth keeping, with the value ranges the game itself writes.
struct Salvage
{
    QVector<QVariantList> results;
    std::optional<int> soundsEnabled;
    QVector<QVariantList> settings;
};

Salvage readWhatRemains(const QString &copy)
{
    Salvage salvage;
    // immutable: no lock, no journal rollback; the copy stays as it is.
    QUrl url = QUrl::fromLocalFile(QFileInfo(copy).absoluteFilePath());
    url.setQuery(QStringLiteral("mode=ro&immutable=1"));
    Connection source(url.toString(QUrl::FullyEncoded), QStringLiteral("QSQLITE_OPEN_URI"));
    if (!source.isOpen())
        return salvage;
    const QSqlDatabase db = source.db();
    constexpr double kMaxStatus = 4;
    constexpr double kMaxSeconds = 1e9;
    for (const QVariantList &row : readableRows(db, QStringLiteral("levelresult"),
             {QStringLiteral("id"), QStringLiteral("level_id"), QStringLiteral("status"),
                 QStringLiteral("besttime")})) {
        if (sane(row[1], 1, double(std::numeric_limits<qint64>::max())) && sane(row[2], 0, kMaxStatus)
            && (row[3].isNull() || sane(row[3], 0, kMaxSeconds)))
            salvage.results.append(row);
    }
    for (const QVariantList &row : readableRows(
             db, QStringLiteral("gamesettings"), {QStringLiteral("id"), QStringLiteral("sounds_enabled")})) {
        if (row[0].toLongLong() == 1)
            salvage.soundsEnabled = row[1].toInt() == 0 ? 0 : 1;
    }
    for (const QVariantList &row : readableRows(
             db, QStringLiteral("playersetting"), {QStringLiteral("name"), QStringLiteral("value")})) {
        if (!row[0].toString().isEmpty())
            salvage.settings.append(row);
    }
    return salvage;
}

bool writeFresh(const QString &file, const Salvage &salvage, QString *error)
{
    QFile::remove(file);
    Connection fresh(file, QString());
    if (!fresh.isOpen()) {
        *error = fresh.error().text();
        return false;
    }
    QSqlDatabase db = fresh.db();
    if (!ResultsSchema::complete(db, QStringLiteral("main"), error))
        return false;
    db.transaction();
    QSqlQuery query(db);
    query.prepare(
        QStringLiteral("INSERT INTO levelresult (id, level_id, status, besttime) VALUES (?, ?, ?, ?)"));
    for (const QVariantList &row : salvage.results) {
        for (const QVariant &value : row)
            query.addBindValue(value);
        if (!query.exec()) {
            *error = query.lastError().text();
            db.rollback();
            return false;
        }
    }
    if (salvage.soundsEnabled) {
        query.prepare(QStringLiteral("UPDATE gamesettings SET sounds_enabled = ? WHERE id = 1"));
        query.addBindValue(*salvage.soundsEnabled);
        if (!query.exec()) {
            *error = query.lastError().text();
            db.rollback();
            return false;
        }
    }
    query.prepare(QStringLiteral("INSERT OR REPLACE INTO playersetting (name, value) VALUES (?, ?)"));
    for (const QVariantList &row : salvage.settings) {
        query.addBindValue(row[0]);
        query.addBindValue(row[1]);
        if (!query.exec()) {
            *error = query.lastError().text();
            db.rollback();
            return false;
        }
    }
    query.finish();
    if (!db.commit()) {
        *error = db.lastError().text();
        return false;
    }
    return true;
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}
} // namespace

QString ResultsSalvage::damagedCopyPath(const QString &path, const QDateTime &now)
{
    const QFileInfo info(path);
    const QString stem = info.completeBaseName() + QStringLiteral("-damaged-")
        + now.toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    QString candidate = info.dir().filePath(stem + suffix);
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = info.dir().filePath(QStringLiteral("%1-%2%3").arg(stem).arg(n).arg(suffix));
    return candidate;
}

QString ResultsSalvage::freshPath(const QString &path)
{
    return path + kFreshSuffix;
}

int ResultsSalvage::removeStaleTemporaries(const QString &path, const QDateTime &now)
{
    const QString fresh = freshPath(path);
    int removed = 0;
    for (const QString &file : {fresh + kJournalSuffix, fresh}) {
        const QFileInfo info(file);
        if (info.isSymLink() || !info.isFile() || info.lastModified().secsTo(now) <= kStaleTemporarySeconds)
            continue;
        if (QFile::remove(file))
            ++removed;
    }
    return removed;
}

ResultsSalvage::Report ResultsSalvage::checkAndSalvage(const QString &path, const QDateTime &now)
{
    Report report;
    if (!QFileInfo(path).isFile())
        return report;
    const std::optional<QString> damage = damageOf(path);
    if (!damage)
        return report;
    report.damage = *damage;
    report.damagedCopy = native(path);
    report.outcome = Report::Outcome::Failed;

    // The damaged file (with a journal of its own, which belongs to it) is
    // copied aside first: until the fresh file replaces it, a stop at any
    // point leaves it where it was, to be salvaged at the next start.
    const QString aside = damagedCopyPath(path, now);
    const QString journal = path + kJournalSuffix;
    if (!QFile::copy(path, aside)
        || (QFileInfo::exists(journal) && !QFile::copy(journal, aside + kJournalSuffix))) {
        report.reason = QCoreApplication::translate("ResultsSalvage", "it could not be copied to %1")
                            .arg(native(aside));
        return report;
    }
    const Salvage salvage = readWhatRemains(aside);
    const QString fresh = freshPath(path);
    QString error;
    if (!writeFresh(fresh, salvage, &error)) {
        QFile::remove(fresh);
        report.reason = QCoreApplication::translate("ResultsSalvage", "a fresh file could not be written: %1")
                            .arg(error);
        return report;
    }
    for (const char *leftover : {"-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(leftover));
    if (std::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(fresh);
        report.reason = QCoreApplication::translate("ResultsSalvage", "it could not be replaced");
        return report;
    }
    report.outcome = Report::Outcome::Salvaged;
    report.damagedCopy = native(aside);
    report.resultsKept = int(salvage.results.size());
    report.settingsKept = int(salvage.settings.size()) + (salvage.soundsEnabled ? 1 : 0);
    return report;
}

QString ResultsSalvage::Report::notice() const
{
    switch (outcome) {
    case Outcome::Sound:
        return QString();
    case Outcome::Failed:
        return QCoreApplication::translate("ResultsSalvage", "Your results file %1 is damaged (%2), and %3.")
            .arg(damagedCopy, damage, reason);
    case Outcome::Salvaged:
        break;
    }
    auto count = [](int n, const char *one, const char *many) {
        return n == 1 ? QCoreApplication::translate("ResultsSalvage", one)
                      : QCoreApplication::translate("ResultsSalvage", many).arg(n);
    };
    const QString kept = resultsKept + settingsKept == 0
        ? QCoreApplication::translate("ResultsSalvage", "Nothing in it could be read.")
        : QCoreApplication::translate("ResultsSalvage", "Kept: %1 and %2.")
              .arg(count(resultsKept, "1 best time", "%1 best times"),
                  count(settingsKept, "1 setting", "%1 settings"));
    return QCoreApplication::translate("ResultsSalvage",
        "Your results file was damaged and has been replaced. %1 The damaged file is kept as %2")
        .arg(kept, damagedCopy);
}
