// bitvane-compile --extract: the header's warnings in the compilers' form, then the files.
#include "cli/extractcommand.h"

#include "cli/oneline.h"
#include "compiler/extractpictures.h"
#include "compiler/headerreader.h"

namespace bitvane {

void ExtractCommand(std::FILE *err, const QString &headerPath, const QString &folder, bool force)
{
    HeaderContents contents = ReadHeaderFile(headerPath);
    // The warnings come before a failure to write, as they are true of the
    // header either way and tell what the project will lack.
    for (const HeaderWarning &warning : contents.warnings)
        PrintLine(err, QStringLiteral("%1:%2: warning: %3")
                           .arg(headerPath)
                           .arg(warning.line)
                           .arg(warning.text));
    if (contents.warningsLeftOut > 0)
        PrintLine(err, QStringLiteral("%1: warning: %2")
                           .arg(headerPath, LeftOutText(contents.warningsLeftOut)));
    const Extraction written = WriteExtraction(std::move(contents), headerPath, folder, force);
    const QString note = RemovedStagingNote(folder, written.removedStaging);
    if (!note.isEmpty())
        PrintLine(err, note);
}

} // namespace bitvane
