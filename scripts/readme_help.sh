#!/usr/bin/env bash
# Puts the built bitvane-compile's --help in the README, in place of the
# block under the "help: refresh" comment.
#     scripts/readme_help.sh [BUILD_DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build}
help=$("$build/src/cli/bitvane-compile" --help)
readme=$top/README.md
HELP=$help awk '
  /<!-- help: refresh/ { print; getline; print; print ENVIRON["HELP"]; skip = 1; next }
  skip && /^```$/ { skip = 0 }
  !skip' "$readme" > "$readme.new"
mv "$readme.new" "$readme"
