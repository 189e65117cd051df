// The window's signs and question for names that would not compile.
#include "app/namewarnings.h"

#include "project/identifiers.h"
#include "project/project.h"

#include <QApplication>
#include <QPixmap>
#include <QStyle>

namespace bitvane {

namespace {

// A message box taller than the screen hides its buttons.
constexpr int MaxListedNames = 20;

} // namespace

QIcon NameSign(bool failing)
{
    if (failing)
        return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
    QPixmap blank(NameSignSize);
    blank.fill(Qt::transparent);
    return QIcon(blank);
}

QString NamesQuestionText(std::span<const PictureEntry> entries, bool modern)
{
    const QStringList names = EntryNames(entries);
    const std::vector<QString> problems = NameProblems(names, EntryNameUses(entries), modern);
    QStringList lines;
    int failing = 0;
    for (std::size_t i = 0; i < problems.size(); ++i) {
        if (problems[i].isEmpty())
            continue;
        if (++failing <= MaxListedNames)
            lines << QStringLiteral("Row %1, \"%2\": %3")
                         .arg(i + 1)
                         .arg(names[qsizetype(i)], problems[i]);
    }
    if (failing == 0)
        return {};
    if (failing > MaxListedNames)
        lines << QStringLiteral("and %1 more").arg(failing - MaxListedNames);
    return QStringLiteral("These names are not usable as C array names:\n\n") + lines.join(u'\n') +
           QStringLiteral("\n\n\"Fix names\" changes them into usable ones and returns to the "
                          "list; \"Compile anyway\" writes the header as they stand.");
}

} // namespace bitvane
