// Selection texts, default names taken from paths, and whether two paths are one file.
#include "project/paths.h"

#include "error.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace bitvane {

namespace {

constexpr qsizetype MaxTextLength = 32767;
constexpr QChar Nul = QChar(0);

bool isSeparator(QChar c)
{
    return c == u'/' || c == u'\\';
}

// An over-long text would make the message as long as the text; a prefix is
// enough to recognise it.
QString shortened(const QString &text)
{
    constexpr qsizetype shown = 60;
    QString s = text.size() <= shown ? text : text.left(shown) + QStringLiteral("...");
    s.replace(Nul, u' ');
    return s;
}

// Positions and lengths are 16-bit in the selection texts and paths this
// program takes apart; a longer text is a failure, not a silent truncation.
void checkLength(const QString &text)
{
    if (text.size() > MaxTextLength)
        throw Error(shortened(text), QStringLiteral("a text of %1 characters is longer than the "
                                                    "32767 a path may have")
                                         .arg(text.size()));
}

} // namespace

std::int16_t GetFileCount(const QString &selection)
{
    checkLength(selection);
    const auto nuls = selection.count(Nul);
    return static_cast<std::int16_t>(nuls == 0 ? 1 : nuls);
}

QString GetFilePath(const QString &selection, std::int16_t n)
{
    checkLength(selection);
    const qsizetype firstNul = selection.indexOf(Nul);
    if (firstNul < 0)
        return selection;

    QString folder = selection.left(firstNul);
    if (folder.isEmpty() || !isSeparator(folder.back())) {
        const bool backslashes = folder.contains(u'\\') && !folder.contains(u'/');
        folder += backslashes ? u'\\' : u'/';
    }

    // The selection gets one more NUL at its end, so that the last name is
    // closed like the others and an index just past the last name finds its
    // start (and an empty name) behind that NUL.
    const qsizetype end = selection.size() + 1;
    auto at = [&](qsizetype i) { return i < selection.size() ? selection.at(i) : Nul; };
    int count = 0;
    qsizetype start = -1;
    for (qsizetype i = 0; i < end; ++i) {
        if (at(i) != Nul)
            continue;
        ++count;
        if (count == n) {
            start = i + 1;
        } else if (count == n + 1 && start >= 0) {
            return folder + selection.mid(start, i - start);
        }
    }
    if (start >= 0)
        return folder;
    throw Error(shortened(folder),
                QStringLiteral("the selection has no file number %1: it names %2 file(s)")
                    .arg(n)
                    .arg(count - 1));
}

QString GetBaseName(const QString &path)
{
    checkLength(path);
    if (path.isEmpty())
        throw Error(QStringLiteral("no name can be taken from an empty path"));

    // The search starts at the third-last character, so a separator in one
    // of the last two places is never the one that ends the folder.
    qsizetype sep = -1;
    for (qsizetype i = path.size() - 3; i >= 0; --i) {
        if (isSeparator(path.at(i))) {
            sep = i;
            break;
        }
    }
    // A bare file name ("hero.png") is a picture of the project's folder; a
    // separator only in the last two places still leaves no file name.
    if (sep < 0 && (path.contains(u'/') || path.contains(u'\\')))
        throw Error(shortened(path),
                    QStringLiteral("no name can be taken: the path has no folder"));

    const QString fileName = path.mid(sep + 1);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0)
        throw Error(shortened(path),
                    QStringLiteral("no name can be taken: \"%1\" has no extension").arg(fileName));
    return fileName.left(dot);
}

bool SameFile(const QString &a, const QString &b)
{
    const QFileInfo fa(a), fb(b);
    if (fa.absoluteFilePath() == fb.absoluteFilePath())
        return true;
    const QString ca = fa.canonicalFilePath(), cb = fb.canonicalFilePath();
    if (!ca.isEmpty() && ca == cb)
        return true;
    // Two hard links are one file under two names.
    struct stat sa, sb;
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

} // namespace bitvane
