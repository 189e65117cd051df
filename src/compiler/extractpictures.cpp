// Sprites to PNG files and their project file, checked and encoded in full before the folder is
// touched.
#include "compiler/extractpictures.h"

#include "compiler/outputset.h"
#include "error.h"
#include "fileaccess.h"
#include "imaging/pngwriter.h"
#include "project/pictureentry.h"
#include "project/project.h"
#include "project/projectfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTemporaryDir>

#include <cerrno>
#include <ctime>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bitvane {

namespace {

std::uint8_t GreyOf(ColorValue shade)
{
    return std::uint8_t(shade & 0xFF);
}

bool IsUnsafeInFileName(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F || QStringView(u"/\\:*?\"<>|").contains(c);
}

// The folders that creating `folder` needs, outermost first.
QStringList MissingFolders(const QString &folder)
{
    QStringList missing;
    QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    while (!QFileInfo::exists(path)) {
        missing.prepend(path);
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            break;
        path = parent;
    }
    return missing;
}

void RemoveFolders(const QStringList &created)
{
    for (auto it = created.crbegin(); it != created.crend(); ++it)
        QDir().rmdir(*it);
}

// name cut to at most `most` bytes of UTF-8, whole characters only.
QString CutToUtf8Bytes(const QString &name, qsizetype most)
{
    qsizetype bytes = 0, end = 0;
    for (qsizetype i = 0; i < name.size();) {
        const char32_t c =
            name.at(i).isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate()
                ? QChar::surrogateToUcs4(name.at(i), name.at(i + 1))
                : name.at(i).unicode();
        const qsizetype units = c > 0xFFFF ? 2 : 1;
        bytes += c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4;
        if (bytes > most)
            break;
        i += units;
        end = i;
    }
    return name.left(end);
}

} // namespace

QByteArray SpritePng(const PictureSurface &picture, const SpriteMask *mask)
{
    const int width = picture.width(), height = picture.height();
    QByteArray grey(qsizetype(width) * height, Qt::Uninitialized);
    QByteArray alpha;
    if (mask)
        alpha.resize(grey.size());
    for (int y = 0; y < height; ++y) {
        const ColorValue *row = picture.row(y);
        for (int x = 0; x < width; ++x) {
            const qsizetype i = qsizetype(y) * width + x;
            std::uint8_t g = GreyOf(row[x]), a = 255;
            // A sheet's mask is one frame wide, its frames' rows one after another.
            if (mask && !mask->drawn(x % mask->width, x / mask->width * height + y)) {
                // Black at alpha 85 lies over white as (255 * 170 + 127) / 255 = 170.
                if (row[x] == ShadeLight) {
                    g = 0;
                    a = 85;
                } else {
                    a = 0;
                }
            }
            grey[i] = char(g);
            if (mask)
                alpha[i] = char(a);
        }
    }
    return EncodeGreyPng(width, height, grey, alpha);
}

std::vector<QString> PictureFileNames(const std::vector<HeaderSprite> &sprites)
{
    // Room for "_NNN.png" within the 255 bytes most file systems allow.
    constexpr qsizetype MostStemBytes = 200;
    std::vector<QString> names;
    names.reserve(sprites.size());
    QSet<QString> taken;
    // Per stem (case folded) the number to try next: every one below it is
    // taken, so that many arrays of one name cost no search from 2 each.
    QHash<QString, int> nextNumber;
    for (const HeaderSprite &sprite : sprites) {
        QString stem = sprite.name;
        for (QChar &c : stem)
            if (IsUnsafeInFileName(c))
                c = u'_';
        if (stem.startsWith(u'.'))
            stem[0] = u'_';
        if (stem.isEmpty())
            stem = QStringLiteral("sprite");
        stem = CutToUtf8Bytes(stem, MostStemBytes);
        QString name = stem + QStringLiteral(".png");
        QString folded = name.toCaseFolded();
        if (taken.contains(folded)) {
            const QString key = stem.toCaseFolded();
            auto next = nextNumber.find(key);
            if (next == nextNumber.end())
                next = nextNumber.insert(key, 2);
            int &n = next.value();
            do {
                name = stem + u'_' + QString::number(n++) + QStringLiteral(".png");
                folded = name.toCaseFolded();
            } while (taken.contains(folded));
        }
        taken.insert(folded);
        names.push_back(name);
    }
    return names;
}

namespace {

// Files made in full, to be written into a folder together.
struct FileToWrite {
    QString name; // a file name, no folder
    QByteArray bytes;
};

std::vector<QByteArray> EncodePictures(const std::vector<HeaderSprite> &sprites)
{
    std::vector<QByteArray> files;
    files.reserve(sprites.size());
    for (const HeaderSprite &sprite : sprites) {
        files.push_back(SpritePng(sprite.picture, sprite.mask ? &*sprite.mask : nullptr));
        if (files.back().isEmpty())
            throw Error(QStringLiteral("array %1: no picture of %2 x %3 pixels can be written")
                            .arg(sprite.name)
                            .arg(sprite.picture.width())
                            .arg(sprite.picture.height()));
    }
    return files;
}

// The hidden folder an extraction stages its files in, inside the folder it
// writes to so that moving them in is a rename.
const QString StagingPrefix = QStringLiteral(".bitvane-extract-");
// A staging folder untouched for longer was left by a run that was killed.
constexpr std::time_t StaleAfterSeconds = 10 * 60;

// Makes the missing folders of folder, outermost first; on failure removes
// the ones it made and throws Error with the system's reason.
QStringList MakeFolders(const QString &folder)
{
    const QStringList missing = MissingFolders(folder);
    QStringList created;
    for (const QString &path : missing) {
        if (::mkdir(QFile::encodeName(path).constData(), 0777) != 0) {
            const int reason = errno;
            RemoveFolders(created);
            throw Error(folder, QStringLiteral("cannot be created: %1").arg(SystemReason(reason)));
        }
        created << path;
    }
    return created;
}

// A lock on a staging folder for as long as its run goes on, so that
// another run never takes it for one left behind.
class StagingLock {
public:
    explicit StagingLock(const QString &folder)
        : m_fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
    {
        if (m_fd >= 0)
            ::flock(m_fd, LOCK_EX | LOCK_NB);
    }
    ~StagingLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    StagingLock(const StagingLock &) = delete;
    StagingLock &operator=(const StagingLock &) = delete;

private:
    int m_fd;
};

// Whether the staging folder at path was left by a run that is over: old,
// and nobody holds its lock.
bool LeftBehind(const QString &path)
{
    const QByteArray local = QFile::encodeName(path);
    struct stat status;
    if (::lstat(local.constData(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        status.st_mtime > std::time(nullptr) - StaleAfterSeconds)
        return false;
    const int fd = ::open(local.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool unheld = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return unheld;
}

// Removes the staging folders of interrupted runs from folder (never ours)
// and returns them.
QStringList RemoveLeftStaging(const QString &folder, const QString &ours)
{
    QStringList removed;
    const QDir dir(folder);
    for (const QString &name :
         dir.entryList({StagingPrefix + u'*'}, QDir::Dirs | QDir::Hidden | QDir::NoSymLinks)) {
        const QString path = dir.filePath(name);
        if (path != ours && LeftBehind(path) && QDir(path).removeRecursively())
            removed << path;
    }
    return removed;
}

// Writes every file into folder, created if missing, or none: they are
// staged in a hidden folder inside it and moved into place together. Unless
// force, a name already there (a dangling symbolic link too) is an Error
// before anything is written; with it, what stands under the name is
// replaced, a symbolic link itself, never what it leads to. Returns the
// files' paths in order, and in removedStaging what interrupted runs had
// left in folder.
std::vector<QString> WriteTogether(const std::vector<FileToWrite> &files, const QString &folder,
                                   bool force, QStringList *removedStaging)
{
    const QDir dir(folder);
    std::vector<QString> targets;
    for (const FileToWrite &file : files)
        targets.push_back(dir.filePath(file.name));

    const QFileInfo folderInfo(folder);
    if (folderInfo.exists() && !folderInfo.isDir())
        throw Error(folder, QStringLiteral("is a file, not a folder"));
    for (const QString &path : targets) {
        struct stat status;
        if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
            continue;
        if (S_ISDIR(status.st_mode))
            throw Error(path, QStringLiteral("is a folder"));
        if (!force)
            throw Error(path, QStringLiteral("exists already and is not overwritten"));
    }

    const QStringList created = MakeFolders(folder);
    QString staged;
    try {
        QTemporaryDir staging(dir.filePath(StagingPrefix + QStringLiteral("XXXXXX")));
        if (!staging.isValid())
            throw Error(folder, QStringLiteral("cannot be written: %1").arg(staging.errorString()));
        const StagingLock running(staging.path());
        staged = staging.path();
        OutputSet outputs(OutputSet::Links::Replace);
        outputs.stageIn(staging.path());
        for (std::size_t i = 0; i < files.size(); ++i)
            outputs.add(targets[i], files[i].bytes);
        outputs.commit();
    } catch (...) {
        RemoveFolders(created);
        throw;
    }
    // Only once this run has succeeded, so that a failure changes nothing.
    if (removedStaging)
        *removedStaging = RemoveLeftStaging(folder, staged);
    return targets;
}

std::vector<FileToWrite> PictureFiles(const std::vector<HeaderSprite> &sprites)
{
    const std::vector<QString> names = PictureFileNames(sprites);
    std::vector<QByteArray> pngs = EncodePictures(sprites);
    std::vector<FileToWrite> files;
    for (std::size_t i = 0; i < sprites.size(); ++i)
        files.push_back({names[i], std::move(pngs[i])});
    return files;
}

std::vector<ExtractedPicture> Written(const std::vector<HeaderSprite> &sprites,
                                      const std::vector<QString> &paths)
{
    std::vector<ExtractedPicture> written;
    for (std::size_t i = 0; i < sprites.size(); ++i)
        written.push_back({sprites[i].name, paths[i]});
    return written;
}

} // namespace

std::vector<ExtractedPicture> WritePictures(const std::vector<HeaderSprite> &sprites,
                                            const QString &folder, bool force)
{
    return Written(sprites, WriteTogether(PictureFiles(sprites), folder, force, nullptr));
}

QString ProjectFileNameFor(const QString &headerPath)
{
    QString name = QFileInfo(headerPath).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot >= 0)
        name.truncate(dot);
    if (name.isEmpty())
        name = QStringLiteral("project");
    return name + QStringLiteral(".bvp");
}

namespace {

void CheckProjectSize(const std::vector<HeaderSprite> &sprites, const QString &headerPath)
{
    if (sprites.size() > std::size_t(MaxProjectRecords))
        throw Error(headerPath, QStringLiteral("holds %1 sprite arrays, more than the %2 a "
                                               "project can list")
                                    .arg(sprites.size())
                                    .arg(MaxProjectRecords));
}

} // namespace

QByteArray ExtractionProject(const std::vector<HeaderSprite> &sprites, const QString &headerPath,
                             const ProjectSettings &settings)
{
    CheckProjectSize(sprites, headerPath);
    const std::vector<QString> names = PictureFileNames(sprites);
    QByteArray text = FormatSettingsLine(settings);
    for (std::size_t i = 0; i < sprites.size(); ++i) {
        const QString problem = NameStorageProblem(sprites[i].name);
        if (!problem.isEmpty())
            throw Error(headerPath, sprites[i].line,
                        QStringLiteral("array name %1 cannot be kept in a project file: it %2")
                            .arg(sprites[i].name.left(60), problem));
        PictureEntry entry;
        entry.Name = sprites[i].name;
        // Bare names are taken from the project's folder, wherever it moves.
        entry.Location = names[i];
        if (const int frames = sprites[i].frames; frames > 0) {
            entry.Options.cell =
                std::pair(sprites[i].picture.width() / frames, sprites[i].picture.height());
            entry.Options.frames = frames;
        }
        text += FormatProjectRecord(RecordOf(entry));
    }
    return text;
}

Extraction WriteExtraction(HeaderContents contents, const QString &headerPath,
                           const QString &folder, bool force)
{
    if (contents.sprites.empty())
        throw Error(headerPath, QStringLiteral("holds no sprite array"));
    CheckProjectSize(contents.sprites, headerPath);
    std::vector<FileToWrite> files = PictureFiles(contents.sprites);
    ProjectSettings settings;
    settings.style = contents.style;
    settings.hex = contents.hex;
    settings.masks = contents.masks;
    settings.shared = contents.shared && contents.style == HeaderStyle::Modern;
    files.push_back({ProjectFileNameFor(headerPath),
                     ExtractionProject(contents.sprites, headerPath, settings)});
    Extraction extraction;
    std::vector<QString> paths = WriteTogether(files, folder, force, &extraction.removedStaging);
    extraction.projectPath = paths.back();
    paths.pop_back();
    extraction.pictures = Written(contents.sprites, paths);
    extraction.warnings = std::move(contents.warnings);
    extraction.warningsLeftOut = contents.warningsLeftOut;
    extraction.style = contents.style;
    extraction.hex = contents.hex;
    extraction.masks = contents.masks;
    return extraction;
}

Extraction ExtractHeader(const QString &headerPath, const QString &folder, bool force)
{
    return WriteExtraction(ReadHeaderFile(headerPath), headerPath, folder, force);
}

QString RemovedStagingNote(const QString &folder, const QStringList &removed)
{
    if (removed.size() == 1)
        return QStringLiteral("%1: note: removed %2, left by an interrupted extraction")
            .arg(folder, QFileInfo(removed.front()).fileName());
    if (removed.size() > 1)
        return QStringLiteral("%1: note: removed %2 staging folders left by interrupted "
                              "extractions")
            .arg(folder)
            .arg(removed.size());
    return {};
}

} // namespace bitvane
