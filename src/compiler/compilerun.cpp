#include "compiler/compilerun.h"

#include "compiler/spritearray.h"
#include "error.h"
#include "imaging/adjustments.h"
#include "project/paths.h"
#include "project/projectfile.h"

#include <QFileInfo>
#include <QSaveFile>

#include <optional>

#ifdef __linux__
#include <fcntl.h>
#endif

namespace bitvane {

namespace {

constexpr char LineEnd[] = "\r\n";

// Everything goes to a temporary file beside the target; the target is
// replaced only by commit(). A run that fails leaves the target as it was,
// and the destructor removes the temporary file.
class Output {
public:
    explicit Output(const QString &path) : m_file(path)
    {
        if (QFileInfo(path).isDir())
            throw Error(path, QStringLiteral("cannot be written: it is a folder"));
        if (!m_file.open(QIODevice::WriteOnly))
            throw Error(path, QStringLiteral("cannot be written: %1").arg(m_file.errorString()));
    }

    void write(QByteArrayView bytes)
    {
        if (m_file.write(bytes.data(), bytes.size()) != bytes.size())
            fail();
        m_pending += bytes.size();
        if (m_pending >= WritebackChunk)
            startWriteback();
    }

    // Pushes the buffered rest to the temporary file, so that a full disk is
    // found before either target is replaced.
    void flush()
    {
        if (!m_file.flush() || m_file.error() != QFileDevice::NoError)
            fail();
    }

    void commit()
    {
        if (!m_file.commit())
            fail();
    }

private:
    static constexpr qint64 WritebackChunk = qint64(1) << 20;

    // commit() syncs the file to disk, which for a large header would mean
    // writing all of it at the very end. Handing each written megabyte to
    // the disk at once lets that run while the compile goes on; the sync at
    // the end still decides, so this is only a head start.
    void startWriteback()
    {
        flush();
#ifdef __linux__
        ::sync_file_range(m_file.handle(), m_started, 0, SYNC_FILE_RANGE_WRITE);
#endif
        m_started += m_pending;
        m_pending = 0;
    }

    [[noreturn]] void fail()
    {
        throw Error(m_file.fileName(),
                    QStringLiteral("cannot be written: %1").arg(m_file.errorString()));
    }

    QSaveFile m_file;
    qint64 m_started = 0; // bytes already handed to the disk
    qint64 m_pending = 0; // bytes written since
};

} // namespace

QByteArray HeaderPreamble()
{
    QByteArray text;
    text += "// Sprite header file made with Bitvane 2.0";
    text += LineEnd;
    text += "// ";
    text += MakerAddress;
    text += LineEnd;
    text += LineEnd;
    return text;
}

void RunCompile(const CompileJob &job)
{
    const int total = int(job.entries.size());
    if (total > MaxProjectRecords)
        throw Error(QStringLiteral("%1 pictures are more than the %2 a project can hold")
                        .arg(total)
                        .arg(MaxProjectRecords));
    if (total > 0 && !job.image)
        throw Error(QStringLiteral("the compile was given no pictures to compile"));
    const bool withProject = !job.projectPath.isEmpty();
    if (withProject && SameFile(job.headerPath, job.projectPath))
        throw Error(job.headerPath,
                    QStringLiteral("the header and the project file cannot be the same file"));

    Output header(job.headerPath);
    std::optional<Output> project;
    if (withProject)
        project.emplace(job.projectPath);

    header.write(HeaderPreamble());
    for (int i = 0; i < total; ++i) {
        const CompileEntry &entry = job.entries[std::size_t(i)];
        PictureSurface work = job.image(i);
        try {
            // At 0 either pass leaves a four-shade image exactly as it is,
            // and most entries keep both settings at 0.
            if (entry.contrast != 0)
                ApplyContrast(work, work, entry.contrast);
            if (entry.brightness != 0)
                ApplyBrightness(work, work, entry.brightness);
        } catch (const Error &e) {
            // The passes know the setting but not the picture it belongs to.
            if (!e.file().isEmpty())
                throw;
            throw Error(entry.location.isEmpty() ? entry.name : entry.location, e.reason());
        }
        header.write(MakeSpriteArray(work, entry.name, job.hex));
        header.write(LineEnd);
        header.write(LineEnd);
        if (project)
            project->write(FormatProjectRecord({entry.location, entry.brightness, entry.contrast}));
        if (job.progress)
            job.progress(i + 1, total);
    }

    header.flush();
    if (project)
        project->flush();
    header.commit();
    if (project)
        project->commit();
}

} // namespace bitvane
