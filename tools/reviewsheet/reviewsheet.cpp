// SPDX-License-Identifier: GPL-3.0-or-later
// reviewsheet: renders the 24 levels of a pack as a grid of thumbnails (the
// whole terrain with its objects, start and finish) labelled with number,
// name and target times, into one PNG.
//
//   reviewsheet --levels build/levels.db --sources levels/sources --pack 1 --output pack1.png

#include "levels/level.h"
#include "levels/levelmanager.h"
#include "physics/physics.h"
#include "world/levelworld.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QGraphicsScene>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QPainter>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

namespace {
constexpr int kColumns = 4;
constexpr int kLevelsPerPack = 24;
constexpr int kCellWidth = 640; // pixels
constexpr int kCellHeight = 250;
constexpr int kLabelHeight = 34;
constexpr int kMargin = 8;
constexpr double kStartMarkRadius = 40.0; // scene units
const QColor kSky(178, 208, 230);
const QColor kPaper(40, 40, 48);

int fail(const QString &message)
{
    std::fprintf(stderr, "reviewsheet: %s\n", qPrintable(message));
    return 2;
}

// Level names from the sources, by level number (the database has no names).
QMap<int, QString> levelNames(const QString &sourcesDir, int pack)
{
    QMap<int, QString> names;
    const QDir dir(QStringLiteral("%1/pack%2").arg(sourcesDir).arg(pack));
    for (const QString &file : dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        QFile f(dir.filePath(file));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject o = QJsonDocument::fromJson(f.readAll()).object();
        names.insert(o.value(QStringLiteral("number")).toInt(), o.value(QStringLiteral("name")).toString());
    }
    return names;
}

void drawLevel(QPainter *p, const QRect &cell, int pack, int number, const QString &name)
{
    Physics physics(LevelWorld::kGravity);
    QGraphicsScene scene;
    auto manager = std::make_unique<LevelManager>(&physics, &scene);
    Level *level = manager->LoadLevel(pack, number);
    const QRect picture = cell.adjusted(kMargin, kLabelHeight, -kMargin, -kMargin);
    p->fillRect(cell, kPaper);
    if (level->levelNumber() != number) {
        p->setPen(Qt::red);
        p->drawText(cell.adjusted(kMargin, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop,
            QStringLiteral("%1: missing").arg(number));
        return;
    }
    const QRectF world(0, level->sceneMinY(), level->groundMaxX(), level->sceneMaxY() - level->sceneMinY());
    // Fit the playing area's width; keep the vertical scale equal.
    QRectF source = scene.itemsBoundingRect().intersected(world);
    const double scale = std::min(picture.width() / source.width(), picture.height() / source.height());
    const QSizeF drawn(source.width() * scale, source.height() * scale);
    const QRectF target(QPointF(picture.left(), picture.bottom() - drawn.height()), drawn);
    p->fillRect(picture, kSky);
    scene.render(p, target, source, Qt::KeepAspectRatio);
    // Start (green ring) and finish (red line) drawn over the level.
    const auto toCell = [&](QPointF s) {
        return QPointF(
            target.left() + (s.x() - source.left()) * scale, target.top() + (s.y() - source.top()) * scale);
    };
    p->setPen(QPen(QColor(0, 200, 0), 2));
    p->setBrush(Qt::NoBrush);
    p->drawEllipse(toCell(level->bikeStartPos()), kStartMarkRadius * scale + 3, kStartMarkRadius * scale + 3);
    p->setPen(QPen(QColor(230, 30, 30), 2));
    const QPointF finish = toCell(QPointF(level->finishLineX(), level->finishLineY()));
    p->drawLine(finish, finish - QPointF(0, 30));
    p->setPen(Qt::white);
    QFont font = p->font();
    font.setPixelSize(15);
    font.setBold(true);
    p->setFont(font);
    p->drawText(cell.adjusted(kMargin, 2, -kMargin, 0), Qt::AlignLeft | Qt::AlignTop,
        QStringLiteral("%1  %2").arg(number, 2, 10, QLatin1Char('0')).arg(name));
    font.setBold(false);
    p->setFont(font);
    p->drawText(cell.adjusted(kMargin, 2, -kMargin, 0), Qt::AlignRight | Qt::AlignTop,
        QStringLiteral("gold %1  silver %2  bronze %3   %4 wide")
            .arg(level->goldTime())
            .arg(level->silverTime())
            .arg(level->bronzeTime())
            .arg(qRound(level->groundMaxX())));
    manager.reset();
}
} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Renders a level pack as a sheet of thumbnails."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("levels"), QStringLiteral("Level database."), QStringLiteral("file")},
        {QStringLiteral("sources"), QStringLiteral("Level source folder (for the names)."),
            QStringLiteral("dir")},
        {QStringLiteral("pack"), QStringLiteral("Level pack."), QStringLiteral("n")},
        {QStringLiteral("output"), QStringLiteral("PNG to write."), QStringLiteral("file")},
    });
    parser.process(app);
    bool ok = false;
    const int pack = parser.value(QStringLiteral("pack")).toInt(&ok);
    const QString output = QFileInfo(parser.value(QStringLiteral("output"))).absoluteFilePath();
    const QFileInfo levels(parser.value(QStringLiteral("levels")));
    if (!ok || !levels.isFile() || parser.value(QStringLiteral("output")).isEmpty())
        return fail(QStringLiteral("needs --levels <existing file>, --pack and --output"));
    const QMap<int, QString> names
        = levelNames(QFileInfo(parser.value(QStringLiteral("sources"))).absoluteFilePath(), pack);

    // The level manager reads levels.db from the working folder and creates
    // a results.db beside it: work in a copy.
    QTemporaryDir folder;
    if (!folder.isValid()
        || !QFile::copy(levels.absoluteFilePath(), folder.filePath(QStringLiteral("levels.db"))))
        return fail(QStringLiteral("cannot prepare a working folder"));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());

    const int rows = (kLevelsPerPack + kColumns - 1) / kColumns;
    QImage sheet(kColumns * kCellWidth, rows * kCellHeight, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::black);
    {
        QPainter p(&sheet);
        p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
        for (int n = 1; n <= kLevelsPerPack; ++n) {
            const QRect cell(((n - 1) % kColumns) * kCellWidth, ((n - 1) / kColumns) * kCellHeight,
                kCellWidth - 2, kCellHeight - 2);
            drawLevel(&p, cell, pack, n, names.value(n));
        }
    }
    QDir::setCurrent(previous);
    if (!sheet.save(output, "PNG"))
        return fail(QStringLiteral("cannot write %1").arg(output));
    std::printf("%s\n", qPrintable(output));
    return 0;
}
