#!/usr/bin/env bash
# Installs what is missing, builds, then starts the Bitvane window.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/build.sh"
exec "$top/build/src/app/bitvane" "$@"
