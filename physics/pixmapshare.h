// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PIXMAPSHARE_H
#define PIXMAPSHARE_H

#include <QHash>
#include <QPixmap>
#include <QString>

// While one lives (on the GUI thread, for the span of building something,
// such as a level), DensePixmap::load gives every caller asking for the same
// path at the same ratio the same picture: the items of a level that show
// one picture share it, and the file is looked up once instead of once per
// item (each lookup stats the file and converts its time). What is loaded is
// what DensePixmap::load gives without one. Nested shares defer to the
// outermost one.
class PixmapShare
{
public:
    PixmapShare();
    ~PixmapShare();
    PixmapShare(const PixmapShare &) = delete;
    PixmapShare &operator=(const PixmapShare &) = delete;

    // The share in effect, or null.
    static PixmapShare *current();
    // The picture already loaded for path at ratio, or a null pixmap.
    QPixmap find(const QString &path, qreal devicePixelRatio) const;
    void keep(const QString &path, qreal devicePixelRatio, const QPixmap &pixmap);

private:
    static QString key(const QString &path, qreal devicePixelRatio);

    bool m_active = false;
    QHash<QString, QPixmap> m_pixmaps;
};

#endif
