#!/usr/bin/env bash
# Installs what is missing, builds, then runs every test (widget tests on
# Qt's offscreen platform, so no display is needed).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh"
cd "$top/build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)"
