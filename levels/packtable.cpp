// SPDX-License-Identifier: GPL-3.0-or-later
#include "packtable.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace {
// A file written before the pack names were kept holds the two first packs.
constexpr int kPacksOfOldFiles = 2;

// What packs 1 and 2 looked like before levels.db described them.
struct Style
{
    int pack;
    const char *picture;
    const char *ground;
    const char *surface;
    const char *ambient;
};
constexpr Style kStylesOfOldFiles[] = {
    {1, ":/images/levelpack1bg.jpg", ":/images/groundtexture_305.jpg", ":/images/surface_305.png",
        "ambient1"},
    {2, ":/images/levelpack2bg.jpg", ":/images/groundtexture_306.jpg", ":/images/surface_306.png",
        "ambient2"},
};
// The background of a pack without a picture of its own.
constexpr int kFallbackBackgroundPack = 1;

QString oldFileValue(int pack, const QString &column)
{
    for (const Style &style : kStylesOfOldFiles) {
        if (style.pack != pack)
            continue;
        if (column == QLatin1String("picture"))
            return QString::fromLatin1(style.picture);
        if (column == QLatin1String("ground"))
            return QString::fromLatin1(style.ground);
        if (column == QLatin1String("surface"))
            return QString::fromLatin1(style.surface);
        if (column == QLatin1String("ambient"))
            return QString::fromLatin1(style.ambient);
    }
    return QString();
}
} // namespace

PackTable::PackTable(const QSqlDatabase &db)
    : m_db(db)
{ }

int PackTable::count() const
{
    QSqlQuery query(m_db);
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM levelpack")) || !query.next()
        || query.value(0).toInt() < 1)
        return kPacksOfOldFiles;
    return query.value(0).toInt();
}

QString PackTable::column(int pack, const QString &name) const
{
    QSqlQuery query(m_db);
    const bool isName = name == QLatin1String("name");
    // A file without the table (written before it was added) fails to
    // prepare; that is no error.
    if (!query.prepare(QStringLiteral("SELECT * FROM levelpack WHERE number = ?")))
        return isName ? QString() : oldFileValue(pack, name);
    query.addBindValue(pack);
    if (!query.exec())
        return isName ? QString() : oldFileValue(pack, name);
    // A file without the column, or without a row for the pack, predates
    // this description of it.
    const int index = query.record().indexOf(name);
    if (index < 0 || !query.next())
        return isName ? QString() : oldFileValue(pack, name);
    return query.value(index).toString();
}

QString PackTable::name(int pack) const
{
    return column(pack, QStringLiteral("name"));
}

QString PackTable::picture(int pack) const
{
    return column(pack, QStringLiteral("picture"));
}

QString PackTable::background(int pack) const
{
    const QString own = picture(pack);
    if (!own.isEmpty())
        return own;
    const QString first = picture(kFallbackBackgroundPack);
    return first.isEmpty() ? oldFileValue(kFallbackBackgroundPack, QStringLiteral("picture")) : first;
}

QString PackTable::ground(int pack) const
{
    return column(pack, QStringLiteral("ground"));
}

QString PackTable::surface(int pack) const
{
    return column(pack, QStringLiteral("surface"));
}

QString PackTable::ambient(int pack) const
{
    return column(pack, QStringLiteral("ambient"));
}
