#include "imaging/surface.h"

#include <benchmark/benchmark.h>

static void BM_SurfaceCopy(benchmark::State &state)
{
    bitvane::PictureSurface src(32, 240);
    for (auto _ : state) {
        bitvane::PictureSurface dst(32, 240);
        bitvane::StretchCopy(dst, src);
        benchmark::DoNotOptimize(dst);
    }
}
BENCHMARK(BM_SurfaceCopy);
