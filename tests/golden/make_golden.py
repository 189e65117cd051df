#!/usr/bin/env python3
"""Writes the golden cases of bitvane-compile into the folder of this script.

    /usr/bin/python3 tests/golden/make_golden.py

Needs PIL (Debian: python3-pil). Each case folder gets its pictures, a
project.bvp whose locations are relative to the folder ("./name.ext"; the
test runs the program with the case folder as working directory), args.txt
when the case needs extra arguments, and expected.h, or expected_error.txt
for a case that must fail.

expected.h is computed here, from the pictures as PIL decodes them, by a
reference of the whole pipeline written from the format's rules (fit or
scale, levels, the four shadings, contrast then brightness, the array line or the modern block, the
mask from the source's alpha), not from the program's code. The test writes
the header as "out.h", which gives the modern style's guard. Re-running gives
the same bytes (fixed seeds).
"""
import io
import os
import random
import shutil

from PIL import Image, ImageDraw

HERE = os.path.dirname(os.path.abspath(__file__))
PREAMBLE = "// Sprite header file made with Bitvane 2.0\r\n// http://www.bitvane.example/\r\n\r\n"


# ---- the reference pipeline -------------------------------------------------

def snap(b):
    return int(round(b / 85.0)) * 85          # round() ties to even


def clamp(v):
    return 0 if v < 0 else 255 if v > 255 else v


def alpha_rows(path):
    """Rows of the source's alpha (255 where it has none)."""
    im = Image.open(path)
    im.seek(0)
    rgba = im.convert("RGBA")
    w, h = rgba.size
    return [[rgba.getpixel((x, y))[3] for x in range(w)] for y in range(h)]


def decode(path):
    """Rows of (r, g, b); transparency composited over white."""
    im = Image.open(path)
    im.seek(0)
    rgba = im.convert("RGBA")
    w, h = rgba.size
    px = rgba.load()
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            r, g, b, a = px[x, y]
            if a != 255:
                r, g, b = ((c * a + 255 * (255 - a) + 127) // 255 for c in (r, g, b))
            row.append((r, g, b))
        rows.append(row)
    return rows


def fit(rows):
    w = len(rows[0])
    sw = 8 if w <= 8 else 16 if w <= 16 else 32
    rows = rows[:240]
    return [(row + [(255, 255, 255)] * sw)[:sw] for row in rows]


def reduce(rows):
    out = []
    for row in rows:
        out.append([])
        for r, g, b in row:
            u = g * 0.59 + r * 0.30 + b * 0.11
            v = snap(int(round(u)))
            out[-1].append(v)
    return out


# ---- the picture options (fit=scale, levels, shading), from their rules -------

BAYER = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def grey_byte(r, g, b):
    return int(round(g * 0.59 + r * 0.30 + b * 0.11))    # round() ties to even


def rgba_over_white(path):
    """Rows of (r, g, b, a), colours composited over white, alpha kept."""
    alphas = alpha_rows(path)
    return [[c + (a,) for c, a in zip(row, arow)] for row, arow in zip(decode(path), alphas)]


def scaled_size(w0, h0, cls):
    if w0 <= cls and h0 <= 240:
        return w0, h0
    w, h = cls, (2 * h0 * cls + w0) // (2 * w0)
    if h > 240:
        h, w = 240, (2 * w0 * 240 + h0) // (2 * h0)
    return max(w, 1), max(h, 1)


def overlap(a0, a1, b0, b1):
    return max(0, min(a1, b1) - max(a0, b0))


def scale(pixels, chosen):
    """Area averages with whole-number weights: source column x spans
    [x*w, (x+1)*w), output column i spans [i*W, (i+1)*W); rows alike."""
    h0, w0 = len(pixels), len(pixels[0])
    cls = chosen or (8 if w0 <= 8 else 16 if w0 <= 16 else 32)
    w, h = scaled_size(w0, h0, cls)
    total = w0 * h0
    out = []
    for j in range(h):
        ys = [(y, overlap(y * h, (y + 1) * h, j * h0, (j + 1) * h0)) for y in range(h0)]
        row = []
        for i in range(w):
            xs = [(x, overlap(x * w, (x + 1) * w, i * w0, (i + 1) * w0)) for x in range(w0)]
            sums = [0, 0, 0, 0]
            for y, wy in ys:
                if wy:
                    for x, wx in xs:
                        if wx:
                            for k in range(4):
                                sums[k] += wy * wx * pixels[y][x][k]
            row.append(tuple((2 * v + total) // (2 * total) for v in sums))
        out.append(row)
    return out, cls


def fitted_picture(path, fit_mode, width):
    """(rows of (r, g, b), the picture's own columns, mask bit strings) as
    fitting leaves them; padding is white."""
    if fit_mode == "scale":
        rows, cls = scale(rgba_over_white(path), width)
        cols = len(rows[0])
        masks = [("".join("1" if p[3] >= 128 else "0" for p in row)).ljust(cls, "0") for row in rows]
        return [[p[:3] for p in row] + [(255, 255, 255)] * (cls - cols) for row in rows], cols, masks
    rows = decode(path)
    cols = min(len(rows[0]), 32)
    return fit(rows), cols, mask_bits(alpha_rows(path))


def apply_levels(g, lo, hi):
    return clamp(((g - lo) * 510 + (hi - lo)) // (2 * (hi - lo)))


def threshold_level(g):
    return snap(g) // 85


def diffuse(greys):
    h, w = len(greys), len(greys[0])
    err = [[0] * w for _ in range(h)]
    out = [[0] * w for _ in range(h)]
    for y in range(h):
        d = 1 if y % 2 == 0 else -1
        for x in (range(w) if d == 1 else range(w - 1, -1, -1)):
            u = 16 * greys[y][x] + err[y][x]
            level = min(3, max(0, (3 * u + 2040) // 4080))
            out[y][x] = level
            e = u - 1360 * level
            parts = [(x + d, y, 7 * e // 16), (x - d, y + 1, 3 * e // 16), (x, y + 1, 5 * e // 16)]
            parts.append((x + d, y + 1, e - sum(p[2] for p in parts)))
            for px, py, v in parts:
                if 0 <= px < w and py < h:
                    err[py][px] += v
    return out


def shade(rows, cols, opts, location):
    lo, hi = opts.get("black", 0), opts.get("white", 255)
    mode = opts.get("shade", "threshold")
    greys = [[apply_levels(grey_byte(*p), lo, hi) for p in row[:cols]] for row in rows]
    if mode == "palette":
        colours = sorted({p for row in rows for p in row[:cols]},
                         key=lambda c: (grey_byte(*c), c[0], c[1], c[2]))
        n = len(colours)
        if n > 4:
            raise ValueError("%s: has %d colours; palette order takes at most 4" % (location, n))
        rank = {c: (6 * r + n - 1) // (2 * (n - 1)) if n > 1 else threshold_level(greys[0][0])
                for r, c in enumerate(colours)}
        levels = [[rank[p] for p in row[:cols]] for row in rows]
    elif mode == "ordered":
        levels = [[min(3, (96 * g + 255 * (2 * BAYER[y % 4][x % 4] + 1)) // 8160)
                   for x, g in enumerate(row)] for y, row in enumerate(greys)]
    elif mode == "diffuse":
        levels = diffuse(greys)
    else:
        levels = [[threshold_level(g) for g in row] for row in greys]
    width = len(rows[0])
    return [[85 * v for v in row] + [255] * (width - cols) for row in levels]


def contrast(rows, c):
    factor = ((c + 100) / 100) ** 2
    return [[snap(clamp(int(round(((v / 255 - 0.5) * factor + 0.5) * 255)))) for v in row]
            for row in rows]


def brightness(rows, b):
    return [[snap(clamp(v + b)) for v in row] for row in rows]


CODES = {0: ("1", "1"), 85: ("1", "0"), 170: ("0", "1"), 255: ("0", "0")}   # high, low


def array_line(rows, name, hexa):
    w = len(rows[0])
    prefix = {8: "static unsigned char ", 16: "static unsigned short ", 32: "static unsigned long "}[w]
    lows, highs = [], []
    for row in rows:
        hi = "".join(CODES[v][0] for v in row)
        lo = "".join(CODES[v][1] for v in row)
        if hexa:
            lows.append("0x%x" % int(lo, 2))
            highs.append("0x%x" % int(hi, 2))
        else:
            lows.append("0b" + lo)
            highs.append("0b" + hi)
    return "%s%s[%d] = {%s, %s};" % (prefix, name, 2 * len(rows), ", ".join(lows), ", ".join(highs))


def mask_bits(alphas):
    """One bit string per sprite row: a pixel is drawn with alpha of at least
    128; the columns that fitting adds are never drawn."""
    w = len(alphas[0])
    sw = 8 if w <= 8 else 16 if w <= 16 else 32
    return [("".join("1" if a >= 128 else "0" for a in row[:sw])).ljust(sw, "0")
            for row in alphas[:240]]


def mask_line(bits, name, hexa):
    w = len(bits[0])
    prefix = {8: "static unsigned char ", 16: "static unsigned short ", 32: "static unsigned long "}[w]
    values = [("0x%x" % int(b, 2)) if hexa else "0b" + b for b in bits]
    return "%s%s_mask[%d] = {%s};" % (prefix, name, len(bits), ", ".join(values))


DRAWN = {0: "#", 85: "+", 170: "-", 255: "."}


def modern_digits(bits, hexa):
    return "0x%0*X" % (len(bits) // 4, int(bits, 2)) if hexa else "0b" + bits


def modern_block(rows, name, hexa, bits, shared=False):
    """shared: extern declarations for every includer, the definitions (no
    static) only under BITVANE_IMPLEMENTATION."""
    w, h = len(rows[0]), len(rows)
    ctype = {8: "uint8_t", 16: "uint16_t", 32: "uint32_t"}[w]
    out = "#define %s_WIDTH %d\r\n#define %s_HEIGHT %d\r\n" % (name, w, name, h)
    storage = "" if shared else "static "
    if shared:
        out += "extern const %s %s[%d] BITVANE_DATA;\r\n" % (ctype, name, 2 * h)
        if bits is not None:
            out += "extern const %s %s_mask[%d] BITVANE_DATA;\r\n" % (ctype, name, h)
        out += "#ifdef BITVANE_IMPLEMENTATION\r\n"
    out += "%sconst %s %s[%d] BITVANE_DATA = {\r\n" % (storage, ctype, name, 2 * h)
    for row in rows:
        low = "".join(CODES[v][1] for v in row)
        out += "    %s, /* %s */\r\n" % (modern_digits(low, hexa), "".join(DRAWN[v] for v in row))
    highs = [modern_digits("".join(CODES[v][0] for v in row), hexa) for row in rows]
    out += ",\r\n".join("    " + x for x in highs) + "\r\n};\r\n"
    if bits is not None:
        out += "%sconst %s %s_mask[%d] BITVANE_DATA = {\r\n" % (storage, ctype, name, h)
        out += ",\r\n".join("    " + modern_digits(b, hexa) for b in bits) + "\r\n};\r\n"
    if shared:
        out += "#endif /* BITVANE_IMPLEMENTATION */\r\n"
    return out + "\r\n"


MODERN_PREAMBLE = ("/* Sprite header file made with Bitvane 2.0 from project.bvp */\r\n"
                   "#ifndef OUT_H\r\n#define OUT_H\r\n\r\n#include <stdint.h>\r\n\r\n"
                   "/* Define BITVANE_DATA before including this file to place the sprites,\r\n"
                   "   for example in program memory. */\r\n"
                   "#ifndef BITVANE_DATA\r\n#define BITVANE_DATA\r\n#endif\r\n\r\n")


SHARED_NOTE = ("/* Shared by several C files: every file that includes this one sees the\r\n"
               "   declarations; the data is defined only in the one file that defines\r\n"
               "   BITVANE_IMPLEMENTATION before its first include of this file. */\r\n\r\n")


def expected_header(folder, records, hexa, modern=False, masks=False, names=None, shared=False):
    text = (MODERN_PREAMBLE + (SHARED_NOTE if shared else "")) if modern else PREAMBLE
    for i, (location, b, c) in enumerate(records):
        name = names[i] if names else os.path.splitext(os.path.basename(location))[0]
        path = os.path.join(folder, location)
        rows = brightness(contrast(reduce(fit(decode(path))), c), b)
        bits = mask_bits(alpha_rows(path)) if masks else None
        if modern:
            text += modern_block(rows, name, hexa, bits, shared)
        else:
            text += array_line(rows, name, hexa) + "\r\n"
            if masks:
                text += mask_line(bits, name, hexa) + "\r\n"
            text += "\r\n"
    if modern:
        text += "#endif /* OUT_H */\r\n"
    return text


# ---- pictures ------------------------------------------------------------------

def colour(rng):
    return (rng.randrange(256), rng.randrange(256), rng.randrange(256))


def scribble(rng, w, h):
    im = Image.new("RGB", (w, h), colour(rng))
    d = ImageDraw.Draw(im)
    for _ in range(3 + h // 8):
        x0, y0 = rng.randrange(w), rng.randrange(h)
        d.rectangle([x0, y0, x0 + rng.randint(0, w), y0 + rng.randint(0, 1 + h // 3)], fill=colour(rng))
    px = im.load()
    for _ in range(w * h // 4):
        px[rng.randrange(w), rng.randrange(h)] = colour(rng)
    return im


def grey_steps(w, h):
    """Every grey level and the levels around the shade boundaries."""
    im = Image.new("RGB", (w, h))
    px = im.load()
    for y in range(h):
        for x in range(w):
            g = (y * w + x) % 256
            px[x, y] = (g, g, g)
    return im


def blocks():
    """The four shades in 8-pixel columns, with a red and a blue band."""
    im = Image.new("RGB", (32, 48))
    d = ImageDraw.Draw(im)
    for i, g in enumerate([0, 85, 170, 255]):
        d.rectangle([8 * i, 0, 8 * i + 7, 47], fill=(g, g, g))
    d.rectangle([0, 16, 31, 23], fill=(255, 0, 0))
    d.rectangle([0, 32, 31, 39], fill=(0, 0, 255))
    return im


def worked_example():
    im = Image.new("RGB", (8, 2), (255, 255, 255))
    for x, g in enumerate([0, 85, 170, 255, 255, 255, 255, 0]):
        im.putpixel((x, 0), (g, g, g))
    return im


# ---- cases -----------------------------------------------------------------------

def new_case(name):
    folder = os.path.join(HERE, name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    return folder


def write_project(folder, records, extra=b"", settings_line=b""):
    with open(os.path.join(folder, "project.bvp"), "wb") as f:
        f.write(settings_line)
        for location, b, c in records:
            f.write(b'"%s",%d,%d\r\n' % (location.encode("utf-8"), b, c))
        f.write(extra)


def fitting_warning(location, w, h):
    """What the compile says of a picture that is not 8, 16 or 32 pixels wide
    or is over 240 high; None when it fits as it is."""
    sw = 8 if w <= 8 else 16 if w <= 16 else 32
    wide, tall, narrow = w > sw, h > 240, w < sw
    if not (wide or tall or narrow):
        return None
    text = "%s is %d x %d; " % (location, w, h)
    padding = "padded with white to %d px wide" % sw
    if not (wide or tall):
        return text + "it is " + padding
    part = "top-left" if wide and tall else "left" if wide else "top"
    text += "only the %s %d x %d is used" % (part, min(w, sw), min(h, 240))
    return text + (", " + padding if narrow else "")


def write_warnings(folder, warnings, fitted=()):
    """warnings: (line, name, reason) of each name that is no C identifier;
    fitted: (line, location) of each picture, in project order, whose size
    the compile reports."""
    lines = ["project.bvp:%d: warning: name '%s' is not a C identifier (%s)\n" % w
             for w in warnings]
    for line, location in fitted:
        w, h = Image.open(os.path.join(folder, location)).size
        text = fitting_warning(location, w, h)
        if text:
            lines.append("project.bvp:%d: warning: %s\n" % (line, text))
    if lines:
        with open(os.path.join(folder, "expected_warnings.txt"), "wb") as f:
            f.write("".join(lines).encode("utf-8"))


def success_case(name, pictures, settings, hexa=True, modern=False, masks=False, warnings=(),
                 shared=False, settings_line=b"", args=None):
    """hexa, modern, masks, shared: what the header must be. The arguments
    that ask for it are made from them unless args gives them (with a
    settings_line, the project's first line, saying the rest)."""
    folder = new_case(name)
    records = []
    for (fname, save), (b, c) in zip(pictures, settings):
        save(os.path.join(folder, fname))
        records.append(("./" + fname, b, c))
    write_project(folder, records, settings_line=settings_line)
    first = 2 if settings_line else 1
    write_warnings(folder, warnings, [(i + first, r[0]) for i, r in enumerate(records)])
    if args is None:
        args = ([] if hexa else ["--binary"]) + (["--style", "modern"] if modern else []) + \
            (["--mask"] if masks else [])
    if args:
        with open(os.path.join(folder, "args.txt"), "w") as f:
            f.write("".join(a + "\n" for a in args))
    with open(os.path.join(folder, "expected.h"), "wb") as f:
        f.write(expected_header(folder, records, hexa, modern, masks,
                                shared=shared).encode("utf-8"))


def error_case(name, pictures, project_bytes, message, warnings=()):
    folder = new_case(name)
    write_warnings(folder, warnings)
    for fname, save in pictures:
        save(os.path.join(folder, fname))
    with open(os.path.join(folder, "project.bvp"), "wb") as f:
        f.write(project_bytes)
    with open(os.path.join(folder, "expected_error.txt"), "wb") as f:
        f.write(("bitvane-compile: " + message + "\n").encode("utf-8"))


# Names a C compiler refuses: a bare file name, a blank, one name twice (from
# two folders), a stored name that is a keyword and an emptied one. The
# reasons and the fixed names are written out by hand.
NAME_RECORDS = [("1up.png", None), ("./my sprite-2.png", None), ("a/photo.bmp", None),
                ("b/photo.bmp", None), ("./hero.bmp", "int"), ("./ship.bmp", ""),
                ("./clock.bmp", "__TIME__")]
NAME_REASONS = [(1, "1up", "starts with a digit"), (2, "my sprite-2", "contains ' '"),
                (4, "photo", "also the name of row 3"), (5, "int", "is a keyword of C"),
                (6, "", "empty"), (7, "__TIME__", "is predefined by C")]
NAMES_AS_THEY_STAND = ["1up", "my sprite-2", "photo", "photo", "int", "", "__TIME__"]
NAMES_FIXED = ["_1up", "my_sprite_2", "photo", "photo_2", "int_", "_", "__TIME___"]


def names_case(name, args, rng):
    folder = new_case(name)
    os.makedirs(os.path.join(folder, "a"))
    os.makedirs(os.path.join(folder, "b"))
    with open(os.path.join(folder, "project.bvp"), "wb") as f:
        for location, stored in NAME_RECORDS:
            im = scribble(rng, 8, 3)
            (png if location.endswith(".png") else bmp)(im)(os.path.join(folder, location))
            f.write(b'"%s",0,0' % location.encode("utf-8"))
            if stored is not None:
                f.write(b',"%s"' % stored.encode("utf-8"))
            f.write(b"\r\n")
    if args:
        with open(os.path.join(folder, "args.txt"), "w") as f:
            f.write("".join(a + "\n" for a in args))
    records = [(location, 0, 0) for location, _ in NAME_RECORDS]
    lines = ["project.bvp:%d: %s: name '%s' is not a C identifier (%s)\n"
             % (line, "error" if "-Werror" in args else "warning", n, reason)
             for line, n, reason in NAME_REASONS]
    if "-Werror" in args:
        with open(os.path.join(folder, "expected_error.txt"), "wb") as f:
            f.write("".join(lines).encode("utf-8"))
        return
    fixed = "--fix-names" in args
    with open(os.path.join(folder, "expected.h"), "wb") as f:
        f.write(expected_header(folder, records, True, names=
                                NAMES_FIXED if fixed else NAMES_AS_THEY_STAND).encode("utf-8"))
    if not fixed:
        write_warnings(folder, NAME_REASONS)


def bmp(im):
    return lambda p: im.save(p, "BMP")


def bmp8(im, colours):
    return lambda p: im.quantize(colors=colours, dither=Image.Dither.NONE).save(p, "BMP")


def gif(im, colours, transparent=None):
    def save(p):
        q = im.quantize(colors=colours, dither=Image.Dither.NONE)
        if transparent is None:
            q.save(p, "GIF")
        else:
            q.save(p, "GIF", transparency=transparent)
    return save


def png(im):
    return lambda p: im.save(p, "PNG")


def jpeg(im, quality):
    return lambda p: im.save(p, "JPEG", quality=quality)


def photo(rng, w, h):
    """A smooth two-way gradient with a little noise: what a threshold flattens."""
    im = Image.new("RGB", (w, h))
    px = im.load()
    for y in range(h):
        for x in range(w):
            n = rng.randrange(-12, 13)
            px[x, y] = (clamp(x * 255 // w + n), clamp(y * 255 // h + n), clamp(128 + n))
    return im


def four_greens():
    """A sprite in four greens, two of them close in grey."""
    greens = [(15, 56, 15), (48, 98, 48), (139, 172, 15), (155, 188, 15)]
    im = Image.new("RGB", (16, 16))
    px = im.load()
    for y in range(16):
        for x in range(16):
            px[x, y] = greens[(x // 4 + y // 4) % 4]
    return im


def three_colours():
    """Black, blue and white rows: palette order makes the blue light grey."""
    im = Image.new("RGB", (8, 6), (255, 255, 255))
    for x in range(8):
        im.putpixel((x, 0), (0, 0, 0))
        im.putpixel((x, 2), (0, 0, 255))
        im.putpixel((x, 3), (0, 0, 255))
    return im


def options_case(name, pictures, records, args=(), warned=()):
    """records: (location, brightness, contrast, options text or None); the
    options are written as the fifth field, with NAME_LINE as the fourth.
    warned: the lines whose pictures the compile reports as cut or padded."""
    folder = new_case(name)
    for fname, save in pictures:
        save(os.path.join(folder, fname))
    defaults = {}
    for a, v in zip(args[::2], args[1::2]):
        if a == "--levels":
            lo, hi = v.split(",")
            defaults["levels"] = (int(lo), int(hi))
        elif a.startswith("--"):
            defaults[a[2:]] = v
    masks = "--mask" in args
    text = PREAMBLE
    with open(os.path.join(folder, "project.bvp"), "wb") as f:
        for line, (location, b, c, opts) in enumerate(records, 1):
            base = os.path.splitext(os.path.basename(location))[0]
            f.write(b'"%s",%d,%d' % (location.encode(), b, c))
            if opts is not None:
                base = "%s_%d" % (base, line)
                f.write(b',"%s","%s"' % (base.encode(), opts.encode()))
            f.write(b"\r\n")
            chosen = dict(p.split("=") for p in opts.split(";")) if opts else {}
            o = {"fit": chosen.get("fit", defaults.get("fit", "cut")),
                 "shade": chosen.get("shade", defaults.get("shade", "threshold"))}
            lo, hi = defaults.get("levels", (0, 255))
            if "black" in chosen or "white" in chosen:
                lo, hi = int(chosen.get("black", 0)), int(chosen.get("white", 255))
            o["black"], o["white"] = lo, hi
            width = int(chosen.get("width", 0))
            rows, cols, bits = fitted_picture(os.path.join(folder, location), o["fit"], width)
            rows = brightness(contrast(shade(rows, cols, o, location), c), b)
            text += array_line(rows, base, True) + "\r\n"
            if masks:
                text += mask_line(bits, base, True) + "\r\n"
            text += "\r\n"
    if args:
        with open(os.path.join(folder, "args.txt"), "w") as f:
            f.write("".join(a + "\n" for a in args))
    write_warnings(folder, [], [(line, records[line - 1][0]) for line in warned])
    with open(os.path.join(folder, "expected.h"), "wb") as f:
        f.write(text.encode("utf-8"))


def options_cases():
    # Own seed: the cases before keep their pictures.
    orng = random.Random(2020)
    fading = photo(orng, 40, 30).convert("RGBA")
    for y in range(30):
        for x in range(40):
            r, g, b, _ = fading.getpixel((x, y))
            fading.putpixel((x, y), (r, g, b, 255 if (x // 5 + y // 5) % 3 else 0))
    pictures = [
        ("photo.png", png(photo(orng, 96, 72))),
        ("tall.bmp", bmp(photo(orng, 20, 300))),
        ("greys.bmp", bmp(grey_steps(16, 16))),
        ("greens.png", png(four_greens())),
        ("three.gif", gif(three_colours(), 4)),
        ("fading.png", png(fading)),
        ("blocky.png", png(four_greens().resize((64, 64), Image.Resampling.NEAREST))),
    ]
    options_case("options_in_records", pictures, [
        ("./photo.png", 0, 0, None),
        ("./photo.png", 0, 0, "fit=scale"),
        ("./photo.png", 0, 0, "fit=scale;shade=diffuse"),
        ("./photo.png", 0, 0, "shade=ordered;width=16;fit=scale"),
        ("./photo.png", 40, 25, "fit=scale;shade=diffuse"),
        ("./tall.bmp", 0, 0, "fit=scale;shade=diffuse"),
        ("./greys.bmp", 0, 0, "black=30;white=220"),
        ("./greys.bmp", 0, 0, "black=30;white=220;shade=ordered"),
        ("./greens.png", 0, 0, None),
        ("./greens.png", 0, 0, "shade=palette"),
        ("./three.gif", 0, 0, "shade=palette"),
        ("./fading.png", 0, 0, "fit=scale;shade=diffuse"),
        ("./blocky.png", 0, 0, "fit=scale;shade=palette"),
    ], args=("--mask",), warned=(1,))
    options_case("options_command_line", pictures[:3], [
        ("./photo.png", 0, 0, None),
        ("./photo.png", 0, 0, "fit=cut"),
        ("./photo.png", 0, 0, "black=10"),
        ("./tall.bmp", 0, 0, "shade=threshold"),
        ("./greys.bmp", 0, 0, None),
    ], args=("--fit", "scale", "--levels", "20,230", "--shade", "diffuse"), warned=(2,))

    five = Image.new("RGB", (8, 5))
    for y, c in enumerate([(0, 0, 0), (85, 85, 85), (170, 170, 170), (255, 255, 255), (255, 0, 0)]):
        for x in range(8):
            five.putpixel((x, y), c)
    error_case("error_palette_five_colours", [("five.png", png(five))],
               b'"./five.png",0,0,"five","shade=palette"\r\n',
               "project.bvp:1: ./five.png: has 5 colours; palette order takes at most 4")
    error_case("error_bad_option", [("a.bmp", bmp(worked_example()))],
               b'"./a.bmp",0,0\r\n"./a.bmp",0,0,"a","fit=scale;width=12"\r\n',
               "project.bvp:2: bad option 'width=12'")


# ---- sheets: one picture cut into cells, each a sprite ---------------------------

def cells(rows, cw, ch, frames):
    """The first `frames` whole cells (all for 0), left to right, then top to bottom."""
    across, down = len(rows[0]) // cw, len(rows) // ch
    n = frames or across * down
    return [[row[(k % across) * cw:(k % across + 1) * cw]
             for row in rows[(k // across) * ch:(k // across + 1) * ch]] for k in range(n)]


def sheet_frames(path, opts):
    """Each frame's shaded rows and mask bits, as fitting and shading a picture
    of its own would give them; palette order ranks all frames' colours
    together."""
    whole = decode(path)
    cell = opts.get("cell", "%dx%d" % (len(whole[0]), len(whole)))    # no cell: the picture
    cw, ch = (int(v) for v in cell.split("x"))
    n = 0 if opts["frames"] == "all" else int(opts["frames"])
    pictures = cells(whole, cw, ch, n)
    alphas = cells(alpha_rows(path), cw, ch, n)
    fitted = [fit(p) for p in pictures]
    cols = min(cw, 32)
    bits = [mask_bits(a) for a in alphas]
    o = {"shade": opts.get("shade", "threshold")}
    if o["shade"] == "palette":
        stacked = shade([row for f in fitted for row in f], cols, o, path)
        h = len(fitted[0])
        return [stacked[i * h:(i + 1) * h] for i in range(len(fitted))], bits
    return [shade(f, cols, o, path) for f in fitted], bits


def modern_sheet_block(frames, name, hexa, bits):
    w, h, n = len(frames[0][0]), len(frames[0]), len(frames)
    ctype = {8: "uint8_t", 16: "uint16_t", 32: "uint32_t"}[w]
    out = "#define %s_WIDTH %d\r\n#define %s_HEIGHT %d\r\n#define %s_FRAMES %d\r\n" % (
        name, w, name, h, name, n)
    out += "static const %s %s[%d][%d] BITVANE_DATA = {\r\n" % (ctype, name, n, 2 * h)
    blocks = []
    for i, rows in enumerate(frames):
        text = "    { /* frame %d */\r\n" % i
        for row in rows:
            low = "".join(CODES[v][1] for v in row)
            text += "        %s, /* %s */\r\n" % (modern_digits(low, hexa),
                                                    "".join(DRAWN[v] for v in row))
        highs = [modern_digits("".join(CODES[v][0] for v in row), hexa) for row in rows]
        blocks.append(text + ",\r\n".join("        " + x for x in highs) + "\r\n    }")
    out += ",\r\n".join(blocks) + "\r\n};\r\n"
    if bits is not None:
        out += "static const %s %s_mask[%d][%d] BITVANE_DATA = {\r\n" % (ctype, name, n, h)
        out += ",\r\n".join("    { /* frame %d */\r\n" % i +
                             ",\r\n".join("        " + modern_digits(b, hexa) for b in fb) +
                             "\r\n    }" for i, fb in enumerate(bits)) + "\r\n};\r\n"
    return out + "\r\n"


def sheet_case(name, pictures, records, modern, masks):
    """records: (location, options text); every record is named NAME_LINE."""
    folder = new_case(name)
    for fname, save in pictures:
        save(os.path.join(folder, fname))
    text = MODERN_PREAMBLE if modern else PREAMBLE
    warnings = []
    with open(os.path.join(folder, "project.bvp"), "wb") as f:
        for line, (location, opts) in enumerate(records, 1):
            base = "%s_%d" % (os.path.splitext(os.path.basename(location))[0], line)
            f.write(b'"%s",0,0,"%s","%s"\r\n' % (location.encode(), base.encode(), opts.encode()))
            chosen = dict(p.split("=") for p in opts.split(";"))
            if "cell" in chosen:
                w, h = (int(v) for v in chosen["cell"].split("x"))
                warning = fitting_warning("each cell of " + location, w, h)
            else:
                w, h = Image.open(os.path.join(folder, location)).size
                warning = fitting_warning(location, w, h)
            if warning:
                warnings.append("project.bvp:%d: warning: %s\n" % (line, warning))
            frames, bits = sheet_frames(os.path.join(folder, location), chosen)
            if modern and len(frames) > 1:
                text += modern_sheet_block(frames, base, False, bits if masks else None)
                continue
            for i, rows in enumerate(frames):
                own = base if len(frames) == 1 else "%s_%d" % (base, i)
                if modern:
                    text += modern_block(rows, own, False, bits[i] if masks else None)
                    continue
                text += array_line(rows, own, True) + "\r\n"
                if masks:
                    text += mask_line(bits[i], own, True) + "\r\n"
                text += "\r\n"
    if modern:
        text += "#endif /* OUT_H */\r\n"
    args = (["--style", "modern", "--binary"] if modern else []) + (["--mask"] if masks else [])
    if args:
        with open(os.path.join(folder, "args.txt"), "w") as f:
            f.write("".join(a + "\n" for a in args))
    with open(os.path.join(folder, "expected.h"), "wb") as f:
        f.write(text.encode("utf-8"))
    if warnings:
        with open(os.path.join(folder, "expected_warnings.txt"), "wb") as f:
            f.write("".join(warnings).encode("utf-8"))


def sheet_cases():
    # Own seed: the cases before keep their pictures. A 40 x 23 sheet of
    # 12 x 10 cells has 3 x 2 whole ones and columns and rows left over; its
    # alpha fades across it.
    krng = random.Random(21)
    sheet = scribble(krng, 40, 23).convert("RGBA")
    for y in range(23):
        for x in range(40):
            r, g, b, _ = sheet.getpixel((x, y))
            sheet.putpixel((x, y), (r, g, b, (x * 13 + y * 29) % 256))
    # Four colours spread unevenly over the cells, so that one cell alone
    # would rank its own colours differently.
    tiles = Image.new("RGB", (16, 8), (255, 255, 255))
    for x in range(16):
        for y in range(8):
            tiles.putpixel((x, y), [(20, 200, 20), (120, 30, 30), (200, 200, 40),
                                    (255, 255, 255)][min(3, (x // 4 + y // 3) % 5)])
    pictures = [("sheet.png", png(sheet)), ("tiles.png", png(tiles))]
    records = [
        ("./sheet.png", "cell=12x10;frames=all"),
        ("./sheet.png", "cell=12x10;frames=4"),
        ("./sheet.png", "cell=12x10;frames=1"),
        ("./tiles.png", "cell=4x8;frames=all;shade=palette"),
        ("./tiles.png", "frames=1"),
    ]
    sheet_case("sheet_classic_hex_mask", pictures, records, modern=False, masks=True)
    # The modern notation needs only a whole sheet and palette order across
    # frames: the classic case shows the frame counts.
    sheet_case("sheet_modern_binary", pictures, [records[0], records[3]], modern=True,
               masks=False)
    error_case("error_sheet_frames", [("sheet.png", png(sheet))],
               b'"./sheet.png",0,0,"tiles","cell=8x8"\r\n"./sheet.png",0,0,"walk","cell=12x10;frames=7"\r\n',
               "project.bvp:2: ./sheet.png: frames=7 but the picture has 6 whole cells of 12 x 10")
    # An animated GIF of three frames asked for four.
    def walk_gif(path):
        frames = [Image.new("P", (8, 6), i) for i in range(3)]
        for f in frames:
            f.putpalette([0, 0, 0, 85, 85, 85, 170, 170, 170] + [255] * (253 * 3))
        frames[0].save(path, save_all=True, append_images=frames[1:], duration=100)
    error_case("error_gif_frames", [("walk.gif", walk_gif)],
               b'"./walk.gif",0,0,"walk","frames=4"\r\n',
               "project.bvp:1: ./walk.gif: frames=4 but the GIF has 3 frames")

    # A sheet's frame names against a picture's name: the picture, the later
    # row, is renamed (by hand: walk_1 -> walk_1_2); in the modern style a
    # picture named walk_FRAMES is refused.
    folder = new_case("names_sheet_fix_names")
    png(sheet)(os.path.join(folder, "sheet.png"))
    bmp(scribble(krng, 8, 8))(os.path.join(folder, "one.bmp"))
    with open(os.path.join(folder, "project.bvp"), "wb") as f:
        f.write(b'"./sheet.png",0,0,"walk","cell=8x8;frames=2"\r\n"./one.bmp",0,0,"walk_1"\r\n')
    with open(os.path.join(folder, "args.txt"), "w") as f:
        f.write("--fix-names\n")
    frames, _ = sheet_frames(os.path.join(folder, "sheet.png"), {"cell": "8x8", "frames": "2"})
    text = PREAMBLE + "".join(array_line(rows, "walk_%d" % i, True) + "\r\n\r\n"
                              for i, rows in enumerate(frames))
    text += array_line(reduce(fit(decode(os.path.join(folder, "one.bmp")))), "walk_1_2", True)
    with open(os.path.join(folder, "expected.h"), "wb") as f:
        f.write((text + "\r\n\r\n").encode("utf-8"))
    folder = new_case("names_sheet_modern_werror")
    png(sheet)(os.path.join(folder, "sheet.png"))
    bmp(scribble(krng, 8, 8))(os.path.join(folder, "one.bmp"))
    with open(os.path.join(folder, "project.bvp"), "wb") as f:
        f.write(b'"./sheet.png",0,0,"walk","cell=8x8;frames=2"\r\n'
                b'"./one.bmp",0,0,"walk_1"\r\n"./one.bmp",0,0,"walk_FRAMES"\r\n')
    with open(os.path.join(folder, "args.txt"), "w") as f:
        f.write("--style\nmodern\n-Werror\n")
    with open(os.path.join(folder, "expected_error.txt"), "wb") as f:
        f.write(b"project.bvp:3: error: name 'walk_FRAMES' is not a C identifier "
                b"(also the name of row 1)\n")

    # frames=all of a still picture, or of a GIF of one frame, writes its
    # name alone: pictures named a_1 and c_1 beside them pass -Werror. The
    # GIF of three frames writes walk_2, so a picture of that name is refused.
    nrng = random.Random(23)
    folder = new_case("names_frames_all_werror")
    png(scribble(nrng, 8, 4))(os.path.join(folder, "a.png"))
    gif(scribble(nrng, 8, 4), 4)(os.path.join(folder, "c.gif"))
    bmp(scribble(nrng, 8, 4))(os.path.join(folder, "one.bmp"))
    with open(os.path.join(folder, "project.bvp"), "wb") as f:
        f.write(b'"./a.png",0,0,"a","frames=all"\r\n"./one.bmp",0,0,"a_1"\r\n'
                b'"./c.gif",0,0,"c","frames=all"\r\n"./one.bmp",0,0,"c_1"\r\n')
    with open(os.path.join(folder, "args.txt"), "w") as f:
        f.write("-Werror\n")
    records = [(location, 0, 0) for location in ["./a.png", "./one.bmp", "./c.gif", "./one.bmp"]]
    with open(os.path.join(folder, "expected.h"), "wb") as f:
        f.write(expected_header(folder, records, True, names=["a", "a_1", "c", "c_1"])
                .encode("utf-8"))
    folder = new_case("names_gif_frames_werror")
    walk_gif(os.path.join(folder, "walk.gif"))
    bmp(scribble(nrng, 8, 4))(os.path.join(folder, "one.bmp"))
    with open(os.path.join(folder, "project.bvp"), "wb") as f:
        f.write(b'"./walk.gif",0,0,"walk","frames=all"\r\n"./one.bmp",0,0,"walk_2"\r\n')
    with open(os.path.join(folder, "args.txt"), "w") as f:
        f.write("-Werror\n")
    with open(os.path.join(folder, "expected_error.txt"), "wb") as f:
        f.write(b"project.bvp:2: error: name 'walk_2' is not a C identifier "
                b"(also the name of row 1)\n")


def main():
    rng = random.Random(20261207)

    success_case("worked_example", [("sprite.bmp", bmp(worked_example()))], [(0, 0)])

    success_case("widths_and_heights_binary", [
        ("w5h7.bmp", bmp(scribble(rng, 5, 7))),
        ("w8h1.png", png(scribble(rng, 8, 1))),
        ("w9h3.gif", gif(scribble(rng, 9, 3), 16)),
        ("w16h16.bmp", bmp8(scribble(rng, 16, 16), 16)),
        ("w17h2.png", png(scribble(rng, 17, 2))),
        ("w33h241.bmp", bmp(scribble(rng, 33, 241))),
        ("w40h250.gif", gif(scribble(rng, 40, 250), 64)),
    ], [(0, 0)] * 7, hexa=False)

    settings = [(0, 0), (42, 0), (43, 0), (-43, 0), (-127, 0), (-128, 0), (255, 0), (-255, 0),
                (0, 25), (0, 50), (0, -50), (0, -100), (0, 100), (85, 100), (-85, 50), (-170, -100),
                (170, 75), (-42, -25)]
    success_case("settings", [("grey.bmp", bmp(grey_steps(16, 16)))] * len(settings), settings,
                 warnings=[(n, "grey", "also the name of row 1")
                           for n in range(2, len(settings) + 1)])

    rgba = scribble(rng, 12, 20).convert("RGBA")
    for i in range(12 * 20):
        x, y = i % 12, i // 12
        r, g, b, _ = rgba.getpixel((x, y))
        rgba.putpixel((x, y), (r, g, b, (i * 37) % 256))
    success_case("formats", [
        ("blocks.jpg", jpeg(blocks(), 90)),
        ("scribble.jpg", jpeg(scribble(rng, 32, 240), 95)),
        ("transparent.gif", gif(scribble(rng, 16, 10), 4, transparent=0)),
        ("alpha.png", png(rgba)),
        ("grey.png", png(grey_steps(32, 8).convert("L"))),
        ("schiff ä, 1.bmp", bmp(scribble(rng, 8, 8))),
        ("ship.big.gif", gif(scribble(rng, 32, 32), 64)),
    ], [(0, 0), (10, -10), (0, 0), (0, 0), (0, 0), (-85, 0), (0, 50)],
        warnings=[(6, "schiff ä, 1", "contains ' '"), (7, "ship.big", "contains '.'")])

    # Both styles, both notations, with and without masks, on pictures with
    # transparency, alpha, padding and a cut. Own seed: the cases above keep
    # their pictures.
    srng = random.Random(13)
    fading = scribble(srng, 12, 20).convert("RGBA")
    for y in range(20):
        for x in range(12):
            r, g, b, _ = fading.getpixel((x, y))
            fading.putpixel((x, y), (r, g, b, (x * 23 + y * 11) % 256))
    wide = scribble(srng, 40, 3).convert("RGBA")
    for x in range(40):
        wide.putpixel((x, 1), (0, 0, 0, 0 if x % 3 == 0 else 200))
    style_pictures = [
        ("transparent.gif", gif(scribble(srng, 16, 10), 4, transparent=1)),
        ("fading.png", png(fading)),
        ("five.bmp", bmp(scribble(srng, 5, 6))),
        ("five_alpha.png", png(Image.new("RGBA", (5, 2), (0, 0, 0, 255)))),
        ("wide.png", png(wide)),
    ]
    style_settings = [(0, 0), (0, 0), (85, 25), (0, 0), (0, 0)]
    for modern in (False, True):
        for hexa in (True, False):
            for masks in (False, True):
                name = "style_%s_%s%s" % ("modern" if modern else "classic",
                                          "hex" if hexa else "binary", "_mask" if masks else "")
                success_case(name, style_pictures, style_settings, hexa, modern, masks)

    error_case("error_record_ends_early", [("a.bmp", bmp(worked_example()))],
               b'"./a.bmp",0,0\r\n"./a.bmp",0\r\n',
               "project.bvp:2: the record ends early: the contrast is missing")
    error_case("error_contrast_out_of_range", [("a.bmp", bmp(worked_example()))],
               b'"./a.bmp",0,0\n"./a.bmp", 10, 140\n',
               "project.bvp:2: contrast 140 is outside -100 to 100")
    error_case("error_unterminated_quote", [("a.bmp", bmp(worked_example()))],
               b'"./a.bmp",0,0\r\n"./a.bmp,0,0\r\n',
               "project.bvp:2: the quote that opens the location is never closed")
    error_case("error_no_extension", [("a.bmp", bmp(worked_example()))],
               b'"./a.bmp",0,0\r\n"./noext",0,0\r\n',
               'project.bvp:2: location "./noext": no name can be taken: "noext" has no extension')
    error_case("error_missing_picture", [("a.bmp", bmp(worked_example()))],
               b'"./a.bmp",0,0\r\n"./gone.bmp",0,0\r\n"./a.bmp",0,0\r\n',
               "project.bvp:2: ./gone.bmp: file not found",
               warnings=[(3, "a", "also the name of row 1")])
    error_case("error_not_a_picture", [("a.bmp", bmp(worked_example())),
                                       ("text.gif", lambda p: open(p, "w").write("hello\n"))],
               b'"./a.bmp",0,0\r\n"./text.gif",0,0\r\n',
               "project.bvp:2: ./text.gif: not a picture (not a BMP, GIF, JPEG or PNG file)")
    # A picture given where the project belongs is called what it is.
    png_bytes = io.BytesIO()
    worked_example().save(png_bytes, "PNG")
    error_case("error_picture_as_project", [], png_bytes.getvalue(),
               "project.bvp: not a project file (a PNG picture)")

    # The project's first line chooses the header, the options override it.
    # A picture with a mask and one with its own settings show it; the style
    # cases show the rest.
    few_pictures = [style_pictures[0], style_pictures[2]]
    few_settings = [style_settings[0], style_settings[2]]
    success_case("settings_line_modern_binary_mask", few_pictures, few_settings,
                 hexa=False, modern=True, masks=True, args=[],
                 settings_line=b"#bitvane style=modern;masks=on;notation=binary\r\n")
    success_case("settings_line_classic_binary", few_pictures, few_settings, hexa=False,
                 args=[], settings_line=b"#bitvane notation=binary\r\n")
    success_case("settings_line_overridden", few_pictures, few_settings, args=[
        "--style", "classic", "--hex", "--no-mask"], settings_line=(
        b"#bitvane style=modern;masks=on;notation=binary;locations=relative;shared=on\r\n"))
    # Shared headers, asked by the project and by the option; the first is
    # also compiled as two C files linked together (shared_c/).
    # The linked program uses transparent, fading and wide: one of each
    # element type.
    linked_pictures = [style_pictures[i] for i in (0, 1, 4)]
    linked_settings = [style_settings[i] for i in (0, 1, 4)]
    success_case("shared_modern_hex_mask", linked_pictures, linked_settings, modern=True,
                 masks=True, shared=True, args=[],
                 settings_line=b"#bitvane style=modern;masks=on;shared=on\r\n")
    success_case("shared_binary_option", few_pictures, few_settings, hexa=False,
                 modern=True, shared=True, args=["--shared", "--binary"])

    options_cases()
    sheet_cases()

    names_case("names_warnings", [], random.Random(11))
    names_case("names_fix_names", ["--fix-names"], random.Random(11))
    names_case("names_werror", ["-Werror"], random.Random(11))


if __name__ == "__main__":
    main()
