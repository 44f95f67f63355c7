// SPDX-License-Identifier: GPL-3.0-or-later
#include "fatalerror.h"

#include <QDebug>
#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {
std::atomic<FatalErrorPresenter> presenter {nullptr};
}

void setFatalErrorPresenter(FatalErrorPresenter p)
{
    presenter = p;
}

void fatalError(const QString &message)
{
    qCritical().noquote() << message;
    std::fflush(stdout);
    std::fflush(stderr);
    // A presenter that fails in turn must not come back here.
    if (const FatalErrorPresenter show = presenter.exchange(nullptr))
        show(message);
    std::_Exit(EXIT_FAILURE);
}
