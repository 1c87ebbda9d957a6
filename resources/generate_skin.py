#!/usr/bin/python3
"""Draws the Corvane skin: every PNG under png/ and the application icon.

Run from anywhere: /usr/bin/python3 resources/generate_skin.py
Needs Debian's python3-pil, fonts-wqy-zenhei and fonts-urw-base35.
The output is byte-identical on every run: no randomness, no timestamps,
no text chunks, fixed zlib settings.
"""

import math
import os
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
PNG_DIR = os.path.join(HERE, "png")
ICO_PATH = os.path.join(HERE, "corvane.ico")

CJK_FONT = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc"
TITLE_FONT = "/usr/share/fonts/opentype/urw-base35/P052-Bold.otf"

SS = 4  # supersampling factor for vector shapes

# Palette: dark slate teal with warm gold accents.
INK0 = (10, 15, 19)
INK1 = (17, 26, 31)
INK2 = (24, 37, 42)
TEAL = (35, 55, 60)
TEAL_L = (56, 86, 92)
TEAL_XL = (78, 116, 122)
GOLD = (214, 168, 86)
GOLD_L = (246, 214, 146)
GOLD_D = (146, 104, 46)
TEXT = (234, 228, 214)
TEXT_DIM = (150, 162, 160)
GLYPH = (206, 212, 208)
RED = (196, 54, 46)
RED_L = (228, 84, 70)
RED_D = (140, 34, 30)
WHITE = (255, 255, 255)


# --------------------------------------------------------------------------
# Basic helpers


def font(path, size, index=0):
    return ImageFont.truetype(path, size, index=index)


def cjk(size):
    return font(CJK_FONT, size)


def rgba(c, a=255):
    return (c[0], c[1], c[2], a)


def mix(c1, c2, t):
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c1, c2))


def blank(w, h):
    return Image.new("RGBA", (w, h), (0, 0, 0, 0))


def vgradient(w, h, top, bottom, stops=None):
    """Vertical gradient; colours may be RGB or RGBA. Rows are uniform."""
    img = blank(w, h)
    d = ImageDraw.Draw(img)
    top = top if len(top) == 4 else rgba(top)
    bottom = bottom if len(bottom) == 4 else rgba(bottom)
    for y in range(h):
        t = 0.0 if h == 1 else y / (h - 1)
        if stops:
            c = sample_stops(stops, t)
        else:
            c = mix(top, bottom, t)
        d.line([(0, y), (w - 1, y)], fill=c)
    return img


def sample_stops(stops, t):
    for i in range(len(stops) - 1):
        t0, c0 = stops[i]
        t1, c1 = stops[i + 1]
        if t <= t1:
            u = 0.0 if t1 == t0 else (t - t0) / (t1 - t0)
            c0 = c0 if len(c0) == 4 else rgba(c0)
            c1 = c1 if len(c1) == 4 else rgba(c1)
            return mix(c0, c1, max(0.0, min(1.0, u)))
    c = stops[-1][1]
    return c if len(c) == 4 else rgba(c)


def down(img, w, h):
    """Supersampled layer to final size (Pillow premultiplies RGBA here)."""
    return img.resize((w, h), Image.BOX)


def shape_mask(w, h, draw_fn):
    """Anti-aliased L mask: draw_fn(draw, s) paints 255 at scale s."""
    m = Image.new("L", (w * SS, h * SS), 0)
    draw_fn(ImageDraw.Draw(m), SS)
    return m.resize((w, h), Image.BOX)


def fill_layer(w, h, mask, fill):
    """Layer of colour or image `fill` shown through `mask`."""
    if isinstance(fill, Image.Image):
        layer = fill.copy()
    else:
        layer = Image.new("RGBA", (w, h), rgba(fill[:3], 255))
        if len(fill) == 4:
            mask = mask.point(lambda v, a=fill[3]: v * a // 255)
    a = layer.getchannel("A")
    layer.putalpha(ImageChops.multiply(a, mask))
    return layer


def over(dst, layer, pos=(0, 0)):
    """Alpha-composite layer onto dst in place."""
    if layer.size == dst.size and pos == (0, 0):
        dst.alpha_composite(layer)
    else:
        dst.alpha_composite(layer, dest=pos)
    return dst


def rrect(box, r):
    """Callable drawing a rounded rectangle (final-pixel coordinates)."""
    x0, y0, x1, y1 = box

    def fn(d, s):
        d.rounded_rectangle(
            [x0 * s, y0 * s, x1 * s - 1, y1 * s - 1], radius=r * s, fill=255)
    return fn


def paint_rrect(dst, box, r, fill, border=None, border_w=1, inner_light=None):
    """Rounded rectangle with gradient/solid fill and an optional border.

    box is (x0, y0, x1, y1), right/bottom exclusive, in final pixels.
    """
    w, h = dst.size
    x0, y0, x1, y1 = box
    if border is not None:
        m = shape_mask(w, h, rrect(box, r))
        over(dst, fill_layer(w, h, m, border))
        inner = (x0 + border_w, y0 + border_w, x1 - border_w, y1 - border_w)
        r_in = max(0, r - border_w)
    else:
        inner = box
        r_in = r
    m = shape_mask(w, h, rrect(inner, r_in))
    if isinstance(fill, tuple) and len(fill) == 2 and isinstance(fill[0], tuple):
        g = blank(w, h)
        g.paste(vgradient(inner[2] - inner[0], inner[3] - inner[1],
                          fill[0], fill[1]), (inner[0], inner[1]))
        over(dst, fill_layer(w, h, m, g))
    else:
        over(dst, fill_layer(w, h, m, fill))
    if inner_light is not None:
        # one-pixel highlight just inside the top edge
        ix0, iy0, ix1, _ = inner
        hl = shape_mask(w, h, lambda d, s: d.rectangle(
            [(ix0 + r_in * 0.6) * s, iy0 * s, (ix1 - r_in * 0.6) * s - 1,
             (iy0 + 1) * s - 1], fill=255))
        over(dst, fill_layer(w, h, hl, inner_light))
    return dst


def text_mask(size, text, fnt, xy, anchor="mm", spacing=0):
    m = Image.new("L", size, 0)
    d = ImageDraw.Draw(m)
    if spacing:
        # manual letter spacing for wordmarks
        total = sum(fnt.getlength(ch) for ch in text) + spacing * (len(text) - 1)
        x = xy[0] - total / 2 if anchor[0] == "m" else xy[0]
        for ch in text:
            d.text((x, xy[1]), ch, font=fnt, fill=255, anchor="l" + anchor[1])
            x += fnt.getlength(ch) + spacing
    else:
        d.text(xy, text, font=fnt, fill=255, anchor=anchor)
    return m


def draw_text(dst, text, fnt, xy, colour, anchor="mm", shadow=None,
              shadow_off=(0, 1), glow=None, spacing=0):
    """Text with optional drop shadow; colour may be a gradient image."""
    w, h = dst.size
    m = text_mask((w, h), text, fnt, xy, anchor, spacing)
    if glow is not None:
        g = m.filter(ImageFilter.MaxFilter(3))
        over(dst, fill_layer(w, h, g, glow))
    if shadow is not None:
        sm = Image.new("L", (w, h), 0)
        sm.paste(m, shadow_off)
        over(dst, fill_layer(w, h, sm, shadow))
    over(dst, fill_layer(w, h, m, colour))
    return dst


def strip(left, right, total_w=None):
    """Two looks side by side: normal left, hover right.

    total_w may add one unused transparent column (odd strip widths).
    """
    w, h = left.size
    img = blank(total_w or w * 2, h)
    img.paste(left, (0, 0))
    img.paste(right, (w, 0))
    return img


# --------------------------------------------------------------------------
# Emblem: a gold ring around a crescent and a four-point star.


def emblem(size, bold=False):
    s = size * SS
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    ring = (0.085 if bold else 0.06) * s
    c = s / 2.0
    r = s * 0.48
    # ring: gold with a darker outer line
    d.ellipse([c - r, c - r, c + r, c + r], fill=rgba(GOLD_D))
    r1 = r - 0.02 * s
    d.ellipse([c - r1, c - r1, c + r1, c + r1], fill=rgba(GOLD))
    r2 = r - ring
    inner = vgradient(s, s, TEAL_L, INK1)
    im = Image.new("L", (s, s), 0)
    ImageDraw.Draw(im).ellipse([c - r2, c - r2, c + r2, c + r2], fill=255)
    img.paste(inner, (0, 0), im)
    # crescent: disc minus an offset disc
    cr = s * (0.27 if bold else 0.26)
    cx, cy = c - s * 0.03, c + s * 0.01
    moon = Image.new("L", (s, s), 0)
    md = ImageDraw.Draw(moon)
    md.ellipse([cx - cr, cy - cr, cx + cr, cy + cr], fill=255)
    off = s * (0.13 if bold else 0.14)
    cr2 = cr * (0.80 if bold else 0.84)
    md.ellipse([cx + off - cr2, cy - off * 0.75 - cr2,
                cx + off + cr2, cy - off * 0.75 + cr2], fill=0)
    gold = vgradient(s, s, GOLD_L, GOLD)
    img.paste(gold, (0, 0), moon)
    # four-point star in the crescent's opening
    sx, sy = c + s * 0.15, c - s * 0.12
    a = s * (0.13 if bold else 0.11)
    b = a * 0.30
    star = [(sx, sy - a), (sx + b, sy - b), (sx + a, sy), (sx + b, sy + b),
            (sx, sy + a), (sx - b, sy + b), (sx - a, sy), (sx - b, sy - b)]
    d.polygon(star, fill=rgba(GOLD_L))
    return img.resize((size, size), Image.BOX)


# --------------------------------------------------------------------------
# Window button glyphs, drawn at scale s into an L mask of 25x25 (final).


def glyph_close(d, s, cx=12.5, cy=12.5, r=4.0, w=1.5):
    d.line([((cx - r) * s, (cy - r) * s), ((cx + r) * s, (cy + r) * s)],
           fill=255, width=int(w * s))
    d.line([((cx - r) * s, (cy + r) * s), ((cx + r) * s, (cy - r) * s)],
           fill=255, width=int(w * s))


def glyph_min(d, s, cx=12.5, cy=12.5, r=4.5, w=1.5):
    y = cy + 3.0
    d.rectangle([(cx - r) * s, (y - w / 2) * s, (cx + r) * s, (y + w / 2) * s],
                fill=255)


def glyph_max(d, s, cx=12.5, cy=12.5, r=4.5, w=1.25):
    d.rectangle([(cx - r) * s, (cy - r) * s, (cx + r) * s, (cy + r) * s],
                fill=255)
    d.rectangle([(cx - r + w) * s, (cy - r + w + 0.75) * s,
                 (cx + r - w) * s, (cy + r - w) * s], fill=0)


def glyph_restore(d, s, cx=12.5, cy=12.5, w=1.25):
    # back window (upper right), then front window (lower left) over it
    d.rectangle([(cx - 2.0) * s, (cy - 5.0) * s, (cx + 5.0) * s,
                 (cy + 2.0) * s], fill=255)
    d.rectangle([(cx - 2.0 + w) * s, (cy - 5.0 + w) * s,
                 (cx + 5.0 - w) * s, (cy + 2.0 - w) * s], fill=0)
    d.rectangle([(cx - 5.0 - w) * s, (cy - 2.0 - w) * s, (cx + 2.0 + w) * s,
                 (cy + 5.0 + w) * s], fill=0)
    d.rectangle([(cx - 5.0) * s, (cy - 2.0) * s, (cx + 2.0) * s,
                 (cy + 5.0) * s], fill=255)
    d.rectangle([(cx - 5.0 + w) * s, (cy - 2.0 + w + 0.5) * s,
                 (cx + 2.0 - w) * s, (cy + 5.0 - w) * s], fill=0)


def glyph_fullscreen(d, s, cx=12.5, cy=12.5, r=5.0, arm=3.0, w=1.4):
    for sx in (-1, 1):
        for sy in (-1, 1):
            x = cx + sx * r
            y = cy + sy * r
            d.line([(x * s, y * s), ((x - sx * arm) * s, y * s)], fill=255,
                   width=int(w * s))
            d.line([(x * s, y * s), (x * s, (y - sy * arm) * s)], fill=255,
                   width=int(w * s))
            # square off the corner joint
            d.rectangle([(x - w / 2) * s, (y - w / 2) * s, (x + w / 2) * s,
                         (y + w / 2) * s], fill=255)


def glyph_tools(d, s, cx=12.5, cy=12.5):
    # gear: eight teeth around a ring
    ro, ri, rh = 5.6, 4.0, 1.8
    pts = []
    teeth = 8
    for i in range(teeth * 4):
        ang = 2 * math.pi * i / (teeth * 4) - math.pi / 2
        rr = ro if (i % 4) in (0, 1) else ri
        pts.append(((cx + rr * math.cos(ang + math.pi / (teeth * 4))) * s,
                    (cy + rr * math.sin(ang + math.pi / (teeth * 4))) * s))
    d.polygon(pts, fill=255)
    d.ellipse([(cx - rh) * s, (cy - rh) * s, (cx + rh) * s, (cy + rh) * s],
              fill=0)


def window_button(glyph, look, kind="normal", size=25):
    """One 25x25 title-band button look: normal, hover or pressed."""
    img = blank(size, size)
    box = (2, 2, size - 2, size - 2)
    if kind == "close":
        if look == "hover":
            paint_rrect(img, box, 3, (RED_L, RED), inner_light=(255, 255, 255, 60))
        elif look == "pressed":
            paint_rrect(img, box, 3, (RED_D, RED))
    else:
        if look == "hover":
            paint_rrect(img, box, 3, ((255, 255, 255, 46), (255, 255, 255, 24)),
                        inner_light=(255, 255, 255, 40))
        elif look == "pressed":
            paint_rrect(img, box, 3, ((0, 0, 0, 110), (0, 0, 0, 70)))
    dy = 1 if look == "pressed" else 0
    m = shape_mask(size, size, lambda d, s: glyph(d, s))
    if dy:
        moved = Image.new("L", m.size, 0)
        moved.paste(m, (0, dy))
        m = moved
    colour = {"normal": GLYPH, "hover": WHITE,
              "pressed": WHITE if kind == "close" else GOLD_L}[look]
    sh = Image.new("L", m.size, 0)
    sh.paste(m, (0, 1))
    over(img, fill_layer(size, size, sh, (0, 0, 0, 90)))
    over(img, fill_layer(size, size, m, colour))
    return img


# --------------------------------------------------------------------------
# Small launcher buttons (16 high) for the picture's top band.


def small_button(glyph_fn, w, h, look, kind):
    img = blank(w, h)
    if look == "hover":
        if kind == "close":
            paint_rrect(img, (0, 0, w, h), 3, (RED_L, RED))
        else:
            paint_rrect(img, (0, 0, w, h), 3,
                        ((255, 255, 255, 56), (255, 255, 255, 30)))
    m = shape_mask(w, h, glyph_fn)
    sh = Image.new("L", m.size, 0)
    sh.paste(m, (0, 1))
    over(img, fill_layer(w, h, sh, (0, 0, 0, 110)))
    over(img, fill_layer(w, h, m, WHITE if look == "hover" else GLYPH))
    return img


# --------------------------------------------------------------------------
# Link button icons for the launcher strips (drawn into an L mask, scale s).


def icon_home(d, s, x, y):
    # roof and body of a house, 14 px box at (x, y)
    d.polygon([((x + 7) * s, y * s), ((x + 14) * s, (y + 6.5) * s),
               (x * s, (y + 6.5) * s)], fill=255)
    d.rectangle([(x + 2.2) * s, (y + 6) * s, (x + 11.8) * s, (y + 14) * s],
                fill=255)
    d.rectangle([(x + 5.6) * s, (y + 9) * s, (x + 8.4) * s, (y + 14) * s],
                fill=0)


def icon_coin(d, s, x, y):
    d.ellipse([x * s, y * s, (x + 14) * s, (y + 14) * s], fill=255)
    d.ellipse([(x + 1.6) * s, (y + 1.6) * s, (x + 12.4) * s, (y + 12.4) * s],
              fill=0)
    # yuan sign
    cx = x + 7
    w = int(1.4 * s)
    d.line([((cx - 3) * s, (y + 3.6) * s), (cx * s, (y + 7.2) * s)], fill=255,
           width=w)
    d.line([((cx + 3) * s, (y + 3.6) * s), (cx * s, (y + 7.2) * s)], fill=255,
           width=w)
    d.line([(cx * s, (y + 7) * s), (cx * s, (y + 11) * s)], fill=255, width=w)
    d.line([((cx - 2.6) * s, (y + 7.6) * s), ((cx + 2.6) * s, (y + 7.6) * s)],
           fill=255, width=int(1.1 * s))
    d.line([((cx - 2.6) * s, (y + 9.6) * s), ((cx + 2.6) * s, (y + 9.6) * s)],
           fill=255, width=int(1.1 * s))


def icon_bubble(d, s, x, y):
    d.rounded_rectangle([x * s, (y + 1) * s, (x + 14) * s, (y + 10.5) * s],
                        radius=3 * s, fill=255)
    d.polygon([((x + 3) * s, (y + 9.5) * s), ((x + 7.5) * s, (y + 9.5) * s),
               ((x + 3) * s, (y + 14) * s)], fill=255)
    for i in range(3):
        cx = x + 3.8 + i * 3.2
        d.ellipse([(cx - 0.9) * s, (y + 4.9) * s, (cx + 0.9) * s,
                   (y + 6.7) * s], fill=0)


def icon_headset(d, s, x, y):
    w = int(1.6 * s)
    d.arc([(x + 1) * s, (y + 0.5) * s, (x + 13) * s, (y + 13) * s], 180, 360,
          fill=255, width=w)
    d.line([((x + 1.8) * s, (y + 6.5) * s), ((x + 1.8) * s, (y + 9) * s)],
           fill=255, width=w)
    d.line([((x + 12.2) * s, (y + 6.5) * s), ((x + 12.2) * s, (y + 9) * s)],
           fill=255, width=w)
    d.rounded_rectangle([x * s, (y + 7) * s, (x + 4) * s, (y + 12.5) * s],
                        radius=1.2 * s, fill=255)
    d.rounded_rectangle([(x + 10) * s, (y + 7) * s, (x + 14) * s,
                         (y + 12.5) * s], radius=1.2 * s, fill=255)
    d.arc([(x + 4) * s, (y + 7) * s, (x + 12.5) * s, (y + 14.5) * s], 20, 90,
          fill=255, width=int(1.2 * s))


def launcher_link(caption, icon_fn, look):
    w, h = 80, 34
    img = blank(w, h)
    box = (1, 1, w - 1, h - 1)
    if look == "normal":
        paint_rrect(img, box, 5, (TEAL_L, TEAL), border=rgba(INK0, 230),
                    inner_light=rgba(TEAL_XL, 200))
        text_c, icon_c = TEXT, GOLD
    else:
        paint_rrect(img, box, 5, (GOLD_L, GOLD), border=rgba(GOLD_D),
                    inner_light=(255, 244, 214, 230))
        text_c, icon_c = INK0, INK1
    f = cjk(16)
    tw = f.getlength(caption)
    total = 14 + 6 + tw
    x0 = (w - total) / 2.0
    ix = int(round(x0))
    m = shape_mask(w, h, lambda d, s: icon_fn(d, s, ix, 10))
    over(img, fill_layer(w, h, m, icon_c))
    shadow = (0, 0, 0, 150) if look == "normal" else (255, 240, 200, 120)
    draw_text(img, caption, f, (ix + 20, 17), text_c, anchor="lm",
              shadow=shadow)
    return img


def band_link(caption, w, look):
    """Text link for the game-mode title band (22 high, transparent)."""
    h = 22
    img = blank(w, h)
    f = cjk(12)
    if look == "hover":
        paint_rrect(img, (1, 1, w - 1, h - 1), 4,
                    ((0, 0, 0, 120), (0, 0, 0, 80)),
                    border=(GOLD[0], GOLD[1], GOLD[2], 170))
        colour = (255, 222, 150)
    else:
        colour = TEXT
    draw_text(img, caption, f, (w / 2.0, 11), colour,
              shadow=(0, 0, 0, 170))
    return img


def dialog_button(caption, primary, look):
    w, h = 68, 35
    img = blank(w, h)
    box = (1, 1, w - 1, h - 1)
    if primary:
        if look == "normal":
            paint_rrect(img, box, 5, (GOLD_L, GOLD), border=rgba(GOLD_D),
                        inner_light=(255, 246, 220, 230))
        else:
            paint_rrect(img, box, 5, ((255, 230, 172), (226, 182, 98)),
                        border=rgba(GOLD_D), inner_light=(255, 252, 236, 255))
        colour, shadow = INK0, (255, 240, 200, 110)
    else:
        if look == "normal":
            paint_rrect(img, box, 5, (TEAL_L, TEAL), border=rgba(INK0),
                        inner_light=rgba(TEAL_XL, 200))
            colour = TEXT
        else:
            paint_rrect(img, box, 5, (TEAL_XL, TEAL_L), border=rgba(GOLD_D),
                        inner_light=(150, 190, 194, 220))
            colour = WHITE
        shadow = (0, 0, 0, 150)
    draw_text(img, caption, cjk(15), (w / 2.0, 17.5), colour, shadow=shadow)
    return img


# --------------------------------------------------------------------------
# Large pictures


def gold_gradient(w, h, y0, y1):
    g = blank(w, h)
    g.paste(vgradient(w, max(1, y1 - y0), GOLD_L, GOLD), (0, y0))
    top = vgradient(w, max(1, y0), GOLD_L, GOLD_L)
    g.paste(top, (0, 0))
    g.paste(vgradient(w, max(1, h - y1), GOLD, GOLD), (0, y1))
    return g


def round_corners(img, r):
    w, h = img.size
    m = shape_mask(w, h, rrect((0, 0, w, h), r))
    img.putalpha(ImageChops.multiply(img.getchannel("A"), m))
    return img


def launcher_picture():
    W, H = 1230, 728
    TOP, BOTTOM = 49, 59
    img = Image.new("RGBA", (W, H), rgba(INK1))
    # top band
    img.paste(vgradient(W, TOP, (38, 58, 64), (17, 27, 32)), (0, 0))
    d = ImageDraw.Draw(img)
    d.line([(0, 0), (W - 1, 0)], fill=rgba((70, 100, 106)))
    d.line([(0, TOP - 1), (W - 1, TOP - 1)], fill=rgba(GOLD_D))
    # middle: shown until the page has loaded
    mid_h = H - TOP - BOTTOM
    img.paste(vgradient(W, mid_h, (21, 33, 38), (13, 20, 24)), (0, TOP))
    # bottom band
    img.paste(vgradient(W, BOTTOM, (26, 40, 45), (14, 21, 25)), (0, H - BOTTOM))
    d.line([(0, H - BOTTOM), (W - 1, H - BOTTOM)], fill=rgba(GOLD_D))
    d.line([(0, H - BOTTOM + 1), (W - 1, H - BOTTOM + 1)],
           fill=rgba((40, 60, 66)))

    # name of the game at the left of the top band
    em = emblem(38)
    over(img, em, (12, 5))
    tf = font(TITLE_FONT, 27)
    layer = blank(360, TOP)
    draw_text(layer, "CORVANE", tf, (60 - 2, 26), gold_gradient(360, TOP, 12, 36),
              anchor="lm", shadow=(0, 0, 0, 200), shadow_off=(1, 2),
              spacing=3)
    over(img, layer, (0, 0))
    sep_x = 60 + int(sum(tf.getlength(c) for c in "CORVANE") + 3 * 6) + 14
    d.line([(sep_x, 14), (sep_x, 34)], fill=rgba(GOLD_D, 200))
    draw_text(img, "欢迎回来，冒险者", cjk(13), (sep_x + 12, 25), TEXT_DIM,
              anchor="lm", shadow=(0, 0, 0, 160))

    # dark slot behind the four link buttons (x 736 to 1065, y 9 to 43)
    slot = (731, 5, 1070, 48)
    paint_rrect(img, (slot[0], slot[1] + 1, slot[2], slot[3]), 7,
                rgba((60, 88, 94), 150))  # faint lower rim
    paint_rrect(img, (slot[0], slot[1], slot[2], slot[3] - 1), 7,
                ((6, 10, 13), (12, 19, 23)), border=rgba((4, 7, 9)))
    # window-button area divider
    d.line([(1170, 12), (1170, 36)], fill=rgba((60, 88, 94), 180))

    # centre: waiting notice (visible only until the page covers it)
    cx, cy = W // 2, TOP + mid_h // 2
    big = emblem(96)
    faint = big.copy()
    faint.putalpha(big.getchannel("A").point(lambda v: v * 200 // 255))
    over(img, faint, (cx - 48, cy - 84))
    draw_text(img, "CORVANE", font(TITLE_FONT, 30), (cx, cy + 38),
              gold_gradient(W, H, cy + 26, cy + 50), shadow=(0, 0, 0, 200),
              shadow_off=(1, 2), spacing=6)
    draw_text(img, "正在连接游戏服务器，请稍候…", cjk(14), (cx, cy + 74),
              TEXT_DIM, shadow=(0, 0, 0, 160))

    # bottom band: the usual healthy-gaming notice
    f = cjk(12)
    by = H - BOTTOM
    draw_text(img, "健康游戏忠告：抵制不良游戏，拒绝盗版游戏。注意自我保护，谨防受骗上当。",
              f, (W // 2, by + 21), TEXT_DIM, shadow=(0, 0, 0, 150))
    draw_text(img, "适度游戏益脑，沉迷游戏伤身。合理安排时间，享受健康生活。",
              f, (W // 2, by + 39), TEXT_DIM, shadow=(0, 0, 0, 150))
    return round_corners(img, 8)


def close_panel():
    W, H = 295, 190
    BAND = 34
    img = blank(W, H)
    paint_rrect(img, (0, 0, W, H), 8, ((34, 52, 58), (15, 23, 28)),
                border=rgba(GOLD_D))
    # title band
    band = blank(W, H)
    paint_rrect(band, (1, 1, W - 1, H - 1), 7, ((48, 74, 80), (26, 40, 46)))
    crop = Image.new("L", (W, H), 0)
    ImageDraw.Draw(crop).rectangle([0, 0, W, BAND - 1], fill=255)
    band.putalpha(ImageChops.multiply(band.getchannel("A"), crop))
    over(img, band)
    d = ImageDraw.Draw(img)
    d.line([(1, BAND), (W - 2, BAND)], fill=rgba(GOLD_D))
    d.line([(1, BAND + 1), (W - 2, BAND + 1)], fill=rgba(INK0, 200))
    d.line([(8, 1), (W - 9, 1)], fill=rgba((86, 120, 126)))
    over(img, emblem(20), (9, 7))
    draw_text(img, "提示", cjk(14), (36, BAND // 2 + 1), GOLD_L, anchor="lm",
              shadow=(0, 0, 0, 170))
    # the question with a small warning sign
    q = "确定要退出游戏吗？"
    f = cjk(16)
    tw = f.getlength(q)
    total = 20 + 8 + tw
    x0 = int(round((W - total) / 2))
    qy = 67

    def warn(dd, s):
        dd.polygon([((x0 + 10) * s, (qy - 9) * s), ((x0 + 20) * s, (qy + 8) * s),
                    (x0 * s, (qy + 8) * s)], fill=255)

    m = shape_mask(W, H, warn)
    over(img, fill_layer(W, H, m, GOLD))
    mk = shape_mask(W, H, lambda dd, s: (
        dd.rectangle([(x0 + 9.1) * s, (qy - 3.5) * s, (x0 + 10.9) * s,
                      (qy + 2.5) * s], fill=255),
        dd.rectangle([(x0 + 9.1) * s, (qy + 4) * s, (x0 + 10.9) * s,
                      (qy + 5.8) * s], fill=255)))
    over(img, fill_layer(W, H, mk, INK0))
    draw_text(img, q, f, (x0 + 28, qy + 1), TEXT, anchor="lm",
              shadow=(0, 0, 0, 170))
    # footer under the buttons
    d.line([(20, 150), (W - 21, 150)], fill=rgba((52, 78, 84)))
    draw_text(img, "选择“取消”可返回游戏", cjk(12), (W // 2, 167), TEXT_DIM,
              shadow=(0, 0, 0, 150))
    return img


def title_band_tile():
    # Every column is identical, so stretching sideways stays clean.
    img = vgradient(25, 25, (44, 68, 74), (22, 34, 39),
                    stops=[(0.0, (62, 94, 100)), (0.06, (44, 68, 74)),
                           (0.9, (22, 34, 39)), (0.96, (22, 34, 39)),
                           (1.0, GOLD_D)])
    return img


def banner():
    w, h = 434, 85
    img = blank(w, h)
    over(img, emblem(72), (6, 6))
    tf = font(TITLE_FONT, 46)
    draw_text(img, "CORVANE", tf, (92, 40), gold_gradient(w, h, 18, 60),
              anchor="lm", shadow=(0, 0, 0, 210), shadow_off=(2, 3),
              spacing=6)
    draw_text(img, "欢迎回来，冒险者", cjk(14), (96, 72), TEXT, anchor="lm",
              shadow=(0, 0, 0, 200))
    return img


def progress_frame():
    w, h = 400, 30
    img = blank(w, h)
    paint_rrect(img, (0, 0, w, h), 6, ((12, 18, 22), (24, 37, 42)),
                border=rgba(GOLD_D))
    paint_rrect(img, (6, 12, w - 6, 18), 3, rgba(INK0))
    return img


def bar(fill):
    w, h = 500, 4
    if fill:
        img = vgradient(w, h, GOLD_L, GOLD_D)
    else:
        img = vgradient(w, h, INK0, INK2)
    return img


def separator(gold):
    w, h = 4, 16
    img = blank(w, h)
    d = ImageDraw.Draw(img)
    if gold:
        for y in range(h):
            a = int(255 * (1 - abs(y - 7.5) / 8.0))
            d.point((1, y), fill=rgba(GOLD, a))
            d.point((2, y), fill=rgba(GOLD_D, a))
    else:
        for y in range(h):
            a = int(230 * (1 - abs(y - 7.5) / 8.0))
            d.point((1, y), fill=rgba(INK0, a))
            d.point((2, y), fill=rgba((80, 116, 122), a))
    return img


def info_icon():
    w = h = 20
    img = blank(w, h)
    m = shape_mask(w, h, lambda d, s: d.ellipse([1 * s, 1 * s, 19 * s - 1,
                                                  19 * s - 1], fill=255))
    over(img, fill_layer(w, h, m, GOLD))
    mk = shape_mask(w, h, lambda d, s: (
        d.rectangle([9 * s, 4.5 * s, 11 * s, 11.5 * s], fill=255),
        d.rectangle([9 * s, 13 * s, 11 * s, 15 * s], fill=255)))
    over(img, fill_layer(w, h, mk, INK0))
    return img


def small_close(look):
    w = h = 20
    img = blank(w, h)
    if look == "hover":
        paint_rrect(img, (1, 1, 19, 19), 3, (RED_L, RED))
    elif look == "pressed":
        paint_rrect(img, (1, 1, 19, 19), 3, (RED_D, RED))
    m = shape_mask(w, h, lambda d, s: glyph_close(d, s, 10, 10 + (
        1 if look == "pressed" else 0), 3.6, 1.5))
    over(img, fill_layer(w, h, m, GLYPH if look == "normal" else WHITE))
    return img


# --------------------------------------------------------------------------
# Output


def save_png(img, path):
    img = img.convert("RGBA")
    img.info.clear()
    img.save(path, format="PNG", optimize=True)


def build_images():
    imgs = {}

    # launcher picture and its small window buttons
    imgs[145] = launcher_picture()

    def min_glyph(d, s):
        d.rectangle([3.5 * s, 10.2 * s, 11.5 * s, 11.8 * s], fill=255)

    def close_glyph(d, s):
        glyph_close(d, s, 8, 8, 3.8, 1.6)

    imgs[135] = strip(small_button(min_glyph, 15, 16, "normal", "min"),
                      small_button(min_glyph, 15, 16, "hover", "min"), 31)
    imgs[130] = strip(small_button(close_glyph, 16, 16, "normal", "close"),
                      small_button(close_glyph, 16, 16, "hover", "close"), 33)

    # launcher link buttons
    for rid, cap, icon in ((131, "官网", icon_home), (134, "充值", icon_coin),
                           (132, "论坛", icon_bubble),
                           (133, "客服", icon_headset)):
        imgs[rid] = strip(launcher_link(cap, icon, "normal"),
                          launcher_link(cap, icon, "hover"))

    # title band, its icon and its text links
    imgs[217] = title_band_tile()
    imgs[137] = emblem(50, bold=True)
    for rid, cap in ((138, "客服"), (139, "论坛"), (140, "官网"),
                     (141, "充值")):
        imgs[rid] = strip(band_link(cap, 41, "normal"),
                          band_link(cap, 41, "hover"))
    imgs[161] = strip(band_link("实名认证", 64, "normal"),
                      band_link("实名认证", 64, "hover"))

    # title band window buttons: (normal, hover, pressed) ids
    sets = (
        ((209, 210, 152), glyph_close, "close"),
        ((211, 212, 156), glyph_max, "plain"),
        ((215, 216, 158), glyph_restore, "plain"),
        ((213, 214, 157), glyph_min, "plain"),
        ((153, 154, 155), glyph_fullscreen, "plain"),
        ((196, 208, 151), glyph_tools, "plain"),
    )
    for ids, g, kind in sets:
        for rid, look in zip(ids, ("normal", "hover", "pressed")):
            imgs[rid] = window_button(g, look, kind)

    # close confirmation
    imgs[142] = close_panel()
    imgs[143] = dialog_button("确定", True, "normal")
    imgs[146] = dialog_button("确定", True, "hover")
    imgs[147] = dialog_button("取消", False, "normal")
    imgs[148] = dialog_button("取消", False, "hover")

    # spare pieces of the same skin
    imgs[149] = progress_frame()
    imgs[150] = info_icon()
    imgs[159] = bar(False)
    imgs[160] = bar(True)
    imgs[219] = separator(False)
    imgs[220] = separator(True)
    imgs[221] = banner()
    imgs[226] = small_close("normal")
    imgs[227] = small_close("hover")
    imgs[228] = small_close("pressed")
    return imgs


def ico_entry(img):
    """32-bit BMP icon image: BITMAPINFOHEADER, BGRA bottom-up, AND mask."""
    w, h = img.size
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    px = img.load()
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b, a = px[x, y]
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    mask_stride = ((w + 31) // 32) * 4
    mask_rows = []
    for y in range(h - 1, -1, -1):
        bits = bytearray(mask_stride)
        for x in range(w):
            if px[x, y][3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask_rows.append(bytes(bits))
    return header + b"".join(rows) + b"".join(mask_rows)


def write_ico(path, images):
    entries = [ico_entry(im) for im in images]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for im, data in zip(images, entries):
        w, h = im.size
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32,
                           len(data), offset)
        offset += len(data)
    for data in entries:
        out += data
    with open(path, "wb") as fh:
        fh.write(bytes(out))


def main():
    for path in (CJK_FONT, TITLE_FONT):
        if not os.path.exists(path):
            sys.exit("missing font: " + path)
    os.makedirs(PNG_DIR, exist_ok=True)
    imgs = build_images()
    for rid in sorted(imgs):
        save_png(imgs[rid], os.path.join(PNG_DIR, "%d.png" % rid))
    write_ico(ICO_PATH, [emblem(16, bold=True), emblem(32, bold=True),
                         emblem(48, bold=True)])
    print("wrote %d images and %s" % (len(imgs), os.path.basename(ICO_PATH)))


if __name__ == "__main__":
    main()
