// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef FATALERROR_H
#define FATALERROR_H

#include <QString>

// Ends the program in order after a broken invariant or a database failure:
// the message goes to the error log as one line, then to the presenter (if
// one is set), then the process exits with status 1 without running any
// destructor (the state is not trusted any more). Used wherever the game
// cannot go on.
[[noreturn]] void fatalError(const QString &message);

// Shows a fatal message to the player before the process ends (the game
// shows it in a window). It must not return into the game's state: it may
// only hand the message over, for example to a process of its own.
using FatalErrorPresenter = void (*)(const QString &message);
void setFatalErrorPresenter(FatalErrorPresenter presenter);

#endif
