// bitvane-compile --extract: the header's warnings in the compilers' form, then the files.
#include "cli/extractcommand.h"

#include "cli/oneline.h"
#include "compiler/extractpictures.h"
#include "compiler/headerreader.h"

#include <QFileInfo>

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
    const QStringList &removed = written.removedStaging;
    if (removed.size() == 1)
        PrintLine(err, QStringLiteral("%1: note: removed %2, left by an interrupted extraction")
                           .arg(folder, QFileInfo(removed.front()).fileName()));
    else if (removed.size() > 1)
        PrintLine(err, QStringLiteral("%1: note: removed %2 staging folders left by interrupted "
                                      "extractions")
                           .arg(folder)
                           .arg(removed.size()));
}

} // namespace bitvane
