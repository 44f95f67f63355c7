// SPDX-License-Identifier: GPL-3.0-or-later
#include "buttonpixmap.h"

#include "base/densepixmap.h"

#include <QPainter>

namespace {
// The picture at path, decoded on the first call.
const QPixmap &decodedOnce(const QString &path, QPixmap &pixmap, bool &decoded)
{
    if (!decoded) {
        decoded = true;
        pixmap = path.isEmpty() ? QPixmap() : DensePixmap::load(path);
    }
    return pixmap;
}
} // namespace

ButtonPixmap::ButtonPixmap(const QString &offImage, const QString &onImage, qreal x, qreal y, qreal width,
    qreal height, qreal hitX, qreal hitY, qreal hitWidth, qreal hitHeight, int buttonId, QObject *parent)
    : QObject(parent)
    , m_onPath(onImage)
    , m_offPath(offImage)
    , m_x(x)
    , m_y(y)
    , m_width(width)
    , m_height(height)
    , m_hitX(hitX)
    , m_hitY(hitY)
    , m_hitSize(hitWidth, hitHeight)
    , m_buttonId(buttonId)
{
    updateHitRect();
}

void ButtonPixmap::setOnPixmap(const QString &path)
{
    m_onPath = path;
    m_onDecoded = false;
}

void ButtonPixmap::setOffPixmap(const QString &path)
{
    m_offPath = path;
    m_offDecoded = false;
}

void ButtonPixmap::setDisabledPixmap(const QString &path)
{
    m_disabledPath = path;
    m_disabledDecoded = false;
}

void ButtonPixmap::setPos(qreal x, qreal y)
{
    m_x = x;
    m_y = y;
    updateHitRect();
}

void ButtonPixmap::setY(qreal y)
{
    m_y = y;
    updateHitRect();
}

void ButtonPixmap::setHitArea(qreal hitX, qreal hitY, qreal hitWidth, qreal hitHeight)
{
    m_hitX = hitX;
    m_hitY = hitY;
    m_hitSize = QSizeF(hitWidth, hitHeight);
    updateHitRect();
}

void ButtonPixmap::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (!enabled)
        m_pressed = false;
}

void ButtonPixmap::setVisible(bool visible)
{
    m_visible = visible;
    m_pressed = false;
}

const QPixmap &ButtonPixmap::currentPixmap() const
{
    if (!m_enabled)
        return decodedOnce(m_disabledPath, m_disabledPixmap, m_disabledDecoded);
    return m_pressed ? decodedOnce(m_onPath, m_onPixmap, m_onDecoded)
                     : decodedOnce(m_offPath, m_offPixmap, m_offDecoded);
}

void ButtonPixmap::paint(QPainter *painter) const
{
    if (!m_visible)
        return;
    painter->drawPixmap(QPoint(int(m_x), int(m_y)), currentPixmap());
}

void ButtonPixmap::setPressed(bool newval)
{
    if (!isActive() || m_pressed == newval)
        return;
    m_pressed = newval;
    if (newval)
        emit pressed(m_buttonId);
    else
        emit released(m_buttonId);
}

void ButtonPixmap::updateHitRect()
{
    m_hitRect = QRectF(m_x + m_hitX, m_y + m_hitY, m_hitSize.width(), m_hitSize.height());
}
