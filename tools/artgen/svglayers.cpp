// SPDX-License-Identifier: GPL-3.0-or-later
#include "svglayers.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

QImage renderSvgLayers(const QString &assetsDir, const PictureSpec &spec, QString *error, int ratio)
{
    QImage image(spec.size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.scale(ratio, ratio);
    for (const SvgLayer &layer : spec.layers) {
        QFile file(assetsDir + "/" + layer.svg);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = QString("%1: cannot open %2").arg(spec.file, file.fileName());
            return QImage();
        }
        QString text = QString::fromUtf8(file.readAll());
        // Substitutions go through a placeholder so that swapped colours
        // (a -> b and b -> a) do not chain.
        int n = 0;
        for (auto it = layer.recolor.begin(); it != layer.recolor.end(); ++it, ++n)
            text.replace(it.key(), QString("@@%1@@").arg(n), Qt::CaseInsensitive);
        n = 0;
        for (auto it = layer.recolor.begin(); it != layer.recolor.end(); ++it, ++n)
            text.replace(QString("@@%1@@").arg(n), it.value());
        QSvgRenderer renderer(text.toUtf8());
        if (!renderer.isValid()) {
            *error = QString("%1: %2 is not valid SVG").arg(spec.file, file.fileName());
            return QImage();
        }
        renderer.render(&painter, QRectF(QPointF(layer.dx, layer.dy), QSizeF(spec.size)));
    }
    painter.end();
    return image;
}
