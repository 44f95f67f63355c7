// SPDX-License-Identifier: GPL-3.0-or-later
#include "ghostitem.h"

#include "base/densepixmap.h"
#include "physics/ballitem.h"
#include "physics/physics.h"

#include <QFont>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cmath>

namespace {
// What the bike with wheels and seated rider covers around the frame
// (scene units; rides paint within x -60..61, y -61..50, the rider's lean
// moves the top), and each part of the thrown-off rider around its centre
// (its largest picture's half diagonal is 36). The item's picture is cut at
// these bounds.
const QRectF kBikeBounds(-66.0, -72.0, 132.0, 128.0);
constexpr qreal kPartReach = 40.0;

// The tag: its centre this far above the frame (scene units, upright
// whatever the frame's angle), its text's pixel size and padding, drawn at
// twice the pixels for a zoomed-in camera.
constexpr qreal kTagLift = 92.0;
constexpr int kTagPixelSize = 15;
constexpr QSizeF kTagPadding(8.0, 3.0);
constexpr qreal kTagScale = 2.0;
const QColor kTagInk(0xff, 0xff, 0xff);
const QColor kTagFill(0x2a, 0x22, 0x30);

constexpr PoseTrack::Part kRagdollParts[]
    = {PoseTrack::Thigh, PoseTrack::Shin, PoseTrack::Arm, PoseTrack::Torso};
} // namespace

GhostItem::GhostItem()
    : m_wheel(DensePixmap::load(QString::fromLatin1(BikePainter::kWheelPicture)))
{
    setZValue(kZ);
    // Painted whole into a picture of its own, which the scene then lays
    // down see-through: parts over parts (rider over bike over wheels) do
    // not show through each other, as on one translucent sheet.
    setCacheMode(DeviceCoordinateCache);
    setOpacity(kOpacity);
    setVisible(false);
    setAcceptedMouseButtons(Qt::NoButton);
}

void GhostItem::showPose(const PoseTrack::Sample &pose, qreal fade)
{
    const bool shown = (pose.parts & (1u << PoseTrack::Frame)) && fade > 0.0;
    setVisible(shown);
    if (!shown)
        return;
    m_pose = pose;
    const PoseTrack::BodyPose &frame = pose.bodies[PoseTrack::Frame];
    setPos(frame.x, frame.y);
    setRotation(radToDeg(frame.angle));
    setOpacity(kOpacity * std::min(fade, 1.0));

    const qreal frameDegrees = radToDeg(frame.angle);
    QTransform toFrame;
    toFrame.rotate(-frameDegrees);
    toFrame.translate(-frame.x, -frame.y);
    QRectF bounds = kBikeBounds;
    if (!m_tag.isNull()) {
        const QSizeF size = m_tag.deviceIndependentSize();
        QRectF tag(QPointF(), size);
        tag.moveCenter(tagCentre(frameDegrees));
        // Upright in the scene, so turned in the frame: its reach is the
        // half diagonal.
        const qreal reach = std::hypot(size.width(), size.height()) / 2;
        bounds |= tag.adjusted(-reach, -reach, reach, reach);
    }
    for (int part = 0; part < PoseTrack::PartCount; ++part) {
        if (!(pose.parts & (1u << part)))
            continue;
        const PoseTrack::BodyPose &body = pose.bodies[part];
        m_local[part].pos = toFrame.map(QPointF(body.x, body.y));
        m_local[part].degrees = radToDeg(body.angle) - frameDegrees;
        const QPointF at = m_local[part].pos;
        bounds |= QRectF(at.x() - kPartReach, at.y() - kPartReach, 2 * kPartReach, 2 * kPartReach);
    }
    if (bounds != m_bounds) {
        prepareGeometryChange();
        m_bounds = bounds;
    }
    update();
}

void GhostItem::setTag(const QString &text)
{
    if (text == m_tagText)
        return;
    m_tagText = text;
    if (text.isEmpty()) {
        m_tag = QPixmap();
        update();
        return;
    }
    QFont font;
    font.setPixelSize(kTagPixelSize);
    font.setBold(true);
    const QFontMetricsF metrics(font);
    const QSizeF size(std::ceil(metrics.horizontalAdvance(text) + 2 * kTagPadding.width()),
        std::ceil(metrics.height() + 2 * kTagPadding.height()));
    m_tag = QPixmap((size * kTagScale).toSize());
    m_tag.setDevicePixelRatio(kTagScale);
    m_tag.fill(Qt::transparent);
    QPainter painter(&m_tag);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kTagFill);
    const QRectF box(QPointF(), size);
    painter.drawRoundedRect(box, size.height() / 2, size.height() / 2);
    painter.setPen(kTagInk);
    painter.setFont(font);
    painter.drawText(box, Qt::AlignCenter, text);
    painter.end();
    update();
}

QPointF GhostItem::tagCentre(qreal degrees)
{
    QTransform toFrame;
    toFrame.rotate(-degrees);
    return toFrame.map(QPointF(0.0, -kTagLift));
}

GhostItem::LocalPose GhostItem::local(PoseTrack::Part part) const
{
    return m_local[part];
}

QPointF GhostItem::partScenePos(PoseTrack::Part part) const
{
    return mapToScene(m_local[part].pos);
}

QRectF GhostItem::boundingRect() const
{
    return m_bounds;
}

void GhostItem::drawCentred(QPainter *painter, const LocalPose &at, const QPixmap &pixmap)
{
    painter->save();
    painter->translate(at.pos);
    painter->rotate(at.degrees);
    painter->drawPixmap(DensePixmap::centredRect(pixmap), pixmap, QRectF(pixmap.rect()));
    painter->restore();
}

// The bike's own drawing order: wheels under the frame, the seated rider on
// it; the thrown-off rider's limbs, then its torso.
void GhostItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    for (PoseTrack::Part wheel : {PoseTrack::RearWheel, PoseTrack::FrontWheel}) {
        if (!holds(wheel))
            continue;
        LocalPose at = local(wheel);
        // The wheel's picture turns as the wheel items turn it.
        at.degrees = BallItem::spriteRotation(m_pose.bodies[wheel].angle) - rotation();
        drawCentred(painter, at, m_wheel);
    }
    const bool riderOn = holds(PoseTrack::RiderMass) && !holds(PoseTrack::Torso);
    m_painter.paint(painter, local(PoseTrack::FrontWheel).pos, local(PoseTrack::RearWheel).pos,
        local(PoseTrack::RiderMass).pos, 0.0f, riderOn);
    if (holds(PoseTrack::Torso)) {
        const QPixmap *pictures[]
            = {&m_painter.upperLeg(), &m_painter.lowerLeg(), &m_painter.riderHand(), &m_painter.riderBody()};
        for (int i = 0; i < 4; ++i) {
            if (holds(kRagdollParts[i]))
                drawCentred(painter, local(kRagdollParts[i]), *pictures[i]);
        }
    }
    if (!m_tag.isNull())
        drawCentred(painter, {tagCentre(rotation()), -rotation()}, m_tag);
}
