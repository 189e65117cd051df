#!/usr/bin/env python3
"""Writes the PNG and GIF pictures of the decoding cases into this folder.

    /usr/bin/python3 tests/decoded/make_pictures.py

Every PNG colour type and bit depth, plain and interlaced, with and without a
transparent colour, and GIFs whose first image does not cover the logical
screen. The files are written byte by byte here (no imaging library), so that
16-bit samples, Adam7 interlacing and GIF image placement are exactly as
chosen. Fixed seeds: re-running gives the same bytes. The expected decodes
beside them (*.ppm, *.txt) were recorded from the program; see README.
"""
import os
import random
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def pack_row(samples, depth):
    if depth == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    if depth == 8:
        return bytes(samples)
    out, acc, bits = bytearray(), 0, 0
    for s in samples:
        acc = (acc << depth) | s
        bits += depth
        if bits == 8:
            out.append(acc)
            acc, bits = 0, 0
    if bits:
        out.append(acc << (8 - bits))
    return bytes(out)


def png(path, width, height, depth, ctype, pixels, interlaced, palette=None, trns=None):
    """pixels[y][x] is a tuple of the colour type's samples."""
    raw = bytearray()
    passes = ADAM7 if interlaced else [(0, 0, 1, 1)]
    for x0, y0, dx, dy in passes:
        xs = range(x0, width, dx)
        if not xs:
            continue
        for y in range(y0, height, dy):
            raw.append(0)
            raw += pack_row([s for x in xs for s in pixels[y][x]], depth)
    out = b"\x89PNG\r\n\x1a\n"
    out += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, ctype, 0, 0, int(interlaced)))
    if palette:
        out += chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    if trns is not None:
        out += chunk(b"tRNS", trns)
    out += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    out += chunk(b"IEND", b"")
    open(path, "wb").write(out)


def png_cases(rng):
    for depth, ctype in [(1, 0), (2, 0), (4, 0), (8, 0), (16, 0), (8, 2), (16, 2), (1, 3), (2, 3), (4, 3),
                         (8, 3), (8, 4), (16, 4), (8, 6), (16, 6)]:
        for interlaced in (False, True):
            for key in ((False, True) if ctype in (0, 2, 3) else (False,)):
                width, height = 37, 19
                top = (1 << depth) - 1
                # Few distinct samples, so that a transparent colour key matches some pixels.
                choices = [rng.randint(0, top) for _ in range(5)]
                n = CHANNELS[ctype]
                pixels = [[tuple(rng.choice(choices) if ctype != 3 else rng.randint(0, top)
                                 for _ in range(n)) for _ in range(width)] for _ in range(height)]
                palette = trns = None
                if ctype == 3:
                    palette = [(rng.randrange(256), rng.randrange(256), rng.randrange(256))
                               for _ in range(1 << depth)]
                    if key:
                        trns = bytes(rng.choice([0, 255, rng.randrange(256)]) for _ in range(len(palette) // 2 + 1))
                elif key:
                    sample = pixels[3][4]
                    trns = b"".join(struct.pack(">H", s) for s in sample)
                name = "png%d_%s%s%s.png" % (depth, {0: "grey", 2: "rgb", 3: "palette", 4: "greyalpha", 6: "rgba"}[ctype],
                                            "_interlaced" if interlaced else "", "_trns" if key else "")
                png(os.path.join(HERE, name), width, height, depth, ctype, pixels, interlaced, palette, trns)
    # Taller and wider than a sprite: the kept corner of an interlaced picture.
    for name, depth, ctype in [("big16_rgba_interlaced.png", 16, 6), ("big8_palette_interlaced.png", 8, 3)]:
        width, height = 45, 250
        n = CHANNELS[ctype]
        top = (1 << depth) - 1
        choices = [rng.randint(0, top) for _ in range(6)]
        pixels = [[tuple(rng.choice(choices) for _ in range(n)) for _ in range(width)] for _ in range(height)]
        palette = [(rng.randrange(256), rng.randrange(256), rng.randrange(256)) for _ in range(256)] if ctype == 3 else None
        png(os.path.join(HERE, name), width, height, depth, ctype, pixels, True, palette,
            bytes(rng.randrange(256) for _ in range(40)) if ctype == 3 else None)


def lzw(indices, min_code):
    """LZW with a clear code before the table would grow: fixed code width."""
    clear, width = 1 << min_code, min_code + 1
    out, acc, bits, since = bytearray(), 0, 0, clear - 2

    def put(code):
        nonlocal acc, bits
        acc |= code << bits
        bits += width
        while bits >= 8:
            out.append(acc & 255)
            acc >>= 8
            bits -= 8
    for i in indices:
        if since == clear - 2:
            put(clear)
            since = 0
        put(i)
        since += 1
    put(clear + 1)
    if bits:
        out.append(acc & 255)
    blocks = bytearray([min_code])
    for i in range(0, len(out), 255):
        part = out[i:i + 255]
        blocks += bytes([len(part)]) + part
    return bytes(blocks + b"\x00")


def gif(path, screen, background, image_rect, indices, table_bits, transparent=None, interlaced=False,
        local=False, rng=None):
    colours = [(rng.randrange(256), rng.randrange(256), rng.randrange(256)) for _ in range(1 << table_bits)]
    out = b"GIF89a" + struct.pack("<HHBBB", screen[0], screen[1], (0 if local else 0x80) | 0x70 | (table_bits - 1),
                                  background, 0)
    if not local:
        out += b"".join(bytes(c) for c in colours)
    if transparent is not None:
        out += b"\x21\xf9\x04\x05\x0a\x00" + bytes([transparent]) + b"\x00"
    x, y, w, h = image_rect
    order = list(range(h))
    if interlaced:
        order = list(range(0, h, 8)) + list(range(4, h, 8)) + list(range(2, h, 4)) + list(range(1, h, 2))
    out += b"\x2c" + struct.pack("<HHHHB", x, y, w, h, (0x80 | (table_bits - 1) if local else 0) |
                                 (0x40 if interlaced else 0))
    if local:
        out += b"".join(bytes(c) for c in colours)
    out += lzw([indices[r * w + c] for r in order for c in range(w)], max(2, table_bits))
    open(path, "wb").write(out + b"\x3b")


def gif_cases(rng):
    def noise(w, h, n):
        return [rng.randrange(n) for _ in range(w * h)]
    gif(os.path.join(HERE, "gif_offset.gif"), (20, 12), 2, (3, 2, 9, 7), noise(9, 7, 16), 4, rng=rng)
    gif(os.path.join(HERE, "gif_offset_transparent.gif"), (20, 12), 5, (3, 2, 9, 7), noise(9, 7, 16), 4,
        transparent=5, rng=rng)
    gif(os.path.join(HERE, "gif_offset_local.gif"), (14, 6), 1, (4, 1, 6, 4), noise(6, 4, 8), 3, local=True,
        rng=rng)
    gif(os.path.join(HERE, "gif_interlaced_tall.gif"), (40, 260), 0, (0, 0, 40, 260), noise(40, 260, 4), 2,
        interlaced=True, rng=rng)
    gif(os.path.join(HERE, "gif_interlaced_offset.gif"), (50, 300), 3, (10, 20, 30, 250), noise(30, 250, 4), 2,
        transparent=1, interlaced=True, rng=rng)





def bmp_cases(rng):
    """BMP kinds: palettes of 1, 4 and 8 bits (an index past a short palette),
    16 and 32 bits with and without bit masks and alpha, 12-byte and later
    headers. Each stream of random numbers is the one the recorded files
    were written with."""
    def bmp(name, w, h, bits, comp, pixels_rows, info=40, masks=None, masks_inside=False, palette=None, colors_used=0, topdown=False, raw=None):
        # pixels_rows: packed rows, top to bottom.
        hdr_extra = b""
        if info in (52, 56, 108, 124) and masks is not None:
            m = list(masks) + [0] * (4 - len(masks))
            hdr_extra = struct.pack("<4I", *m)[: (info - 40) if info < 108 else 16]
        info_body = struct.pack("<iiHHIIiiII", w, -h if topdown else h, 1, bits, comp, 0, 2835, 2835, colors_used, 0)
        if info == 12:
            info_body = struct.pack("<HHHH", w, h, 1, bits)
            hdr = struct.pack("<I", 12) + info_body
        else:
            body = info_body + hdr_extra
            body = body + b"\0" * (info - 4 - len(body))
            hdr = struct.pack("<I", info) + body
        after = b""
        if masks is not None and info < 52:
            after = struct.pack("<%dI" % len(masks), *masks)
        pal = b""
        if palette:
            pal = b"".join(bytes([b, g, r]) + (b"" if info == 12 else b"\0") for (r, g, b) in palette)
        if raw is None:
            stride = ((w * bits + 31) // 32) * 4
            data = b"".join(r + b"\0" * (stride - len(r)) for r in (pixels_rows if topdown else pixels_rows[::-1]))
        else:
            data = raw
        off = 14 + len(hdr) + len(after) + len(pal)
        f = b"BM" + struct.pack("<IHHI", off + len(data), 0, 0, off) + hdr + after + pal + data
        open(os.path.join(HERE, name), "wb").write(f)
    w, h = 37, 9
    rows16 = [b"".join(struct.pack("<H", rng.randrange(65536)) for _ in range(w)) for _ in range(h)]
    bmp("b16_555.bmp", w, h, 16, 0, rows16)
    bmp("b16_565.bmp", w, h, 16, 3, rows16, masks=(0xF800, 0x07E0, 0x001F))
    rows32 = [b"".join(struct.pack("<I", rng.randrange(1 << 32)) for _ in range(w)) for _ in range(h)]
    bmp("b32_rgb.bmp", w, h, 32, 0, rows32)
    bmp("b32_bf.bmp", w, h, 32, 3, rows32, masks=(0xFF0000, 0xFF00, 0xFF))
    bmp("b32_bf_v4a.bmp", w, h, 32, 3, rows32, info=108, masks=(0xFF0000, 0xFF00, 0xFF, 0xFF000000))
    bmp("b32_bf_v5a.bmp", w, h, 32, 3, rows32, info=124, masks=(0xFF0000, 0xFF00, 0xFF, 0xFF000000))
    bmp("b32_v4_noalpha.bmp", w, h, 32, 0, rows32, info=108, masks=(0, 0, 0, 0))
    pal = [(rng.randrange(256), rng.randrange(256), rng.randrange(256)) for _ in range(256)]
    rows8 = [bytes(rng.randrange(256) for _ in range(w)) for _ in range(h)]
    bmp("b8.bmp", w, h, 8, 0, rows8, palette=pal)
    bmp("b8_fewcolours.bmp", w, h, 8, 0, [bytes(rng.randrange(20) for _ in range(w)) for _ in range(h)], palette=pal[:16], colors_used=16)
    bmp("b8_os2.bmp", w, h, 8, 0, rows8, info=12, palette=pal)
    rows4 = [bytes(rng.randrange(256) for _ in range((w + 1) // 2)) for _ in range(h)]
    bmp("b4.bmp", w, h, 4, 0, rows4, palette=pal[:16])
    rows1 = [bytes(rng.randrange(256) for _ in range((w + 7) // 8)) for _ in range(h)]
    bmp("b1.bmp", w, h, 1, 0, rows1, palette=pal[:2])
    bmp("b1_td.bmp", w, h, 1, 0, rows1, palette=pal[:2], topdown=True)
    rows24 = [bytes(rng.randrange(256) for _ in range(3 * w)) for _ in range(h)]
    bmp("b24_v5.bmp", w, h, 24, 0, rows24, info=124, masks=(0,0,0,0))
    bmp("b24_os2.bmp", w, h, 24, 0, rows24, info=12)


def gif_edge_cases(rng):
    """Screens the first image leaves partly uncovered or overflows."""
    gif(os.path.join(HERE, "e_bgout.gif"), (6, 3), 10, (1, 1, 2, 1), [0, 1], 2, rng=rng)
    gif(os.path.join(HERE, "e_bgeq.gif"), (6, 3), 4, (1, 1, 2, 1), [0, 1], 2, rng=rng)
    gif(os.path.join(HERE, "e_bg0.gif"), (6, 3), 0, (1, 1, 2, 1), [0, 1], 2, rng=rng)
    gif(os.path.join(HERE, "e_outside.gif"), (6, 3), 1, (4, 1, 4, 3), [0, 1, 2, 3] * 3, 2, rng=rng)
    gif(os.path.join(HERE, "e_bigger.gif"), (3, 2), 1, (0, 0, 5, 4), [0, 1, 2, 3, 0] * 4, 2, rng=rng)


if __name__ == "__main__":
    rng = random.Random(19)
    png_cases(rng)
    gif_cases(rng)
    gif_edge_cases(random.Random(3))
    bmp_cases(random.Random(11))
