// Sprites to PNG files, checked and encoded in full before the folder is touched.
#include "compiler/extractpictures.h"

#include "error.h"
#include "imaging/pngwriter.h"

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

std::vector<ExtractedPicture> WritePictures(const std::vector<HeaderSprite> &sprites,
                                            const QString &folder, bool force)
{
    const std::vector<QString> names = PictureFileNames(sprites);
    const QDir dir(folder);
    std::vector<QByteArray> files;
    std::vector<ExtractedPicture> written;
    for (std::size_t i = 0; i < sprites.size(); ++i) {
        const HeaderSprite &sprite = sprites[i];
        files.push_back(SpritePng(sprite.picture, sprite.mask ? &*sprite.mask : nullptr));
        if (files.back().isEmpty())
            throw Error(QStringLiteral("array %1: no picture of %2 x %3 pixels can be written")
                            .arg(sprite.name)
                            .arg(sprite.picture.width())
                            .arg(sprite.picture.height()));
        written.push_back({sprite.name, dir.filePath(names[i])});
    }

    const QFileInfo folderInfo(folder);
    if (folderInfo.exists() && !folderInfo.isDir())
        throw Error(folder, QStringLiteral("is a file, not a folder"));
    for (const ExtractedPicture &picture : written) {
        const QFileInfo target(picture.path);
        if (target.isDir())
            throw Error(picture.path, QStringLiteral("is a folder"));
        if (!force && target.exists())
            throw Error(picture.path, QStringLiteral("exists already and is not overwritten"));
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
            QFile file(staging.filePath(names[i]));
            if (!file.open(QIODevice::WriteOnly) || file.write(files[i]) != files[i].size() ||
                !file.flush())
                throw Error(written[i].path,
                            QStringLiteral("cannot be written: %1").arg(file.errorString()));
        }
        for (; moved < files.size(); ++moved) {
            std::error_code ec;
            std::filesystem::rename(NativePath(staging.filePath(names[moved])),
                                    NativePath(written[moved].path), ec);
            if (ec)
                throw Error(written[moved].path, QStringLiteral("cannot be written: %1")
                                                     .arg(QString::fromStdString(ec.message())));
        }
    } catch (const Error &) {
        // Without force no file was there before: the ones moved in go again.
        if (!force)
            for (std::size_t i = 0; i < moved; ++i)
                QFile::remove(written[i].path);
        RemoveFolders(created);
        throw;
    }
    return written;
}

Extraction ExtractHeader(const QString &headerPath, const QString &folder, bool force)
{
    HeaderContents contents = ReadHeaderFile(headerPath);
    if (contents.sprites.empty())
        throw Error(headerPath, QStringLiteral("holds no sprite array"));
    Extraction extraction;
    extraction.pictures = WritePictures(contents.sprites, folder, force);
    extraction.warnings = std::move(contents.warnings);
    extraction.style = contents.style;
    extraction.hex = contents.hex;
    extraction.masks = contents.masks;
    return extraction;
}

} // namespace bitvane
