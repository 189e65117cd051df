#!/usr/bin/env bash
# Build tools reading bitvane-compile's -M output rebuild the header exactly
# when the project or a picture changed: a makefile (also for a picture whose
# name holds a blank, and when a picture leaves the project and its file is
# deleted), and CMake's add_custom_command with DEPFILE under Ninja, which
# runs the compile in the source folder and reads the file in the build
# folder. Both are the README's examples.
#     depfile_builds.sh BITVANE_COMPILE
set -euo pipefail
compiler=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Two 8 x 1 BMPs (24-bit, bottom-up), black and white.
bmp() {
  printf 'BM\x56\x00\x00\x00\x00\x00\x00\x00\x36\x00\x00\x00\x28\x00\x00\x00\x08\x00\x00\x00\x01\x00\x00\x00\x01\x00\x18\x00\x00\x00\x00\x00\x20\x00\x00\x00\x13\x0b\x00\x00\x13\x0b\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00'
  for _ in 1 2 3 4 5 6 7 8; do printf "$1"; done
}
bmp '\x00\x00\x00' > a.bmp
bmp '\xff\xff\xff' > 'my b.bmp'
printf '"./a.bmp",0,0\r\n"./my b.bmp",0,0\r\n' > s.bvp
cat > Makefile <<MAKE
sprites.h: s.bvp
	"$compiler" -M sprites.d -o \$@ \$<
-include sprites.d
MAKE

# File times come from a clock that may tick only every few milliseconds: a
# file touched right after a build could get the header's own time and look
# unchanged to make, so each build ends a tick later.
builds() { make --no-print-directory 2>&1 | grep -c bitvane-compile || true; sleep 0.02; }
old() { touch -d '2000-01-01' a.bmp 'my b.bmp' s.bvp; }
fail=0
expect() { # what, builds wanted, builds made
  if [ "$2" != "$3" ]; then echo "FAIL: $1: $3 builds, wanted $2" >&2; fail=1; fi
}

old
expect "first make" 1 "$(builds)"
grep -q "^sprites.h: $PWD/s.bvp" sprites.d || { echo "FAIL: sprites.d reads:"; cat sprites.d; exit 1; } >&2
expect "nothing changed" 0 "$(builds)"
touch a.bmp
expect "a.bmp touched" 1 "$(builds)"
expect "again nothing changed" 0 "$(builds)"
touch 'my b.bmp'
expect "'my b.bmp' touched" 1 "$(builds)"
touch s.bvp
expect "project touched" 1 "$(builds)"
# A picture leaves the project and its file goes: make must not stop.
printf '"./a.bmp",0,0\r\n' > s.bvp
rm 'my b.bmp'
expect "picture removed" 1 "$(builds)"
expect "after the removal" 0 "$(builds)"

mkdir -p cm/src/art
mv a.bmp cm/src/art/
cd cm/src
printf '"./art/a.bmp",0,0\r\n' > sprites.bvp
cat > CMakeLists.txt <<CMAKE
cmake_minimum_required(VERSION 3.20)
project(game NONE)
add_custom_command(
  OUTPUT \${CMAKE_CURRENT_BINARY_DIR}/sprites.h
  COMMAND "$compiler" -M \${CMAKE_CURRENT_BINARY_DIR}/sprites.d
          -o \${CMAKE_CURRENT_BINARY_DIR}/sprites.h sprites.bvp
  DEPENDS sprites.bvp
  DEPFILE \${CMAKE_CURRENT_BINARY_DIR}/sprites.d
  WORKING_DIRECTORY \${CMAKE_CURRENT_SOURCE_DIR})
add_custom_target(sprites ALL DEPENDS \${CMAKE_CURRENT_BINARY_DIR}/sprites.h)
CMAKE
cmake -S . -B ../build -G Ninja >/dev/null
builds() { cmake --build ../build --verbose 2>&1 | grep -c -- " -M " || true; sleep 0.02; }
old() { touch -d '2000-01-01' art/a.bmp sprites.bvp; }
old
expect "CMake: first build" 1 "$(builds)"
expect "CMake: nothing changed" 0 "$(builds)"
touch art/a.bmp
expect "CMake: picture touched" 1 "$(builds)"
expect "CMake: again nothing changed" 0 "$(builds)"
exit $fail
