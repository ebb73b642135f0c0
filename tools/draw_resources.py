#!/usr/bin/python3
"""Draw the launcher's images (artwork, icon, OK-button glyphs) with Pillow.

Run with Debian's python: /usr/bin/python3 tools/draw_resources.py
Output goes to resources/ next to this script's parent; re-runs are byte-identical.
"""
import io
import math
import os
import random
import struct

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "resources")
SEED = 1987

FONT_DIRS = ["/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/truetype/freefont"]
SERIF_FONTS = ["DejaVuSerif-Bold.ttf", "FreeSerifBold.ttf", "DejaVuSans-Bold.ttf"]

# Classic 16-colour VGA palette, in the order Windows uses for 4bpp icons.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def load_font(size):
    for name in SERIF_FONTS:
        for d in FONT_DIRS:
            path = os.path.join(d, name)
            if os.path.exists(path):
                return ImageFont.truetype(path, size)
    return ImageFont.load_default()


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def vgradient(size, stops):
    """Vertical gradient through (t, colour) stops, built as a column then stretched."""
    w, h = size
    col = Image.new("RGB", (1, h))
    for y in range(h):
        t = y / max(1, h - 1)
        for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
            if t0 <= t <= t1:
                col.putpixel((0, y), lerp(c0, c1, (t - t0) / max(1e-6, t1 - t0)))
                break
    return col.resize((w, h), Image.BILINEAR)


def glow(size, centre, radius, colour, alpha, blur):
    layer = Image.new("RGBA", size, colour + (0,))
    mask = Image.new("L", size, 0)
    x, y = centre
    ImageDraw.Draw(mask).ellipse((x - radius, y - radius, x + radius, y + radius), fill=alpha)
    layer.putalpha(mask.filter(ImageFilter.GaussianBlur(blur)))
    return layer


def glow_band(size, cy, half, colour, alpha):
    """Soft horizontal band of mist across the whole width."""
    layer = Image.new("RGBA", size, colour + (0,))
    m = Image.new("L", size, 0)
    ImageDraw.Draw(m).ellipse((-size[0] * 0.2, cy - half / 2, size[0] * 1.2, cy + half / 2), fill=alpha)
    layer.putalpha(m.filter(ImageFilter.GaussianBlur(half / 2)))
    return layer


def ridge(rng, width, base, rough, steps):
    """Midpoint-displacement skyline: list of heights across the width."""
    pts = [base + rng.uniform(-rough, rough), base + rng.uniform(-rough, rough)]
    amp = rough
    for _ in range(steps):
        nxt = []
        for a, b in zip(pts, pts[1:]):
            nxt += [a, (a + b) / 2 + rng.uniform(-amp, amp)]
        pts = nxt + [pts[-1]]
        amp *= 0.55
    return [(i * width / (len(pts) - 1), y) for i, y in enumerate(pts)]


def fill_below(size, line, colour):
    layer = Image.new("RGBA", size, (0, 0, 0, 0))
    w, h = size
    ImageDraw.Draw(layer).polygon(line + [(w, h), (0, h)], fill=colour)
    return layer


def tower(d, x, w, top, base, roof, win, windows):
    """One tower: shaft, battlement ledge, pointed roof; windows noted for lighting."""
    d.rectangle((x, top, x + w, base), fill=255)
    d.rectangle((x - w * 0.12, top - w * 0.08, x + w * 1.12, top + w * 0.12), fill=255)
    d.polygon([(x - w * 0.22, top - w * 0.02), (x + w / 2, top - roof), (x + w * 1.22, top - w * 0.02)], fill=255)
    for wy in win:
        windows.append((x + w / 2, top + wy))


def branch(d, rng, x, y, angle, length, width, depth):
    """Gnarled dead tree: each limb forks into two thinner, bent limbs."""
    if depth == 0 or length < 3:
        return
    a = math.radians(angle + rng.uniform(-12, 12))
    x2, y2 = x + math.cos(a) * length, y + math.sin(a) * length
    d.line((x, y, x2, y2), fill=(5, 4, 10, 255), width=max(2, int(width)))
    d.ellipse((x2 - width / 2, y2 - width / 2, x2 + width / 2, y2 + width / 2), fill=(5, 4, 10, 255))
    for turn in (-rng.uniform(18, 38), rng.uniform(18, 38)):
        branch(d, rng, x2, y2, angle + turn, length * rng.uniform(0.62, 0.8), width * 0.62, depth - 1)


def draw_artwork():
    W, H, S = 246, 146, 4
    size = (W * S, H * S)
    rng = random.Random(SEED)

    img = vgradient(size, [(0.0, (6, 5, 18)), (0.45, (22, 20, 52)), (0.72, (44, 42, 78)), (1.0, (14, 12, 26))]).convert("RGBA")

    # Stars thin out towards the horizon, where haze would hide them.
    stars = ImageDraw.Draw(img)
    sky_h = size[1] * 0.62
    for _ in range(170):
        x, y = rng.uniform(0, size[0]), rng.uniform(0, sky_h)
        if rng.random() < 1.05 - y / sky_h:
            b = int(rng.uniform(70, 200) * (1.1 - y / sky_h))
            r = rng.choice([1.0, 1.4, 1.8, 2.4])
            stars.ellipse((x - r, y - r, x + r, y + r), fill=(b, b, min(255, b + 25), 255))
    for _ in range(7):  # a few bright ones with a faint sparkle
        x, y = rng.uniform(0, size[0] * 0.6), rng.uniform(0, sky_h * 0.5)
        img.alpha_composite(glow(size, (x, y), 7, (200, 210, 255), 120, 4))
        stars.line((x - 9, y, x + 9, y), fill=(150, 160, 210, 255), width=1)
        stars.line((x, y - 9, x, y + 9), fill=(150, 160, 210, 255), width=1)
        stars.ellipse((x - 2.5, y - 2.5, x + 2.5, y + 2.5), fill=(235, 240, 255, 255))

    # Moonlit cloud bank behind the citadel so its silhouette reads.
    for cx, cy, rx, a in [(0.36, 0.38, 0.30, 70), (0.55, 0.50, 0.35, 55), (0.20, 0.52, 0.22, 50)]:
        layer = Image.new("RGBA", size, (70, 68, 112, 0))
        m = Image.new("L", size, 0)
        ImageDraw.Draw(m).ellipse(((cx - rx) * size[0], (cy - 0.09) * size[1], (cx + rx) * size[0], (cy + 0.09) * size[1]), fill=a)
        layer.putalpha(m.filter(ImageFilter.GaussianBlur(40)))
        img.alpha_composite(layer)

    moon_c, moon_r = (int(size[0] * 0.80), int(size[1] * 0.25)), 19 * S
    img.alpha_composite(glow(size, moon_c, moon_r * 3.2, (90, 100, 160), 70, 60))
    img.alpha_composite(glow(size, moon_c, moon_r * 1.5, (200, 205, 230), 90, 25))
    moon = Image.new("RGBA", size, (0, 0, 0, 0))
    x, y = moon_c
    ImageDraw.Draw(moon).ellipse((x - moon_r, y - moon_r, x + moon_r, y + moon_r), fill=(238, 233, 210, 255))
    img.alpha_composite(moon.filter(ImageFilter.GaussianBlur(2)))
    # Soft maria, clipped to the disc.
    maria = Image.new("L", size, 0)
    md = ImageDraw.Draw(maria)
    for _ in range(7):
        cx, cy = x + rng.uniform(-0.55, 0.5) * moon_r, y + rng.uniform(-0.5, 0.55) * moon_r
        cr = rng.uniform(0.12, 0.3) * moon_r
        md.ellipse((cx - cr, cy - cr, cx + cr, cy + cr), fill=70)
    disc = Image.new("L", size, 0)
    ImageDraw.Draw(disc).ellipse((x - moon_r + 4, y - moon_r + 4, x + moon_r - 4, y + moon_r - 4), fill=255)
    shade = Image.new("RGBA", size, (150, 145, 140, 0))
    shade.putalpha(ImageChops.multiply(maria.filter(ImageFilter.GaussianBlur(7)), disc))
    img.alpha_composite(shade)
    # Thin cloud streaks crossing the moon.
    for i, (dy, a) in enumerate([(-0.15, 110), (0.35, 90), (0.7, 70)]):
        cl = Image.new("RGBA", size, (40, 40, 70, 0))
        m = Image.new("L", size, 0)
        cy = y + dy * moon_r
        ImageDraw.Draw(m).ellipse((x - moon_r * (2.6 - i * 0.4), cy - 7 - i * 2, x + moon_r * (1.4 + i * 0.5), cy + 7 + i * 2), fill=a)
        cl.putalpha(m.filter(ImageFilter.GaussianBlur(8)))
        img.alpha_composite(cl)

    # Distant ranges, paler with distance, each veiled by a band of mist.
    for base, rough, colour, mist_y in [(0.58, 0.15, (52, 52, 90), 0.66), (0.71, 0.06, (30, 30, 56), 0.77)]:
        line = ridge(rng, size[0], size[1] * base, size[1] * rough, 7)
        img.alpha_composite(fill_below(size, line, colour + (255,)))
        img.alpha_composite(glow_band(size, size[1] * mist_y, 22 * S, (110, 115, 150), 80))

    # Citadel on its crag, built as one mask so it can be rim-lit as a whole.
    mask = Image.new("L", size, 0)
    d = ImageDraw.Draw(mask)
    crag = [(10 * S, H * S), (24 * S, 112 * S), (34 * S, 98 * S), (44 * S, 92 * S), (52 * S, 82 * S),
            (60 * S, 80 * S), (108 * S, 79 * S), (116 * S, 86 * S), (124 * S, 90 * S), (131 * S, 101 * S),
            (142 * S, 108 * S), (156 * S, 122 * S), (170 * S, H * S)]
    d.polygon(crag, fill=255)
    windows = []
    d.rectangle((54 * S, 64 * S, 114 * S, 82 * S), fill=255)
    for i in range(16):  # curtain-wall merlons
        mx = 54 * S + i * 4 * S
        d.rectangle((mx, 61 * S, mx + 2 * S, 64 * S), fill=255)
    for x, w, top, roof, win in [(55, 9, 48, 13, [6]), (67, 11, 38, 17, [7, 16]), (78, 14, 27, 22, [6, 15, 25]),
                                 (94, 10, 42, 15, [7, 16]), (106, 8, 54, 11, [5])]:
        tower(d, x * S, w * S, top * S, 82 * S, roof * S, [v * S for v in win], windows)
    windows += [(60 * S, 72 * S), (100 * S, 73 * S), (110 * S, 71 * S)]
    sil = Image.new("RGBA", size, (8, 7, 16, 255))
    sil.putalpha(mask)
    img.alpha_composite(sil)
    # Moonlight catches the right-hand edges.
    shifted = ImageChops.offset(mask, -3, 2)
    rim = ImageChops.subtract(mask, shifted).filter(ImageFilter.GaussianBlur(1))
    rim_layer = Image.new("RGBA", size, (130, 138, 190, 0))
    rim_layer.putalpha(rim.point(lambda v: v * 210 // 255))
    img.alpha_composite(rim_layer)
    for wx, wy in windows:
        img.alpha_composite(glow(size, (wx, wy), 3.5 * S, (255, 140, 40), 90, 6))
    wd = ImageDraw.Draw(img)
    for wx, wy in windows:
        wd.rectangle((wx - 2.5, wy - 4.5, wx + 2.5, wy + 4.5), fill=(255, 196, 96, 255))

    # Low mist hugging the crag's foot and the near ground.
    img.alpha_composite(glow_band(size, 108 * S, 16 * S, (120, 126, 165), 110))
    line = ridge(rng, size[0], size[1] * 0.88, size[1] * 0.03, 6)
    img.alpha_composite(fill_below(size, line, (6, 5, 12, 255)))
    branch(ImageDraw.Draw(img), rng, 218 * S, 134 * S, -96, 19 * S, 6 * S, 6)
    img.alpha_composite(glow_band(size, 124 * S, 10 * S, (90, 95, 130), 60))

    draw_title(img, "The Realm of Morva", S)

    # Vignette so every edge sinks towards black beside the window's black frame.
    vig = Image.new("L", (W, H), 0)
    vd = ImageDraw.Draw(vig)
    for i in range(40):
        t = i / 39
        vd.rounded_rectangle((i * 0.9, i * 0.7, W - 1 - i * 0.9, H - 1 - i * 0.7), radius=30, fill=int(255 * (1 - (1 - t) ** 2.2)))
    vig = vig.filter(ImageFilter.GaussianBlur(6)).resize(size, Image.BILINEAR)
    img = Image.composite(img, Image.new("RGBA", size, (0, 0, 0, 255)), vig)

    small = img.convert("RGB").resize((W, H), Image.LANCZOS)
    pal = small.quantize(colors=256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.FLOYDSTEINBERG)
    pal.save(os.path.join(OUT, "artwork.bmp"))
    return pal


def draw_title(img, text, S):
    size = img.size
    target_w = 224 * S
    font = load_font(20 * S)
    if hasattr(font, "font_variant"):
        tw = ImageDraw.Draw(img).textlength(text, font=font)
        font = font.font_variant(size=int(20 * S * target_w / tw))
    box = ImageDraw.Draw(img).textbbox((0, 0), text, font=font)
    x = (size[0] - (box[2] - box[0])) // 2 - box[0]
    y = 137 * S - box[3]  # baseline region well above the clipped bottom rows
    m = Image.new("L", size, 0)
    ImageDraw.Draw(m).text((x, y), text, font=font, fill=255)
    # Dark halo first so the gold reads over mist, then a drop shadow.
    halo = Image.new("RGBA", size, (0, 0, 0, 0))
    halo.putalpha(m.filter(ImageFilter.MaxFilter(9)).filter(ImageFilter.GaussianBlur(10)).point(lambda v: v * 200 // 255))
    img.alpha_composite(halo)
    shadow = Image.new("RGBA", size, (0, 0, 0, 0))
    shadow.putalpha(ImageChops.offset(m, S, S + 2).filter(ImageFilter.GaussianBlur(2)))
    img.alpha_composite(shadow)
    top, bot = y + box[1], y + box[3]
    gold = vgradient((size[0], bot - top), [(0.0, (255, 238, 170)), (0.55, (232, 186, 92)), (1.0, (170, 110, 40))])
    fill = Image.new("RGBA", size, (0, 0, 0, 0))
    fill.paste(gold, (0, top))
    fill.putalpha(m)
    img.alpha_composite(fill)


BLACK, GREEN, NAVY, SILVER, GREY, YELLOW = VGA16[0], VGA16[2], VGA16[4], VGA16[7], VGA16[8], VGA16[11]

# Icon designs on their own pixel grid, boxes half-open [x0, y0, x1, y1).
# The 16 px one is a simplified redraw so it stays crisp rather than a blurred 32.
ICON_32 = (32, [
    ("ellipse", BLACK, (1, 1, 31, 31)), ("ellipse", NAVY, (2, 2, 30, 30)), ("ground", GREEN, (2, 2, 30, 30), 23),
    ("ellipse", YELLOW, (16, 4, 28, 16)), ("ellipse", NAVY, (13, 2, 25, 14)),
    ("rect", GREY, (8, 12, 18, 27)), ("rect", SILVER, (14, 12, 18, 27)), ("rect", SILVER, (7, 10, 19, 12)),
    ("rect", SILVER, (7, 7, 9, 10)), ("rect", SILVER, (12, 7, 14, 10)), ("rect", SILVER, (17, 7, 19, 10)),
    ("rect", YELLOW, (12, 15, 14, 18)), ("ellipse", BLACK, (11, 20, 15, 24)), ("rect", BLACK, (11, 22, 15, 27)),
])
ICON_16 = (16, [
    ("ellipse", BLACK, (0, 0, 16, 16)), ("ellipse", NAVY, (1, 1, 15, 15)), ("ground", GREEN, (1, 1, 15, 15), 12),
    ("ellipse", YELLOW, (8, 2, 14, 8)), ("ellipse", NAVY, (7, 1, 12, 6)),
    ("rect", GREY, (4, 6, 9, 14)), ("rect", SILVER, (7, 6, 9, 14)), ("rect", SILVER, (3, 5, 10, 6)),
    ("rect", SILVER, (3, 4, 4, 5)), ("rect", SILVER, (6, 4, 7, 5)), ("rect", SILVER, (9, 4, 10, 5)),
    ("rect", YELLOW, (6, 8, 7, 10)), ("rect", BLACK, (5, 12, 7, 14)),
])


def render_icon(design, n, smooth):
    """Draw a design at n px; smooth ones are supersampled, small ones stay pixel-exact."""
    grid, shapes = design
    px = n * 8 if smooth else n
    k = px / grid
    im = Image.new("RGBA", (px, px), (0, 0, 0, 0))
    d = ImageDraw.Draw(im)
    for kind, colour, (x0, y0, x1, y1), *cut in shapes:
        box = (round(x0 * k), round(y0 * k), round(x1 * k) - 1, round(y1 * k) - 1)
        if kind == "rect":
            d.rectangle(box, fill=colour + (255,))
            continue
        m = Image.new("L", (px, px), 0)
        ImageDraw.Draw(m).ellipse(box, fill=255)
        if cut:  # ground: only the disc below the horizon line
            m.paste(0, (0, 0, px, round(cut[0] * k)))
        im.paste(colour + (255,), (0, 0), m)
    return im.resize((n, n), Image.LANCZOS) if smooth else im


def nearest_vga(rgb):
    return min(range(16), key=lambda i: sum((a - b) ** 2 for a, b in zip(rgb, VGA16[i])))


def row_pad(n):
    return (4 - n % 4) % 4


def and_mask(alpha_rows, n):
    """1bpp mask, bottom-up, 1 = transparent."""
    out = b""
    for row in reversed(alpha_rows):
        bits = 0
        data = bytearray()
        for x, a in enumerate(row):
            bits = (bits << 1) | (1 if a < 128 else 0)
            if x % 8 == 7:
                data.append(bits)
                bits = 0
        if n % 8:
            data.append(bits << (8 - n % 8))
        out += bytes(data) + b"\0" * row_pad(len(data))
    return out


def dib_header(n, bpp, data_len, colours):
    return struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, bpp, 0, data_len, 0, 0, colours, 0)


def icon_4bpp(design, n):
    im = render_icon(design, n, False)
    px = im.load()
    idx = [[nearest_vga(px[x, y][:3]) if px[x, y][3] >= 128 else 0 for x in range(n)] for y in range(n)]
    alpha = [[px[x, y][3] for x in range(n)] for y in range(n)]
    xor = b""
    for row in reversed(idx):
        data = bytes((row[i] << 4) | row[i + 1] for i in range(0, n, 2))
        xor += data + b"\0" * row_pad(len(data))
    mask = and_mask(alpha, n)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in VGA16)
    body = dib_header(n, 4, len(xor) + len(mask), 16) + pal + xor + mask
    preview = Image.new("RGBA", (n, n))
    preview.putdata([VGA16[idx[y][x]] + ((0 if alpha[y][x] < 128 else 255),) for y in range(n) for x in range(n)])
    return body, 16, 4, preview


def icon_32bpp(design, n):
    im = render_icon(design, n, True)
    px = im.load()
    xor = b"".join(struct.pack("<BBBB", px[x, y][2], px[x, y][1], px[x, y][0], px[x, y][3])
                   for y in reversed(range(n)) for x in range(n))
    mask = and_mask([[px[x, y][3] for x in range(n)] for y in range(n)], n)
    return dib_header(n, 32, len(xor) + len(mask), 0) + xor + mask, 0, 32, im


def icon_png(design, n):
    buf = io.BytesIO()
    im = render_icon(design, n, True)
    im.save(buf, "PNG", optimize=True)
    return buf.getvalue(), 0, 32, im


def draw_icon():
    entries = [(32, icon_4bpp(ICON_32, 32)), (16, icon_4bpp(ICON_16, 16)),
               (48, icon_32bpp(ICON_32, 48)), (256, icon_png(ICON_32, 256))]
    head = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    dirs, blobs = b"", b""
    for n, (blob, colours, bpp, _) in entries:
        dim = 0 if n >= 256 else n
        dirs += struct.pack("<BBBBHHII", dim, dim, colours, 0, 1, bpp, len(blob), offset)
        blobs += blob
        offset += len(blob)
    with open(os.path.join(OUT, "morva.ico"), "wb") as f:
        f.write(head + dirs + blobs)
    return {n: e[3] for n, e in entries}


GLYPH_BG = (128, 128, 0)  # olive: bottom-left pixel marks transparency


def check_shape():
    """Tick as a crisp 1-bit mask, 18x18, leaving the bottom-left corner clear."""
    m = Image.new("L", (18, 18), 0)
    ImageDraw.Draw(m).polygon([(2, 9), (5, 6), (7, 9), (13, 2), (16, 5), (7, 15)], fill=255)
    return m


def draw_checks():
    shape = check_shape()
    inner = shape.filter(ImageFilter.MinFilter(3))
    outline = ImageChops.subtract(shape, inner)
    ok = Image.new("RGB", (18, 18), GLYPH_BG)
    # Fill brightens towards the upper left, as if lit from there.
    fill = Image.new("RGB", (18, 18))
    fill.putdata([lerp((96, 255, 96), (0, 176, 0), min(1.0, (x + y) / 22)) for y in range(18) for x in range(18)])
    ok.paste(fill, (0, 0), inner)
    ok.paste((0, 96, 0), (0, 0), outline)
    ok.save(os.path.join(OUT, "check.bmp"))

    dis = Image.new("RGB", (18, 18), GLYPH_BG)
    dis.paste((255, 255, 255), (0, 0), ImageChops.offset(outline, 1, 1))
    dis.paste((128, 128, 128), (0, 0), outline)
    dis.save(os.path.join(OUT, "check_disabled.bmp"))
    assert ok.getpixel((0, 17)) == GLYPH_BG and dis.getpixel((0, 17)) == GLYPH_BG
    return ok, dis


def main():
    os.makedirs(OUT, exist_ok=True)
    draw_artwork()
    draw_icon()
    draw_checks()


if __name__ == "__main__":
    main()
