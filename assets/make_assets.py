#!/usr/bin/python3
"""Draws the window's artwork: the banner, the window icon and the picture of
the compile page, and the desktop icons installed with the program (PNG at
32, 48, 128 and 256 pixels in data/icons, and the same emblem as SVG). Needs
Pillow (Debian: python3-pil) and the DejaVu fonts.

    /usr/bin/python3 assets/make_assets.py

The drawing is fixed (no randomness), so running it again gives the same
pixels; the PNGs are kept in the repository beside this script.
"""

import os

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
FONT_DIR = "/usr/share/fonts/truetype/dejavu"

NAVY = (14, 36, 66)
STEEL = (28, 88, 132)
AMBER = (255, 184, 48)
SHADES = [(255, 255, 255), (170, 170, 170), (85, 85, 85), (0, 0, 0)]

# The emblem: a weather vane drawn in sprite pixels, the arrow lit from the
# top left in the four shades a sprite may hold. 1..3 index SHADES (lighter
# to darker shade of the arrow), 4 is the amber tail.
VANE = [
    "................",
    "................",
    "........111111..",
    ".........11112..",
    "..........1112..",
    ".........11122..",
    "........112.22..",
    ".......112...2..",
    "......112.......",
    ".....112........",
    "..4.112.........",
    "..44122.........",
    "..4442..........",
    "..44444.........",
    "................",
    "................",
]
VANE_COLOURS = {
    "1": (255, 255, 255),
    "2": (170, 186, 204),
    "3": (85, 85, 85),
    "4": AMBER,
}


def font(name, size):
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size)


def lerp(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def gradient(size, left, right, vertical=False):
    w, h = size
    img = Image.new("RGB", size)
    px = img.load()
    for y in range(h):
        for x in range(w):
            t = (y / max(1, h - 1)) if vertical else (x / max(1, w - 1))
            px[x, y] = lerp(left, right, t)
    return img


def emblem(size):
    """The rounded tile with the vane, size x size pixels, RGBA."""
    scale = 4
    big = size * scale
    tile = gradient((big, big), STEEL, NAVY, vertical=True).convert("RGBA")
    mask = Image.new("L", (big, big), 0)
    ImageDraw.Draw(mask).rounded_rectangle(
        (0, 0, big - 1, big - 1), radius=big // 5, fill=255)
    tile.putalpha(mask)
    draw = ImageDraw.Draw(tile)
    # A faint sprite grid behind the vane.
    cell = big / 16
    for i in range(1, 16 if size >= 64 else 1):
        c = round(i * cell)
        draw.line((c, 0, c, big), fill=(255, 255, 255, 18), width=scale // 2 or 1)
        draw.line((0, c, big, c), fill=(255, 255, 255, 18), width=scale // 2 or 1)
    for y, row in enumerate(VANE):
        for x, ch in enumerate(row):
            if ch in VANE_COLOURS:
                box = (round(x * cell), round(y * cell),
                       round((x + 1) * cell) - 1, round((y + 1) * cell) - 1)
                draw.rectangle(box, fill=VANE_COLOURS[ch] + (255,))
    out = tile.resize((size, size), Image.LANCZOS)
    # The tile's edge gets the mask at the final size, so the corners stay
    # clean after the reduction.
    edge = Image.new("L", (size, size), 0)
    ImageDraw.Draw(edge).rounded_rectangle(
        (0, 0, size - 1, size - 1), radius=max(2, size // 5), fill=255)
    alpha = Image.composite(out.getchannel("A"), edge, edge)
    out.putalpha(alpha)
    return out


def icon(size, colours):
    """The window icon, reduced to the colour count the icon format asks."""
    img = emblem(size)
    rgb = Image.new("RGB", img.size, (255, 255, 255))
    rgb.paste(img, mask=img.getchannel("A"))
    quant = rgb.quantize(colors=colours - 1, method=Image.MAXCOVERAGE, dither=Image.NONE)
    # Keep the transparent corners: the last palette slot is the hole.
    pal = quant.getpalette()[: 3 * (colours - 1)] + [255, 0, 255]
    quant.putpalette(pal)
    px = quant.load()
    alpha = img.getchannel("A").load()
    for y in range(size):
        for x in range(size):
            if alpha[x, y] < 128:
                px[x, y] = colours - 1
    quant.info["transparency"] = colours - 1
    return quant


def banner():
    w, h = 650, 100
    img = gradient((w, h), NAVY, STEEL).convert("RGBA")
    draw = ImageDraw.Draw(img)

    # Sprite blocks fading in towards the right: the four shades the program
    # reduces every picture to, in diagonal bands.
    blocks = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    bdraw = ImageDraw.Draw(blocks)
    block, gap = 10, 3
    cols, rows = 14, 7
    for col in range(cols):
        for row in range(rows):
            x = w - 12 - (cols - col) * (block + gap) + gap
            y = 6 + row * (block + gap)
            level = ((col - row) // 2) % 4
            fade = (col + 1) / cols
            alpha = round(200 * fade * fade)
            bdraw.rectangle((x, y, x + block - 1, y + block - 1),
                            fill=SHADES[level] + (alpha,))
    img.alpha_composite(blocks)

    tile = emblem(68)
    img.alpha_composite(tile, (18, 15))

    title = font("DejaVuSans-Bold.ttf", 44)
    small = font("DejaVuSans-Bold.ttf", 18)
    tag = font("DejaVuSans.ttf", 13)
    draw.text((102, 10), "Bitvane", font=title, fill=(255, 255, 255, 255))
    tw = draw.textlength("Bitvane", font=title)
    draw.text((102 + tw + 6, 15), "2.0", font=small, fill=AMBER + (255,))
    draw.text((104, 66), "Pictures in, sprite headers out.", font=tag,
              fill=(196, 214, 232, 255))

    # A thin amber accent under the title.
    draw.rectangle((104, 60, 104 + round(tw) - 4, 61), fill=AMBER + (255,))
    return img.convert("RGB")


def compile_picture():
    """96 x 97: a header page with sprite rows and a finished mark, shown on
    the compile page left of "Sprite conversion complete!". The captions
    overlap the box from x = 74 on, so the drawing keeps to the left."""
    w, h = 96, 97
    img = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    draw = ImageDraw.Draw(img)
    # The page, with a folded corner.
    page = [(6, 8), (46, 8), (62, 24), (62, 88), (6, 88)]
    draw.polygon([(x + 2, y + 2) for x, y in page], fill=(0, 0, 0, 60))
    draw.polygon(page, fill=(255, 255, 255, 255), outline=(85, 85, 85, 255))
    draw.polygon([(46, 8), (46, 24), (62, 24)], fill=(214, 220, 228, 255),
                 outline=(85, 85, 85, 255))
    # Array lines of the header, in the three inked shades.
    rows = [(13, 30, 38), (13, 38, 54), (13, 46, 48), (13, 54, 56), (13, 62, 34)]
    for i, (x0, y, x1) in enumerate(rows):
        draw.rectangle((x0, y, x1, y + 3), fill=SHADES[1 + i % 3] + (255,))
    # The finished mark: an amber disc with a tick.
    draw.ellipse((38, 62, 70, 94), fill=AMBER + (255,), outline=(176, 116, 0, 255))
    draw.line([(45, 78), (52, 85), (63, 70)], fill=(255, 255, 255, 255), width=4,
              joint="curve")
    return img


def emblem_svg():
    """The emblem as SVG: the tile, then one square per pixel of the vane."""
    hexa = lambda c: "#%02x%02x%02x" % c
    out = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 16 16"'
        ' shape-rendering="crispEdges">',
        '<defs><linearGradient id="g" x1="0" y1="0" x2="0" y2="1">'
        '<stop offset="0" stop-color="%s"/><stop offset="1" stop-color="%s"/>'
        '</linearGradient></defs>' % (hexa(STEEL), hexa(NAVY)),
        '<rect width="16" height="16" rx="3.2" fill="url(#g)"/>',
    ]
    for y, row in enumerate(VANE):
        for x, ch in enumerate(row):
            if ch in VANE_COLOURS:
                out.append('<rect x="%d" y="%d" width="1" height="1" fill="%s"/>'
                           % (x, y, hexa(VANE_COLOURS[ch])))
    out.append("</svg>")
    return "\n".join(out) + "\n"


def main():
    banner().save(os.path.join(HERE, "banner.png"), optimize=True)
    icon(32, 16).save(os.path.join(HERE, "bitvane32.png"), optimize=True)
    icon(48, 256).save(os.path.join(HERE, "bitvane48.png"), optimize=True)
    compile_picture().save(os.path.join(HERE, "lblpic.png"), optimize=True)
    icons = os.path.join(HERE, "..", "data", "icons")
    os.makedirs(icons, exist_ok=True)
    for size in (32, 48, 128, 256):
        emblem(size).save(os.path.join(icons, "bitvane-%d.png" % size), optimize=True)
    with open(os.path.join(icons, "bitvane.svg"), "w") as svg:
        svg.write(emblem_svg())


if __name__ == "__main__":
    main()
