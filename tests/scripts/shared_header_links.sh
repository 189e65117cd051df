#!/usr/bin/env bash
# A --shared header included by two C files linked into one program: the
# program holds one copy of each array, defined in the file that defines
# BITVANE_IMPLEMENTATION, and both files see it at the same address.
#     shared_header_links.sh GOLDEN_DIR
set -euo pipefail
golden=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$golden/shared_modern_hex_mask/expected.h" "$work/sprites.h"

cat > "$work/main.c" <<'C'
#define BITVANE_IMPLEMENTATION
#include "sprites.h"
#include <stdio.h>

const void *fading_from_other(void);
const void *mask_from_other(void);
int width_from_other(void);

int main(void)
{
    if ((const void *)fading != fading_from_other() || (const void *)fading_mask != mask_from_other()) {
        printf("FAIL: the two files see two copies\n");
        return 1;
    }
    if (width_from_other() != fading_WIDTH || sizeof fading / sizeof fading[0] != 2 * fading_HEIGHT) {
        printf("FAIL: the declaration and the definition disagree\n");
        return 1;
    }
    return 0;
}
C
cat > "$work/other.c" <<'C'
#include "sprites.h"

const void *fading_from_other(void) { return fading; }
const void *mask_from_other(void) { return fading_mask; }
int width_from_other(void) { return fading_WIDTH + (int)(sizeof fading - sizeof fading); }
C
cd "$work"
for f in main other; do
    gcc -std=c99 -Wall -Wextra -Wpedantic -Werror -c -o "$f.o" "$f.c"
done
gcc -o program main.o other.o
./program

# One definition of each array, in main.o; other.o holds none and refers
# to the ones it uses.
for symbol in fading fading_mask transparent transparent_mask wide wide_mask; do
    defined=$(nm --defined-only main.o other.o | grep -c " $symbol\$" || true)
    [ "$defined" = 1 ] || { echo "FAIL: $symbol is defined $defined times" >&2; exit 1; }
    nm --defined-only main.o | grep -q " $symbol\$" ||
        { echo "FAIL: $symbol is not defined in the implementation file" >&2; exit 1; }
done
for symbol in fading fading_mask; do
    nm --undefined-only other.o | grep -q " $symbol\$" ||
        { echo "FAIL: other.o does not refer to $symbol" >&2; exit 1; }
done
echo "one copy of each array"
