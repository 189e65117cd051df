#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks what lands there: the
# file list, the desktop entry and metainfo (with their validators when they
# are installed), the manual pages as man renders them, the completion and
# the installed bitvane-compile.
#     check_install.sh BUILD_DIR EXPECTED_FILE_LIST
set -euo pipefail
build=$1
expected=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail=0
bad() { echo "FAIL: $*" >&2; fail=1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

# The install must be exactly the expected files, nothing missing or extra.
if ! diff -u "$expected" <(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort); then
  bad "installed files differ from $expected"
fi

share=$prefix/share
desktop=$share/applications/example.bitvane.Bitvane.desktop
metainfo=$share/metainfo/example.bitvane.Bitvane.metainfo.xml

if command -v desktop-file-validate >/dev/null; then
  # Hints are advice (two main categories are wanted here); errors and warnings fail.
  out=$(desktop-file-validate "$desktop" 2>&1) || bad "desktop-file-validate: $out"
  grep -E ': (error|warning):' <<<"$out" && bad "desktop-file-validate complains"
else
  echo "SKIPPED: desktop-file-validate not installed (Debian: desktop-file-utils)"
fi
grep -qx 'Exec=bitvane %F' "$desktop" || bad "the desktop entry does not open files with %F"

if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$metainfo" >/dev/null || bad "appstreamcli validate refuses $metainfo"
else
  echo "SKIPPED: appstreamcli not installed (Debian: appstream)"
fi

# Each icon is as large as its folder says (PNG width and height, big-endian).
for size in 32 48 128 256; do
  read -r -a b < <(od -An -tu1 -j16 -N8 "$share/icons/hicolor/${size}x$size/apps/example.bitvane.Bitvane.png")
  [ "$((b[2] * 256 + b[3]))x$((b[6] * 256 + b[7]))" = "${size}x$size" ] || bad "the ${size}px icon is not $size pixels square"
done

for page in bitvane bitvane-compile; do
  warnings=$(MANWIDTH=80 man --warnings -l "$share/man/man1/$page.1" 2>&1 >/dev/null)
  [ -z "$warnings" ] || bad "man warns on $page.1: $warnings"
  MANWIDTH=80 man -l "$share/man/man1/$page.1" 2>/dev/null | grep -q "^NAME" || bad "$page.1 renders no NAME section"
done

# The completion offers -M and, after it, file names.
completion=$share/bash-completion/completions/bitvane-compile
words=$(bash -c 'source "$1"; COMP_WORDS=(bitvane-compile -); COMP_CWORD=1; _bitvane_compile; echo "${COMPREPLY[*]}"' _ "$completion")
[[ " $words " == *" -M "* && " $words " == *" --binary "* ]] || bad "the completion offers '$words'"

version=$("$prefix/bin/bitvane-compile" --version) || bad "the installed bitvane-compile does not run"
[ "$version" = "bitvane-compile 2.0" ] || bad "installed bitvane-compile says '$version'"

exit $fail
