// Sprites to PNG files and their project file, checked and encoded in full before the folder is
// touched.
#include "compiler/extractpictures.h"

#include "error.h"
#include "imaging/pngwriter.h"
#include "project/pictureentry.h"
#include "project/project.h"
#include "project/projectfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <filesystem>
#include <system_error>

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

std::filesystem::path NativePath(const QString &path)
{
    return std::filesystem::path(path.toStdU16String());
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
            if (mask && !mask->drawn(x, y)) {
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
    QSet<QString> taken;
    for (const HeaderSprite &sprite : sprites) {
        QString stem = sprite.name;
        for (QChar &c : stem)
            if (IsUnsafeInFileName(c))
                c = u'_';
        if (stem.startsWith(u'.'))
            stem[0] = u'_';
        if (stem.isEmpty())
            stem = QStringLiteral("sprite");
        while (stem.toUtf8().size() > MostStemBytes)
            stem.chop(1);
        QString name = stem + QStringLiteral(".png");
        for (int n = 2; taken.contains(name.toCaseFolded()); ++n)
            name = QStringLiteral("%1_%2.png").arg(stem).arg(n);
        taken.insert(name.toCaseFolded());
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

// Writes every file into folder, created if missing, or none: they are
// written into a temporary folder inside it and moved into place. Unless
// force, a file already there is an Error before anything is written.
// Returns the files' paths in order.
std::vector<QString> WriteTogether(const std::vector<FileToWrite> &files, const QString &folder,
                                   bool force)
{
    const QDir dir(folder);
    std::vector<QString> targets;
    for (const FileToWrite &file : files)
        targets.push_back(dir.filePath(file.name));

    const QFileInfo folderInfo(folder);
    if (folderInfo.exists() && !folderInfo.isDir())
        throw Error(folder, QStringLiteral("is a file, not a folder"));
    for (const QString &path : targets) {
        const QFileInfo target(path);
        if (target.isDir())
            throw Error(path, QStringLiteral("is a folder"));
        if (!force && target.exists())
            throw Error(path, QStringLiteral("exists already and is not overwritten"));
    }

    const QStringList created = MissingFolders(folder);
    if (!QDir().mkpath(folder)) {
        RemoveFolders(created);
        throw Error(folder, QStringLiteral("cannot be created"));
    }
    std::size_t moved = 0;
    try {
        // Inside the folder, so that moving the files in is a rename.
        QTemporaryDir staging(dir.filePath(QStringLiteral(".bitvane-extract-XXXXXX")));
        if (!staging.isValid())
            throw Error(folder, QStringLiteral("cannot be written: %1").arg(staging.errorString()));
        for (std::size_t i = 0; i < files.size(); ++i) {
            QFile file(staging.filePath(files[i].name));
            if (!file.open(QIODevice::WriteOnly) ||
                file.write(files[i].bytes) != files[i].bytes.size() || !file.flush())
                throw Error(targets[i],
                            QStringLiteral("cannot be written: %1").arg(file.errorString()));
        }
        for (; moved < files.size(); ++moved) {
            std::error_code ec;
            std::filesystem::rename(NativePath(staging.filePath(files[moved].name)),
                                    NativePath(targets[moved]), ec);
            if (ec)
                throw Error(targets[moved], QStringLiteral("cannot be written: %1")
                                                .arg(QString::fromStdString(ec.message())));
        }
    } catch (const Error &) {
        // Without force no file was there before: the ones moved in go again.
        if (!force)
            for (std::size_t i = 0; i < moved; ++i)
                QFile::remove(targets[i]);
        RemoveFolders(created);
        throw;
    }
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
    return Written(sprites, WriteTogether(PictureFiles(sprites), folder, force));
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

QByteArray ExtractionProject(const std::vector<HeaderSprite> &sprites, const QString &headerPath,
                             const ProjectSettings &settings)
{
    if (sprites.size() > std::size_t(MaxProjectRecords))
        throw Error(headerPath, QStringLiteral("holds %1 sprite arrays, more than the %2 a "
                                               "project can list")
                                    .arg(sprites.size())
                                    .arg(MaxProjectRecords));
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
        text += FormatProjectRecord(RecordOf(entry));
    }
    return text;
}

Extraction WriteExtraction(HeaderContents contents, const QString &headerPath,
                           const QString &folder, bool force)
{
    if (contents.sprites.empty())
        throw Error(headerPath, QStringLiteral("holds no sprite array"));
    std::vector<FileToWrite> files = PictureFiles(contents.sprites);
    ProjectSettings settings;
    settings.style = contents.style;
    settings.hex = contents.hex;
    settings.masks = contents.masks;
    settings.shared = contents.shared && contents.style == HeaderStyle::Modern;
    files.push_back({ProjectFileNameFor(headerPath),
                     ExtractionProject(contents.sprites, headerPath, settings)});
    std::vector<QString> paths = WriteTogether(files, folder, force);
    Extraction extraction;
    extraction.projectPath = paths.back();
    paths.pop_back();
    extraction.pictures = Written(contents.sprites, paths);
    extraction.warnings = std::move(contents.warnings);
    extraction.style = contents.style;
    extraction.hex = contents.hex;
    extraction.masks = contents.masks;
    return extraction;
}

Extraction ExtractHeader(const QString &headerPath, const QString &folder, bool force)
{
    return WriteExtraction(ReadHeaderFile(headerPath), headerPath, folder, force);
}

} // namespace bitvane
