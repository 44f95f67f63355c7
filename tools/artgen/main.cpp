// SPDX-License-Identifier: GPL-3.0-or-later
// artgen: renders the game's pictures from assets/ and draws the contact sheet.
//
//   artgen render <pictures.json> <output folder>
//   artgen sheet  <pictures.json> <rendered folder> <sheet.png> [zoom]
//
// Needs a QGuiApplication (run with QT_QPA_PLATFORM=offscreen).

#include "artfonts.h"
#include "contactsheet.h"
#include "digitstrip.h"
#include "groundtexture.h"
#include "landscape.h"
#include "manifest.h"
#include "surfaceband.h"
#include "svglayers.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <functional>

namespace {

constexpr int kJpegQuality = 90;

int fail(const QString &message)
{
    std::fprintf(stderr, "artgen: %s\n", qPrintable(message));
    return 1;
}

QImage generate(const QString &name, const QSize &size, int ratio)
{
    static const QMap<QString, std::function<QImage(const QSize &, int)>> generators = {
        {"countryside", renderCountryside},
        {"canyon", renderCanyon},
        {"soil", renderSoilTexture},
        {"sandstone", renderSandstoneTexture},
        {"fieldstone", renderFieldstoneTexture},
        {"digits", renderDigitStrip},
        {"grassband", renderGrassBand},
        {"rockcrust", renderRockCrustBand},
    };
    const auto it = generators.find(name);
    return it == generators.end() ? QImage() : (*it)(size, ratio);
}

int render(const Manifest &manifest, const QString &outDir)
{
    if (!QDir().mkpath(outDir))
        return fail("cannot create " + outDir);
    for (const PictureSpec &spec : manifest.pictures) {
        QString error;
        QImage image = spec.generator.isEmpty() ? renderSvgLayers(manifest.assetsDir, spec, &error)
                                                : generate(spec.generator, spec.size, 1);
        if (image.isNull())
            return fail(
                error.isEmpty() ? QString("%1: unknown generator %2").arg(spec.file, spec.generator) : error);
        if (image.size() != spec.size)
            return fail(QString("%1: rendered at the wrong size").arg(spec.file));
        const bool jpeg = spec.file.endsWith(".jpg");
        if (jpeg)
            image = image.convertToFormat(QImage::Format_RGB32);
        if (!image.save(outDir + "/" + spec.file, nullptr, jpeg ? kJpegQuality : -1))
            return fail("cannot write " + outDir + "/" + spec.file);
        for (int ratio : manifest.hidpiRatios) {
            const QString file = Manifest::ratioFileName(spec.file, ratio);
            QImage dense = spec.generator.isEmpty() ? renderSvgLayers(manifest.assetsDir, spec, &error, ratio)
                                                    : generate(spec.generator, spec.size, ratio);
            if (dense.isNull())
                return fail(error);
            if (dense.size() != spec.size * ratio)
                return fail(QString("%1: rendered at the wrong size").arg(file));
            if (jpeg)
                dense = dense.convertToFormat(QImage::Format_RGB32);
            if (!dense.save(outDir + "/" + file, nullptr, jpeg ? kJpegQuality : -1))
                return fail("cannot write " + outDir + "/" + file);
        }
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4 || (args[1] != "render" && args[1] != "sheet")
        || (args[1] == "sheet" && args.size() < 5))
        return fail("usage: artgen render <pictures.json> <out dir> | sheet <pictures.json> <dir> "
                    "<sheet.png> [zoom]");
    QString error;
    if (!loadArtFonts(&error))
        return fail(error);
    Manifest manifest;
    if (!manifest.load(args[2], &error))
        return fail(error);
    if (args[1] == "render")
        return render(manifest, args[3]);
    const double zoom = args.size() > 5 ? args[5].toDouble() : 1.0;
    const QImage sheet = renderContactSheet(manifest, args[3], zoom > 0 ? zoom : 1.0, &error);
    if (sheet.isNull())
        return fail(error);
    if (!sheet.save(args[4]))
        return fail("cannot write " + args[4]);
    std::printf("%s\n", qPrintable(args[4]));
    return 0;
}
