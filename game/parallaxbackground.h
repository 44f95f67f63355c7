#ifndef PARALLAXBACKGROUND_H
#define PARALLAXBACKGROUND_H

#include <QPixmap>
#include <QRectF>

class QPainter;

// The level pack's background picture behind the scene. It moves slower
// than the scene: across the level the picture's spare width (picture width
// minus viewport width) is spread over the scene's spare width, and the same
// upwards. A viewport taller than the picture gets the picture scaled up.
class ParallaxBackground
{
public:
    struct Placement
    {
        QRectF source; // region of the picture
        QRectF target; // where it lands in the viewport
    };

    // An empty or unreadable path leaves no picture (nothing is drawn).
    void setImage(const QString &path);
    const QPixmap &pixmap() const { return m_pixmap; }

    // viewport: the viewport rectangle in pixels; scene: the scene
    // rectangle; visible: the part of the scene the viewport shows (scene
    // units); zoom: the view's scale.
    Placement placement(const QRectF &viewport, const QRectF &scene, const QRectF &visible, qreal zoom) const;
    // Paints over whatever is beneath (the first layer of a frame).
    void draw(QPainter *painter, const QRectF &viewport, const QRectF &scene, const QRectF &visible,
        qreal zoom) const;

private:
    QPixmap m_pixmap;
};

#endif
