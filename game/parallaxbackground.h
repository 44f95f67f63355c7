// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PARALLAXBACKGROUND_H
#define PARALLAXBACKGROUND_H

#include <QPixmap>
#include <QRectF>

class QPainter;

// The level pack's background picture behind the scene. It moves slower
// than the scene: across the level the picture's spare width (picture width
// minus viewport width) is spread over the scene's spare width. Upwards it
// either spreads the spare height the same way, or, once the level's ground
// height is known, keeps the picture's horizon (the foot of its hills) just
// above that ground on screen, following the ground's screen position at a
// fraction of its speed. A viewport taller than the picture gets the picture
// scaled up; what the picture leaves uncovered gets its top or bottom row.
//
// The scaled-up picture is made once per scale (a new viewport height) and
// then copied unscaled at whole-pixel offsets, and so are the strips of its
// top and bottom rows: scaling a viewport's worth of pixels every frame cost
// the raster engine more than the rest of the frame's drawing.
class ParallaxBackground
{
public:
    struct Placement
    {
        QRectF source; // region of the picture
        QRectF target; // where it lands in the viewport
    };

    // Fraction of the picture's height, from the top, where its hills meet
    // the ground; both pack pictures are drawn to it.
    static constexpr qreal kHorizonRow = 0.8;
    // The horizon's screen position moves by this fraction of the ground's.
    static constexpr qreal kVerticalFollow = 0.5;
    // Where the horizon rests (fraction of the viewport height) when the
    // ground is at that height on screen too.
    static constexpr qreal kHorizonRest = 0.4;

    // An empty or unreadable path leaves no picture (nothing is drawn).
    void setImage(const QString &path);
    const QPixmap &pixmap() const { return m_pixmap; }
    // The level's ground height (scene y) the horizon is placed against.
    void setGroundLevel(qreal sceneY);
    void clearGroundLevel() { m_hasGround = false; }

    // viewport: the viewport rectangle in pixels; scene: the scene
    // rectangle; visible: the part of the scene the viewport shows (scene
    // units); zoom: the view's scale.
    Placement placement(const QRectF &viewport, const QRectF &scene, const QRectF &visible, qreal zoom) const;
    // Rows in each strip of the picture's top and bottom row.
    static constexpr int kEdgeRows = 32;

    // Paints over whatever is beneath (the first layer of a frame) and
    // returns the part of the viewport it painted, whole pixels (the full
    // height, or nothing without a picture; a picture narrower than the
    // viewport leaves its right part).
    QRect draw(
        QPainter *painter, const QRectF &viewport, const QRectF &scene, const QRectF &visible, qreal zoom);
    // The picture as draw() copies it at a placement's scale (the target's
    // size over the source's): the picture itself at scale 1, else the
    // picture scaled by nearest pixel (as a scaled draw samples it) to the
    // scale's whole-pixel size, kept until the scale or the picture changes.
    const QPixmap &scaledPixmap(qreal scale);
    // kEdgeRows copies of the picture's top row over as many of its bottom
    // row, kept until the picture changes.
    const QPixmap &edgeRows(const QPixmap &picture);

private:
    Placement groundedPlacement(const QRectF &viewport, const QRectF &scene, const QRectF &visible) const;

    QPixmap m_pixmap;
    QPixmap m_scaled;
    qreal m_scaledFor = 0.0;
    QPixmap m_edges;
    qint64 m_edgesFor = 0;
    qreal m_groundY = 0.0;
    bool m_hasGround = false;
};

#endif
