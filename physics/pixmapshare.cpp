// SPDX-License-Identifier: GPL-3.0-or-later
#include "pixmapshare.h"

namespace {
PixmapShare *g_current = nullptr;
} // namespace

PixmapShare::PixmapShare()
{
    if (!g_current) {
        g_current = this;
        m_active = true;
    }
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

QString PixmapShare::key(const QString &path, qreal devicePixelRatio)
{
    return QString::number(devicePixelRatio) + QLatin1Char(' ') + path;
}

QPixmap PixmapShare::find(const QString &path, qreal devicePixelRatio) const
{
    return m_pixmaps.value(key(path, devicePixelRatio));
}

void PixmapShare::keep(const QString &path, qreal devicePixelRatio, const QPixmap &pixmap)
{
    m_pixmaps.insert(key(path, devicePixelRatio), pixmap);
}
