#!/usr/bin/env bash
# Configures and builds into build/ (Release with debug info): the targets
# named as arguments, or everything (programs, tests, benchmarks) without.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/deps.sh"
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$top/build" --parallel "$(nproc)" "${targets[@]}"
