// bitvane-compile's compile: the project read, its names checked, its pictures decoded ahead, the
// header written.
#pragma once

#include "compiler/headerstyle.h"
#include "imaging/pictureoptions.h"

#include <QString>

#include <cstdio>
#include <optional>

namespace bitvane {

struct CompileReport;

// What to do with names a C compiler would refuse.
enum class NameRule { Warn, Fail, Fix };

struct CompileOptions {
    // Each set only by its option; unset, the project's settings line decides.
    std::optional<bool> hex;
    std::optional<HeaderStyle> style;
    std::optional<bool> masks;
    std::optional<bool> shared;
    QString depfilePath;
    NameRule nameRule = NameRule::Warn;
    PictureOptions pictures;           // for records that do not choose
    bool standardOutputClosed = false; // and opened on /dev/null since
    bool werror = false;               // every warning an error, also with --fix-names
};

// Compiles the project at projectPath into headerPath ("-": standard
// output) with the project's settings as options override them. Warnings,
// and the lines of names or fitting that -Werror made errors, go to err;
// returns the exit status (1 when such errors stopped it), throws Error for
// a failure, a picture's named at its project line. report, when given,
// learns the files read and the sprites written, for --watch.
int CompileCommand(std::FILE *err, const QString &projectPath, const QString &headerPath,
                   const CompileOptions &options, CompileReport *report = nullptr);

} // namespace bitvane
