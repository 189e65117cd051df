#!/usr/bin/env bash
# Installs what is missing, builds the window alone (no tests or benchmarks),
# then starts the Bitvane window.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh" bitvane
exec "$top/build/src/app/bitvane" "$@"
