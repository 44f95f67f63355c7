// A small program the tests run as a child process for the paths that end
// the process (fatal messages) or must survive a hard kill.
// Usage: velocrag_levelprobe <command> [arguments]; runs in the current
// working directory.

#include "physics/boxitem.h"
#include "physics/physics.h"

#include <QApplication>
#include <cstdio>

namespace {
int usage()
{
    std::fprintf(stderr, "usage: velocrag_levelprobe box-zero-mass\n");
    return 2;
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();
    Physics physics(450);
    const QString command = args.first();
    if (command == QLatin1String("box-zero-mass")) {
        BoxItem box(&physics, 10, 10, 0);
        return 0;
    }
    return usage();
}
