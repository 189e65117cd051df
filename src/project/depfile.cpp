// Make-style dependency files: the text and its atomic save.
#include "project/depfile.h"

#include "error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <set>

namespace bitvane {

namespace {

// One file name as make reads it in a rule. Backslashes are only special
// before a blank or '#', where they are doubled so the escape that follows
// stays an escape; '$' is make's variable sign.
QByteArray EscapeForMake(const QString &name)
{
    if (name.contains(u'\n') || name.contains(u'\r'))
        throw Error(name, QStringLiteral("a file name with a line break cannot be written in a "
                                         "dependency file"));
    const QByteArray raw = QFile::encodeName(name);
    QByteArray out;
    out.reserve(raw.size() + 8);
    qsizetype backslashes = 0;
    for (const char c : raw) {
        if (c == ' ' || c == '\t' || c == '#') {
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

void WriteDepfile(const QString &depfilePath, const QString &headerPath, const QString &projectPath,
                  std::span<const PictureEntry> entries)
{
    const QByteArray text = MakeDepfileText(headerPath, projectPath, entries);
    QSaveFile file(depfilePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        throw Error(depfilePath, QStringLiteral("cannot be written: %1").arg(file.errorString()));
}

} // namespace bitvane
