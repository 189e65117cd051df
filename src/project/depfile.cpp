// Make-style dependency files: the rule's text, with names make could not read refused.
#include "project/depfile.h"

#include "error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <set>

namespace bitvane {

namespace {

// One file name as make reads it in a rule. Backslashes are only special
// before a blank or '#', where they are doubled so the escape that follows
// stays an escape; '$' is make's variable sign.
QByteArray EscapeForMake(const QString &name)
{
    // Characters make reads as part of the rule's syntax whatever the
    // escape: a target list, a variable or pattern, an order-only list, a
    // recipe or a new line. One would stop every later make in the tree.
    static const struct {
        char16_t c;
        const char *shown;
    } unreadable[] = {{u':', "':'"},           {u';', "';'"},          {u'|', "'|'"},
                      {u'%', "'%'"},           {u'=', "'='"},          {u'\t', "a TAB"},
                      {u'\n', "a line break"}, {u'\r', "a line break"}};
    for (const auto &[c, shown] : unreadable)
        if (name.contains(QChar(c)))
            throw Error(name, QStringLiteral("the name holds %1, which a dependency file cannot "
                                             "hold for make")
                                  .arg(QLatin1StringView(shown)));
    const QByteArray raw = QFile::encodeName(name);
    QByteArray out;
    out.reserve(raw.size() + 8);
    qsizetype backslashes = 0;
    for (const char c : raw) {
        if (c == ' ' || c == '#') {
            out.append(backslashes, '\\');
            out.append('\\');
        } else if (c == '$') {
            out.append('$');
        }
        backslashes = c == '\\' ? backslashes + 1 : 0;
        out.append(c);
    }
    return out;
}

QByteArray InputForMake(const QString &path)
{
    return EscapeForMake(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

} // namespace

QByteArray MakeDepfileText(const QString &headerPath, const QString &projectPath,
                           std::span<const PictureEntry> entries)
{
    std::vector<QByteArray> pictures;
    std::set<QByteArray> seen;
    for (const PictureEntry &entry : entries) {
        QByteArray name = InputForMake(entry.Location);
        if (seen.insert(name).second)
            pictures.push_back(std::move(name));
    }

    QByteArray text = EscapeForMake(headerPath) + ": " + InputForMake(projectPath);
    for (const QByteArray &p : pictures)
        text += " \\\n  " + p;
    text += '\n';
    for (const QByteArray &p : pictures)
        text += '\n' + p + ":\n";
    return text;
}

} // namespace bitvane
