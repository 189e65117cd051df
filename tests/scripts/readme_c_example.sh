#!/usr/bin/env bash
# The README's C function that draws a sprite compiles cleanly and draws
# headers the way the README says they are laid out: the worked example's
# header, placed off the origin and clipped at the frame buffer's edge, and
# 16- and 32-pixel rows.
#     readme_c_example.sh README.md GOLDEN_DIR
set -euo pipefail
readme=$1
golden=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The first C block after the "Reading the header" heading.
awk '/^## Reading the header/ { section = 1 }
     section && /^```c$/ { inside = 1; next }
     inside && /^```$/ { exit }
     inside' "$readme" > "$work/draw.c"
[ -s "$work/draw.c" ] || { echo "FAIL: no C block under 'Reading the header' in $readme" >&2; exit 1; }

cat > "$work/check.c" <<'C'
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include "expected.h"

void draw_sprite(uint8_t *fb, int fb_width, int fb_height, int x0, int y0,
                 const void *planes, int width, int height);

static unsigned short s[2] = {0xff00, 0xff00};
static unsigned long l[2] = {0x80000001, 0x00000001};

static int fail;
static void expect(const char *what, const uint8_t *got, const uint8_t *want, int n)
{
    if (memcmp(got, want, (size_t)n) != 0) {
        printf("FAIL: %s:", what);
        for (int i = 0; i < n; ++i)
            printf(" %02x/%02x", got[i], want[i]);
        printf(" (got/wanted)\n");
        fail = 1;
    }
}

int main(void)
{
    /* 12 x 2 pixels of dark grey, 3 bytes a row, and a row of guard bytes
       after them; drawn at (1, 1), the sprite's second row sticks out. */
    uint8_t fb[9];
    memset(fb, 0xaa, sizeof fb);
    draw_sprite(fb, 12, 2, 1, 1, sprite, 8, 2);
    const uint8_t worked[9] = {0xaa, 0xaa, 0xaa, 0xb9, 0x00, 0xea, 0xaa, 0xaa, 0xaa};
    expect("worked example at (1, 1)", fb, worked, 9);

    uint8_t row[8] = {0};
    draw_sprite(row, 16, 1, 0, 0, s, 16, 1);
    expect("16 wide", row, (const uint8_t[8]){0xff, 0xff, 0, 0}, 8);
    memset(row, 0, sizeof row);
    draw_sprite(row, 32, 1, 0, 0, l, 32, 1);
    expect("32 wide", row, (const uint8_t[8]){0x40, 0, 0, 0, 0, 0, 0, 0x03}, 8);
    return fail;
}
C
gcc -std=c99 -Wall -Wextra -Wpedantic -Werror -I"$golden/worked_example" \
    -o "$work/check" "$work/draw.c" "$work/check.c"
"$work/check"
