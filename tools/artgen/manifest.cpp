// SPDX-License-Identifier: GPL-3.0-or-later
#include "manifest.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QMap<QString, QString> readRecolor(const QJsonObject &palettes, const QJsonValue &value)
{
    QMap<QString, QString> map;
    // A layer names a shared palette by string or gives its own map.
    const QJsonObject obj = value.isString() ? palettes.value(value.toString()).toObject() : value.toObject();
    for (auto it = obj.begin(); it != obj.end(); ++it)
        map.insert(it.key().toLower(), it.value().toString().toLower());
    return map;
}

} // namespace

bool Manifest::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QString("cannot open %1").arg(path);
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (doc.isNull()) {
        *error = QString("%1: %2 at offset %3").arg(path, parseError.errorString()).arg(parseError.offset);
        return false;
    }
    assetsDir = QFileInfo(path).absolutePath();
    const QJsonObject root = doc.object();
    const QJsonObject palettes = root.value("palettes").toObject();
    const QJsonObject templates = root.value("templates").toObject();
    for (const QJsonValue &v : root.value("hidpiRatios").toArray()) {
        if (v.toInt() < 2) {
            *error = QString("%1: hidpiRatios holds whole ratios from 2 up").arg(path);
            return false;
        }
        hidpiRatios.append(v.toInt());
    }
    for (const QJsonValue &v : root.value("pictures").toArray()) {
        const QJsonObject o = v.toObject();
        PictureSpec spec;
        spec.file = o.value("file").toString();
        spec.size = QSize(o.value("width").toInt(), o.value("height").toInt());
        spec.generator = o.value("generator").toString();
        // A template is a named list of layers in which "$icon" stands for the
        // picture's own icon file.
        QJsonArray layers = o.value("layers").toArray();
        if (o.contains("template")) {
            const QString icon = o.value("icon").toString();
            layers = templates.value(o.value("template").toString()).toArray();
            for (int i = 0; i < layers.size(); ++i) {
                QJsonObject layer = layers[i].toObject();
                if (layer.value("svg").toString() == "$icon")
                    layer.insert("svg", icon);
                if (layer.value("recolor").toString() == "$palette")
                    layer.insert("recolor", o.value("palette"));
                layers[i] = layer;
            }
        }
        for (const QJsonValue &lv : layers) {
            const QJsonObject lo = lv.toObject();
            SvgLayer layer;
            layer.svg = lo.value("svg").toString();
            layer.recolor = readRecolor(palettes, lo.value("recolor"));
            layer.dx = lo.value("dx").toDouble();
            layer.dy = lo.value("dy").toDouble();
            spec.layers.append(layer);
        }
        if (spec.file.isEmpty() || spec.size.isEmpty()
            || (spec.layers.isEmpty() == spec.generator.isEmpty())) {
            *error = QString("%1: picture %2 needs a name, a size and either layers or a generator")
                         .arg(path, spec.file);
            return false;
        }
        pictures.append(spec);
    }
    return true;
}

QString Manifest::ratioFileName(const QString &file, int ratio)
{
    const int dot = file.lastIndexOf('.');
    const QString suffix = QString("@%1x").arg(ratio);
    return dot < 0 ? file + suffix : file.left(dot) + suffix + file.mid(dot);
}
