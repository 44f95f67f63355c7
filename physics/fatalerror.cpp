#include "fatalerror.h"

#include <QDebug>
#include <cstdio>
#include <cstdlib>

void fatalError(const QString &message)
{
    qCritical().noquote() << message;
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
}
