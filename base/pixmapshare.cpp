// SPDX-License-Identifier: GPL-3.0-or-later
#include "pixmapshare.h"

namespace {
PixmapShare *g_current = nullptr;

// ":/images/a.png" and ":images/a.png" both name a compiled-in resource.
bool isResource(const QString &path)
{
    return path.startsWith(QLatin1Char(':'));
}
} // namespace

PixmapShare::PixmapShare(const Pictures &earlier)
{
    if (g_current)
        return;
    g_current = this;
    m_active = true;
    m_earlier = earlier;
}

PixmapShare::~PixmapShare()
{
    if (m_active)
        g_current = nullptr;
}

PixmapShare *PixmapShare::current()
{
    return g_current;
}

QPixmap PixmapShare::find(const Key &key)
{
    const auto here = m_pictures.constFind(key);
    if (here != m_pictures.constEnd())
        return here.value();
    const auto earlier = m_earlier.constFind(key);
    if (earlier == m_earlier.constEnd() || !isResource(key.first))
        return QPixmap();
    m_pictures.insert(key, earlier.value());
    return earlier.value();
}

void PixmapShare::keep(const Key &key, const QPixmap &pixmap)
{
    m_pictures.insert(key, pixmap);
}

PixmapShare::Pictures PixmapShare::resourcePictures() const
{
    Pictures pictures;
    for (auto it = m_pictures.cbegin(); it != m_pictures.cend(); ++it) {
        if (isResource(it.key().first))
            pictures.insert(it.key(), it.value());
    }
    return pictures;
}
