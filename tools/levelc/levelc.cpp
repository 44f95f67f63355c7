// SPDX-License-Identifier: GPL-3.0-or-later
// levelc: compiles the level sources (JSON, see levels/README.md) into a
// level database.
// Usage: levelc [--allow-duplicate-levels] [--packs <packs.json>]
//               --objecttypes <catalogue.json> --output <file.db> <level.json>...
// A bad source stops it with one line on stderr (file, level, field,
// problem) and exit status 1; nothing is written then.

#include "leveldbwriter.h"
#include "sourcereader.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QPair>
#include <algorithm>
#include <cstdio>

namespace {
int usage()
{
    std::fprintf(stderr,
        "usage: levelc [--allow-duplicate-levels] [--packs <packs.json>] --objecttypes <catalogue.json> "
        "--output <file.db> <level.json>...\n");
    return 2;
}

[[noreturn]] void rejectLevel(const SourceLevel &level, const QString &field, const QString &problem)
{
    std::fprintf(stderr, "levelc: %s: level %d/%d \"%s\": field %s: %s\n", qPrintable(level.file), level.pack,
        level.number, qPrintable(level.name), qPrintable(field), qPrintable(problem));
    std::exit(EXIT_FAILURE);
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QString catalogue;
    QString output;
    QString packFile;
    QStringList files;
    bool allowDuplicates = false;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--objecttypes") && i + 1 < args.size())
            catalogue = args[++i];
        else if (args[i] == QLatin1String("--output") && i + 1 < args.size())
            output = args[++i];
        else if (args[i] == QLatin1String("--packs") && i + 1 < args.size())
            packFile = args[++i];
        else if (args[i] == QLatin1String("--allow-duplicate-levels"))
            allowDuplicates = true;
        else if (args[i].startsWith(QLatin1String("--")))
            return usage();
        else
            files.append(args[i]);
    }
    if (catalogue.isEmpty() || output.isEmpty())
        return usage();

    SourceReader reader;
    const QVector<SourceObjectType> types = reader.readObjectTypes(catalogue);
    const QVector<SourcePack> packs = packFile.isEmpty() ? QVector<SourcePack>() : reader.readPacks(packFile);
    // Sorted by file name so that the output does not depend on the order of
    // the command line.
    std::sort(files.begin(), files.end(),
        [](const QString &a, const QString &b) { return QFileInfo(a).fileName() < QFileInfo(b).fileName(); });
    QVector<SourceLevel> levels;
    QHash<int, QString> ids; // level id -> file
    QHash<QPair<int, int>, QString> packNumbers; // (pack, number) -> file
    for (const QString &file : files) {
        const SourceLevel level = reader.readLevel(file);
        if (ids.contains(level.id))
            rejectLevel(level, "id",
                QStringLiteral("id %1 is already used by %2").arg(level.id).arg(ids.value(level.id)));
        const QPair<int, int> key(level.pack, level.number);
        if (packNumbers.contains(key) && !allowDuplicates)
            rejectLevel(level, "number",
                QStringLiteral("pack %1 already has a level %2 (%3)")
                    .arg(level.pack)
                    .arg(level.number)
                    .arg(packNumbers.value(key)));
        ids.insert(level.id, file);
        packNumbers.insert(key, file);
        levels.append(level);
    }

    QString error;
    if (!LevelDbWriter::write(output, types, levels, packs, &error)) {
        std::fprintf(
            stderr, "levelc: %s: cannot write the database: %s\n", qPrintable(output), qPrintable(error));
        return EXIT_FAILURE;
    }
    return EXIT_SUCCESS;
}
