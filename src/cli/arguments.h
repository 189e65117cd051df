// bitvane-compile's command line: what the arguments ask for.
#pragma once

#include "cli/compilecommand.h"

#include <QString>

#include <cstdio>
#include <optional>

namespace bitvane {

// What the arguments ask for. exitStatus is set when they were answered
// already (--help, --version: 0) or refused (2, with the reason and the
// usage on err); otherwise one run: an extraction, or a compile, watched or
// not.
struct CommandLine {
    std::optional<int> exitStatus;
    bool extracting = false;
    QString extractHeader; // --extract HEADER
    bool force = false;
    QString outputPath; // -o: the header ("-" standard output), or the folder to extract into
    QString projectPath;
    CompileOptions options;
    bool watch = false;
};

// Judges argv (each argument must be UTF-8); help and version go to
// standard output.
CommandLine ParseArguments(std::FILE *err, int argc, char *argv[]);

} // namespace bitvane
