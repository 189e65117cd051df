// The header's two styles: classic (one line per array, as ever) and modern
// (const fixed-width arrays, one row per line, for today's C compilers), and
// the mask arrays both can carry.
#pragma once

#include "imaging/spritemask.h"
#include "imaging/surface.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace bitvane {

enum class HeaderStyle { Classic, Modern };

// The modern header's element type for a picture of this width (8, 16 or
// 32): "uint8_t", "uint16_t" or "uint32_t".
const char *ModernType(int width);

// The modern header's lines before its first picture: a comment naming the
// program and the project file (its name only, so the same project gives the
// same bytes anywhere), the include guard, <stdint.h> and BITVANE_DATA,
// defined empty unless the including code defined it first. An empty
// projectPath leaves the project out of the comment. A shared header also
// says how BITVANE_IMPLEMENTATION is used.
QByteArray ModernPreamble(const QString &headerPath, const QString &projectPath,
                          bool shared = false);

// The modern header's last line, closing the include guard.
QByteArray ModernEnding(const QString &headerPath);

// The include guard from the header's file name: "sprites.h" gives
// "SPRITES_H"; anything but an ASCII letter or digit becomes '_', and a
// name that would not start with a letter gets "H_" in front.
QByteArray IncludeGuard(const QString &headerPath);

// One picture's text, each line CR LF ended, the last one empty. Classic:
// MakeSpriteArray's line (empty for a width that gives no array), then the
// mask line when a mask is given and the width gives an array. Modern:
// NAME_WIDTH and NAME_HEIGHT, the array with one row per line (each low
// plane row with a comment drawing its pixels: '#' black, '+' dark, '-'
// light, '.' white, '?' none of the shades, which also gives no bits), then
// NAME_mask when a mask is given. A shared modern block declares its
// arrays "extern const" and defines them (without "static") only between
// #ifdef BITVANE_IMPLEMENTATION and its #endif, so that a program of several
// C files holds one copy; shared is ignored in the classic style.
//
// The name is written as it stands in either style. Throws Error when a
// mask does not match the picture's size, and in the modern style when the
// picture has no rows or a width other than 8, 16 or 32, which give no
// array there.
QByteArray SpriteBlock(HeaderStyle style, const PictureSurface &picture, const QString &name,
                       bool hex, const SpriteMask *mask = nullptr, bool shared = false);

// A sheet's frames (all of one size) in the modern style: NAME_WIDTH,
// NAME_HEIGHT and NAME_FRAMES, then NAME[N][2*H], each frame's rows as
// SpriteBlock writes a picture's, within braces headed by the frame's index,
// and NAME_mask[N][H] when masks (one per frame) are given. Shared as
// SpriteBlock is. Throws Error as SpriteBlock does.
QByteArray SheetBlock(const std::vector<PictureSurface> &frames, const QString &name, bool hex,
                      const std::vector<const SpriteMask *> &masks = {}, bool shared = false);

// The classic mask line, "static unsigned char NAME_mask[H] = {...};" with
// the classic digits (the element type follows the mask's width), without
// line ending; the empty text for a width other than 8, 16 or 32.
QByteArray MakeMaskArray(const SpriteMask &mask, const QString &name, bool hex);

} // namespace bitvane
