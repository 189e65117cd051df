// bitvane-compile --watch: the compile run again whenever its inputs change.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdio>
#include <functional>

namespace bitvane {

// What one compile tells the watch: the files it read (the project first,
// then each picture as opened; the project alone when it could not be
// read) and, when it succeeded, the number of sprites written.
struct CompileReport {
    QStringList inputs;
    int sprites = 0;
    // Called by the compile once inputs holds its pictures, before it reads
    // them, so that a picture changed while the run reads it is seen.
    std::function<void()> picturesKnown;
};

// Runs compile (which prints its own warnings and failure and returns the
// exit status), then again each time one of its inputs is written, replaced,
// removed or comes back, changes within 100 ms taken as one. Each success
// prints "HEADER: N sprites, T ms" on standard output; a failed run leaves
// the header as the last good run wrote it. Returns 0 once SIGINT or SIGTERM
// arrives, between runs, so that no run is cut short. Needs the running
// QCoreApplication's event loop. Answers 1 at once, with a line on err, when
// the signals cannot be caught.
int WatchCommand(std::FILE *err, const QString &headerName,
                 const std::function<int(CompileReport &)> &compile);

} // namespace bitvane
