#ifndef FATALERROR_H
#define FATALERROR_H

#include <QString>

// Ends the program in order after a broken invariant or a database failure:
// the message goes to the error log as one line, then the process exits with
// status 1 without running any destructor (the state is not trusted any
// more). Used wherever the game cannot go on.
[[noreturn]] void fatalError(const QString &message);

#endif
