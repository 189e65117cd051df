// Benchmarks of the kernels, and of one sprite from file to array text.
#include "compiler/compilerun.h"
#include "compiler/extractpictures.h"
#include "compiler/headerreader.h"
#include "compiler/headerstyle.h"
#include "compiler/spritearray.h"
#include "imaging/adjustments.h"
#include "imaging/fit.h"
#include "imaging/pictureloader.h"
#include "imaging/qtimage.h"
#include "imaging/shadereduction.h"
#include "imaging/shading.h"
#include "imaging/spritemask.h"
#include "project/pictureentry.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <random>

using namespace bitvane;

namespace {

constexpr int Width = 32;
constexpr int Height = 240;
constexpr double Pixels = Width * Height;

// A photo-like sprite: random colours, fixed seed.
PictureSurface ColourSprite()
{
    std::mt19937 rng(1234);
    PictureSurface s(Width, Height);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            s.setPixel(x, y, ColorValue(rng() & 0xFFFFFF));
    return s;
}

PictureSurface ShadeSprite()
{
    PictureSurface s = ColourSprite();
    ReduceToShades(s, s);
    return s;
}

void PerPixel(benchmark::State &state)
{
    state.counters["time/pixel"] = benchmark::Counter(
        Pixels, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ReduceToShades(benchmark::State &state)
{
    const PictureSurface src = ColourSprite();
    PictureSurface dst(Width, Height);
    for (auto _ : state) {
        ReduceToShades(dst, src);
        benchmark::DoNotOptimize(dst.row(0));
    }
    PerPixel(state);
}
BENCHMARK(BM_ReduceToShades);

// The shade step of loading on a photo-like 32 x 240 sprite (grey bytes,
// levels, levels to shades, written back), a fresh copy each time: the copy
// is part of the time. Targets: diffusion under 20 us, ordered under 5 us.
void BM_ShadePicture(benchmark::State &state)
{
    const PictureSurface src = ColourSprite();
    PictureOptions options;
    options.shade = ShadeMode(state.range(0));
    options.black = 16;
    options.white = 240;
    state.SetLabel(options.shade == ShadeMode::Diffuse ? "diffuse" : "ordered");
    for (auto _ : state) {
        PictureSurface work = src;
        ShadePicture(work, Width, options, QStringLiteral("sprite.png"));
        benchmark::DoNotOptimize(work.row(0));
    }
    PerPixel(state);
}
BENCHMARK(BM_ShadePicture)
    ->Arg(int(ShadeMode::Diffuse))
    ->Arg(int(ShadeMode::Ordered))
    ->Unit(benchmark::kMicrosecond);

// The level kernels alone, on the grey bytes of the same sprite.
void BM_LevelKernel(benchmark::State &state)
{
    const PictureSurface src = ColourSprite();
    ByteGrid greys{Width, Height, {}};
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
            greys.values.push_back(GreyByte(src.pixel(x, y)));
    const bool diffuse = state.range(0) == int(ShadeMode::Diffuse);
    state.SetLabel(diffuse ? "diffuse" : "ordered");
    for (auto _ : state)
        benchmark::DoNotOptimize(diffuse ? DiffusedLevels(greys) : OrderedLevels(greys));
    PerPixel(state);
}
BENCHMARK(BM_LevelKernel)
    ->Arg(int(ShadeMode::Diffuse))
    ->Arg(int(ShadeMode::Ordered))
    ->Unit(benchmark::kMicrosecond);

// The floor under diffusion on this processor: its chain alone over the
// sprite's 7680 pixels, one 16-bit load a pixel from a table whose value
// indexes the next load, from an address known beforehand.
void BM_DiffusionChainFloor(benchmark::State &state)
{
    std::mt19937 rng(7);
    std::vector<std::uint16_t> table(8192);
    for (std::uint16_t &t : table)
        t = std::uint16_t(rng() % 1024);
    std::vector<std::uintptr_t> from(Width * Height);
    for (std::uintptr_t &f : from)
        f = reinterpret_cast<std::uintptr_t>(table.data() + rng() % 4096);
    for (auto _ : state) {
        std::uintptr_t carry = 0;
        for (const std::uintptr_t f : from) {
#if defined(__GNUC__) && defined(__x86_64__)
            asm volatile("movzwl (%1,%2,2), %k0" : "=r"(carry) : "r"(f), "0"(carry) : "memory");
#else
            carry = reinterpret_cast<const std::uint16_t *>(f)[carry];
#endif
        }
        benchmark::DoNotOptimize(carry);
    }
    PerPixel(state);
}
BENCHMARK(BM_DiffusionChainFloor)->Unit(benchmark::kMicrosecond);

// The area average alone: a decoded 4000 x 3000 photo to 32 x 24, the part
// of scaling a camera's picture that is not decoding.
void BM_ScalePicture(benchmark::State &state)
{
    DecodedPicture photo{PictureSurface(4000, 3000), {}, QSize(4000, 3000)};
    std::mt19937 rng(99);
    for (int y = 0; y < photo.Picture.height(); ++y) {
        ColorValue *row = photo.Picture.row(y);
        for (int x = 0; x < photo.Picture.width(); ++x)
            row[x] = ColorValue(rng() & 0xFFFFFF);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(ScalePicture(photo, 0));
}
BENCHMARK(BM_ScalePicture)->Unit(benchmark::kMillisecond);

void BM_ApplyContrast(benchmark::State &state)
{
    const PictureSurface src = ShadeSprite();
    PictureSurface dst(Width, Height);
    for (auto _ : state) {
        ApplyContrast(dst, src, 50);
        benchmark::DoNotOptimize(dst.row(0));
    }
    PerPixel(state);
}
BENCHMARK(BM_ApplyContrast);

void BM_ApplyBrightness(benchmark::State &state)
{
    const PictureSurface src = ShadeSprite();
    PictureSurface dst(Width, Height);
    for (auto _ : state) {
        ApplyBrightness(dst, src, 85);
        benchmark::DoNotOptimize(dst.row(0));
    }
    PerPixel(state);
}
BENCHMARK(BM_ApplyBrightness);

// What loading and compiling together spend on one picture's pixels.
void BM_ThreePasses(benchmark::State &state)
{
    const PictureSurface src = ColourSprite();
    PictureSurface work(Width, Height);
    for (auto _ : state) {
        ReduceToShades(work, src);
        ApplyContrast(work, work, 50);
        ApplyBrightness(work, work, 85);
        benchmark::DoNotOptimize(work.row(0));
    }
    PerPixel(state);
}
BENCHMARK(BM_ThreePasses);

void BM_MakeSpriteArray(benchmark::State &state)
{
    const PictureSurface sprite = ShadeSprite();
    const bool hex = state.range(0) != 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(MakeSpriteArray(sprite, QStringLiteral("sprite"), hex));
    state.SetLabel(hex ? "hex" : "binary");
}
BENCHMARK(BM_MakeSpriteArray)->Arg(1)->Arg(0);

// A header's worth of sprites, every width, heights up to 240.
std::vector<PictureSurface> HeaderCorpus(int count = 100)
{
    std::mt19937 rng(99);
    std::vector<PictureSurface> sprites;
    for (int i = 0; i < count; ++i) {
        PictureSurface s(8 << (i % 3), 1 + int(rng() % MaxSpriteHeight));
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x)
                s.setPixel(x, y, ColorValue(rng() & 0xFFFFFF));
        ReduceToShades(s, s);
        sprites.push_back(std::move(s));
    }
    return sprites;
}

// The whole header text of the corpus in one style (args: modern, hex), so
// that the two styles' writing costs compare directly.
void BM_HeaderText(benchmark::State &state)
{
    const std::vector<PictureSurface> sprites = HeaderCorpus();
    const auto style = state.range(0) ? HeaderStyle::Modern : HeaderStyle::Classic;
    const bool hex = state.range(1) != 0;
    // One buffer for all rounds, as the compile's file buffer: what is
    // measured is the writing, not the growing of a fresh megabyte.
    QByteArray text;
    for (auto _ : state) {
        text.truncate(0);
        if (style == HeaderStyle::Modern)
            text += ModernPreamble(QStringLiteral("sprites.h"), QStringLiteral("game.bvp"));
        for (const PictureSurface &s : sprites)
            text += SpriteBlock(style, s, QStringLiteral("sprite"), hex);
        if (style == HeaderStyle::Modern)
            text += ModernEnding(QStringLiteral("sprites.h"));
        benchmark::DoNotOptimize(text.data());
    }
    state.SetLabel(std::string(state.range(0) ? "modern " : "classic ") + (hex ? "hex" : "binary"));
    state.counters["pictures/s"] =
        benchmark::Counter(double(sprites.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_HeaderText)->Args({0, 1})->Args({1, 1})->Args({0, 0})->Args({1, 0});

// Reading a header of 1000 sprites back (args: modern, hex, masks), and the
// PNGs of them encoded in memory, as the extraction writes them.
void BM_ReadHeader(benchmark::State &state)
{
    const std::vector<PictureSurface> sprites = HeaderCorpus(1000);
    const auto style = state.range(0) ? HeaderStyle::Modern : HeaderStyle::Classic;
    const bool hex = state.range(1) != 0, masks = state.range(2) != 0;
    QByteArray text;
    for (std::size_t i = 0; i < sprites.size(); ++i) {
        const SpriteMask mask = OpaqueMask(sprites[i].width() - 3, sprites[i].height());
        text += SpriteBlock(style, sprites[i], QStringLiteral("sprite%1").arg(i), hex,
                            masks ? &mask : nullptr);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadHeader(text, QStringLiteral("sprites.h")).sprites.data());
    state.SetLabel(std::string(state.range(0) ? "modern " : "classic ") + (hex ? "hex" : "binary") +
                   (masks ? " masks" : ""));
    state.SetBytesProcessed(state.iterations() * text.size());
    state.counters["pictures/s"] =
        benchmark::Counter(double(sprites.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ReadHeader)
    ->Args({0, 1, 0})
    ->Args({0, 0, 0})
    ->Args({1, 1, 1})
    ->Args({1, 0, 1})
    ->Unit(benchmark::kMillisecond);

void BM_SpritePngs(benchmark::State &state)
{
    const std::vector<PictureSurface> sprites = HeaderCorpus(1000);
    for (auto _ : state)
        for (const PictureSurface &s : sprites)
            benchmark::DoNotOptimize(SpritePng(s, nullptr).data());
    state.counters["pictures/s"] =
        benchmark::Counter(double(sprites.size()), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SpritePngs)->Unit(benchmark::kMillisecond);

// A whole extraction (header file read, pictures named, encoded and
// written with the project) of N arrays of one name, into a folder in
// memory (/dev/shm), so that the naming and not the disk is measured.
void BM_ExtractOneName(benchmark::State &state)
{
    QTemporaryDir dir(QStringLiteral("/dev/shm/bench-extract-XXXXXX"));
    if (!dir.isValid()) {
        state.SkipWithError("no folder in /dev/shm");
        return;
    }
    const QString header = dir.filePath(QStringLiteral("sprites.h"));
    QFile file(header);
    if (!file.open(QIODevice::WriteOnly) ||
        !file.write(QByteArray("static unsigned char grey[2] = {0x81, 0x3c};\r\n\r\n")
                        .repeated(state.range(0))) ||
        !file.flush()) {
        state.SkipWithError("header not written");
        return;
    }
    file.close();
    int run = 0;
    for (auto _ : state) {
        const QString folder = dir.filePath(QStringLiteral("out%1").arg(run++));
        benchmark::DoNotOptimize(ExtractHeader(header, folder, false).pictures.data());
        state.PauseTiming();
        QDir(folder).removeRecursively();
        state.ResumeTiming();
    }
    state.counters["pictures/s"] =
        benchmark::Counter(double(state.range(0)), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ExtractOneName)
    ->Arg(4000)
    ->Arg(32767)
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond);

// 16 MB of nothing but ';': millions of skipped declarations, one warning.
void BM_ReadStraySemicolons(benchmark::State &state)
{
    const QByteArray text(16 << 20, ';');
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadHeader(text, QStringLiteral("stray.h")).warnings.data());
    state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_ReadStraySemicolons)->MeasureProcessCPUTime()->Unit(benchmark::kMillisecond);

// One entry of a 256 x 256 sheet of 16 x 16 cells (256 frames), from its
// file to the header text in memory, as a compile makes it (arg: modern):
// decoded whole, cut, fitted, shaded, and written as 256 arrays (classic) or
// one of [256][32] (modern). The target is under 5 ms of CPU.
void BM_SheetEntryCompile(benchmark::State &state)
{
    QTemporaryDir dir;
    PictureEntry entry;
    entry.Name = QStringLiteral("tiles");
    entry.Location = dir.filePath(QStringLiteral("tiles.png"));
    std::mt19937 rng(256);
    QImage sheet(256, 256, QImage::Format_RGB32);
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x)
            sheet.setPixel(x, y, rng() & 0xFFFFFF);
    sheet.save(entry.Location, "PNG");
    entry.Options.cell = std::pair(16, 16);
    entry.Options.frames = 0;

    CompileJob job;
    job.entries = std::span(&entry, 1);
    job.settings.style = state.range(0) ? HeaderStyle::Modern : HeaderStyle::Classic;
    job.headerPath = QStringLiteral("tiles.h");
    LoadedSprite sprite;
    job.sprite = [&](int) -> const LoadedSprite & {
        sprite = LoadSprite(entry.Location, ResolveOptions(entry.Options));
        return sprite;
    };
    for (auto _ : state) {
        QBuffer header;
        header.open(QIODevice::WriteOnly);
        job.headerDevice = &header;
        RunCompile(job);
        benchmark::DoNotOptimize(header.data().data());
    }
    if (sprite.frameCount() != 256)
        state.SkipWithError("the sheet did not give 256 frames");
    state.SetLabel(state.range(0) ? "modern" : "classic");
}
BENCHMARK(BM_SheetEntryCompile)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

class BmpFile : public benchmark::Fixture {
public:
    void SetUp(const benchmark::State &) override
    {
        if (!path.isEmpty())
            return;
        const PictureSurface colours = ColourSprite();
        path = dir.filePath(QStringLiteral("sprite.bmp"));
        ImageFromSurface(colours).save(path, "BMP");
    }

    QTemporaryDir dir;
    QString path;
};

BENCHMARK_F(BmpFile, DecodePicture)(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodePicture(path));
}

BENCHMARK_F(BmpFile, LoadPicture)(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadPicture(path));
}

// The whole road of one sprite: its file to its line of the header.
BENCHMARK_F(BmpFile, FileToArrayText)(benchmark::State &state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(
            MakeSpriteArray(LoadPicture(path), QStringLiteral("sprite"), true));
}

} // namespace
