// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PIXMAPSHARE_H
#define PIXMAPSHARE_H

#include <QHash>
#include <QPixmap>
#include <QString>
#include <utility>

// While one lives (on the GUI thread, for the span of building something,
// such as a level), DensePixmap::load gives every caller asking for the same
// path at the same ratio the same picture: the items of a level that show
// one picture share it, and the file is looked up once instead of once per
// item (each lookup stats the file and converts its time). What is loaded is
// what DensePixmap::load gives without one. Nested shares defer to the
// outermost.
class PixmapShare
{
public:
    // Path and device pixel ratio asked for.
    using Key = std::pair<QString, qreal>;
    using Pictures = QHash<Key, QPixmap>;

    // Starts with `earlier`, pictures of the application's resources
    // (":/..." or ":...", which never change) that an earlier share handed out: the
    // next level of a pack shows most of the pictures of the one before.
    explicit PixmapShare(const Pictures &earlier = Pictures());
    ~PixmapShare();
    PixmapShare(const PixmapShare &) = delete;
    PixmapShare &operator=(const PixmapShare &) = delete;

    // The share in effect, or null.
    static PixmapShare *current();
    // The picture handed out for the key, or a null pixmap.
    QPixmap find(const Key &key);
    void keep(const Key &key, const QPixmap &pixmap);
    // The pictures of the resources this share handed out, to start the
    // next one with (only those: what an earlier share held and this one
    // was not asked for is dropped).
    Pictures resourcePictures() const;

private:
    bool m_active = false;
    Pictures m_earlier;
    Pictures m_pictures;
};

#endif
