// Loading a camera photo: an 8000 x 6000 baseline JPEG, of which a sprite
// keeps the top-left 32 x 240 pixels (targets: under 50 ms, under 64 MB
// peak), and a 4000 x 3000 one scaled whole to 32 pixels wide (under 60 ms
// and 64 MB; run it alone with --benchmark_filter=Scale for its own peak).
//
// A 100-frame animated GIF of 320 x 240, every frame decoded, composited
// and fitted (under 100 ms and 32 MB; run it alone with
// --benchmark_filter=Gif for its own peak).
//
// The photos and the GIF are written at run time by child runs of this program, so that
// the images they are made from never count in this process' peak.

#include "gifwriter.h"
#include "imaging/pictureloader.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/resource.h>

namespace {

QString photoPath;
QString smallPhotoPath;
QString animationPath;

// Smooth gradients with a little grain, as a photo has: it compresses to a
// camera's file size, not to a flat colour's.
int WritePhoto(const char *path, int width, int height)
{
    QImage photo(width, height, QImage::Format_RGB32);
    quint32 seed = 1;
    for (int y = 0; y < photo.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(photo.scanLine(y));
        for (int x = 0; x < photo.width(); ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = int(seed >> 28) - 8;
            row[x] = qRgb(qBound(0, x * 250 / width + grain, 255),
                          qBound(0, y * 250 / height + grain, 255),
                          qBound(0, (x + y) * 250 / (width + height) + grain, 255));
        }
    }
    QImageWriter writer(QString::fromLocal8Bit(path), "jpeg");
    writer.setQuality(90);
    writer.setOptimizedWrite(false);
    writer.setProgressiveScanWrite(false);
    return writer.write(photo) ? 0 : 1;
}

// Frames of noise over part of the screen each, kept or undone in turn, so
// that every disposal is composited.
int WriteAnimation(const char *path)
{
    const QSize screen(320, 240);
    QList<QRgb> palette;
    // 256 colours: the test writer clears the code table after every
    // table-size-minus-two pixels, and a small table would time those
    // clears rather than the decoding an encoder's file costs.
    for (int i = 0; i < 256; ++i)
        palette.append(qRgb(i, i, i));
    QList<giftest::Frame> frames;
    quint32 seed = 7;
    for (int k = 0; k < 100; ++k) {
        giftest::Frame frame;
        frame.rect =
            k == 0 ? QRect(QPoint(0, 0), screen) : QRect((k * 13) % 160, (k * 7) % 120, 160, 120);
        frame.disposal = 1 + k % 3;
        frame.transparentIndex = 255;
        frame.indices.resize(std::size_t(frame.rect.width() * frame.rect.height()));
        for (std::uint8_t &index : frame.indices) {
            seed = seed * 1664525u + 1013904223u;
            index = std::uint8_t(seed >> 24);
        }
        frames.append(frame);
    }
    QFile file(QString::fromLocal8Bit(path));
    return file.open(QIODevice::WriteOnly) &&
                   file.write(giftest::makeGif(screen, palette, frames)) > 0
               ? 0
               : 1;
}

double PeakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

void BM_LoadCameraJpeg(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(bitvane::LoadPicture(photoPath));
    state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_LoadCameraJpeg)->Unit(benchmark::kMillisecond);

void BM_ScalePhotoJpeg(benchmark::State &state)
{
    bitvane::PictureOptions scale;
    scale.fit = bitvane::FitMode::Scale;
    for (auto _ : state)
        benchmark::DoNotOptimize(bitvane::LoadPicture(smallPhotoPath, scale));
    state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_ScalePhotoJpeg)->Unit(benchmark::kMillisecond);

void BM_AnimatedGifAllFrames(benchmark::State &state)
{
    bitvane::PictureOptions all;
    all.frames = 0;
    for (auto _ : state) {
        const bitvane::LoadedSprite sprite = bitvane::LoadSprite(animationPath, all);
        if (sprite.frameCount() != 100)
            state.SkipWithError("not 100 frames");
        benchmark::DoNotOptimize(sprite);
    }
    state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK(BM_AnimatedGifAllFrames)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--write-photo") == 0)
        return WritePhoto(argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
    if (argc == 3 && std::strcmp(argv[1], "--write-gif") == 0)
        return WriteAnimation(argv[2]);

    QTemporaryDir dir;
    photoPath = dir.filePath("photo.jpg");
    smallPhotoPath = dir.filePath("photo4000.jpg");
    animationPath = dir.filePath("animation.gif");
    const QString self = QString::fromLocal8Bit(argv[0]);
    if (QProcess::execute(self, {"--write-photo", photoPath, "8000", "6000"}) != 0 ||
        QProcess::execute(self, {"--write-photo", smallPhotoPath, "4000", "3000"}) != 0 ||
        QProcess::execute(self, {"--write-gif", animationPath}) != 0) {
        std::fprintf(stderr, "the photos or the GIF could not be written\n");
        return 1;
    }
    std::printf("photo: %lld bytes; peak before loading: %.1f MB\n", QFileInfo(photoPath).size(),
                PeakMegabytes());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
