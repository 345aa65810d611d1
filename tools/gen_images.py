#!/usr/bin/python3
"""Draws every picture of the game into data/: backgrounds, menu, board, pieces, cursor;
and the desktop icon at the sizes of the hicolor theme into packaging/icons/.

Run from anywhere: /usr/bin/python3 tools/gen_images.py
The output is deterministic (no randomness, no time stamps), so running it twice gives the
same bytes. Pictures are written as RGB PNG files; pure cyan (0, 255, 255) is the colour the
game treats as transparent, so it appears only where a picture must let the screen show
through (sprite backgrounds, outside rounded corners, around the cursor).
Byte-identical output assumes the same Pillow and DejaVu fonts as Debian's python3-pil and
fonts-dejavu-core; text is laid out with Pillow's basic layout so that libraqm plays no part.
"""

import math
import os
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "data")
ICON_DIR = os.path.join(ROOT, "packaging", "icons")
FONT_DIR = "/usr/share/fonts/truetype/dejavu"

W, H = 800, 600
CYAN = (0, 255, 255)

# ---------------------------------------------------------------------------------------------
# Palette: deep night blue, a faint hexagonal weave, warm gold lettering.
BG_TOP = (16, 28, 64)
BG_BOTTOM = (5, 9, 26)
BG_GLOW = (30, 52, 108)
HEX_LINE = (58, 88, 160)
PANEL_TOP = (24, 40, 84)
PANEL_BOTTOM = (13, 22, 50)
PANEL_EDGE = (92, 124, 196)
GOLD_EDGE = (196, 150, 62)
GOLD_LIGHT = (255, 240, 178)
GOLD = (246, 190, 70)
GOLD_DEEP = (176, 104, 22)
GOLD_OUTLINE = (48, 26, 4)
TEXT = (232, 238, 252)
TEXT_DIM = (160, 178, 218)
WELL = (11, 19, 44)  # inside of a board cell: pieces are anti-aliased against it

# The eight piece colours, told apart by hue, by lightness and by a mark inside each.
PIECES = [
    # (base colour, mark, mark is light)
    ((214, 38, 50), "dot", True),  # red, white dot
    ((255, 146, 28), "ring", False),  # orange, dark ring
    ((255, 228, 72), "bar", False),  # yellow, dark bar
    ((44, 172, 74), "cross", True),  # green, white cross
    ((86, 188, 250), "triangle", False),  # sky blue, dark triangle
    ((42, 72, 214), "square", True),  # deep blue, white square
    ((226, 82, 196), "diamond", True),  # magenta, white diamond
    ((236, 236, 242), "star", False),  # pearl white, dark star
]

# Board geometry shared with the game: top-left of each 42 x 42 piece sprite.
X_EVEN = [262, 342, 422, 503, 583, 663]
X_ODD = [302, 382, 462, 543, 623, 703]


def cell_pos(i):
    g, k = divmod(i, 6)
    if g % 2 == 0:
        return X_EVEN[k], 24 * g + 38
    return X_ODD[k], 24 * g + 39


def cell_centre(i):
    x, y = cell_pos(i)
    return x + 21, y + 21


# ---------------------------------------------------------------------------------------------
# Small helpers.


def font(face, size):
    return ImageFont.truetype(os.path.join(FONT_DIR, face), size,
                              layout_engine=ImageFont.Layout.BASIC)


SANS_BOLD = "DejaVuSans-Bold.ttf"
SANS_BOLD_OBL = "DejaVuSans-BoldOblique.ttf"
SANS_OBL = "DejaVuSans-Oblique.ttf"
CONDENSED = "DejaVuSansCondensed.ttf"
CONDENSED_BOLD = "DejaVuSansCondensed-Bold.ttf"


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def solid(size, colour):
    return Image.new("RGB", size, colour)


def vgradient(size, top, bottom, y0=0, y1=None):
    """Vertical gradient over the whole size, top colour at y0, bottom colour at y1."""
    w, h = size
    if y1 is None:
        y1 = h
    ramp = Image.new("L", (1, h))
    span = max(1, y1 - y0)
    ramp.putdata([max(0, min(255, int(round(255 * (y - y0) / span)))) for y in range(h)])
    ramp = ramp.resize((w, h))
    return Image.composite(solid(size, bottom), solid(size, top), ramp)


_RADIAL = []


def _radial_base():
    """256 x 256 L image: 0 at the centre rising linearly to 255 at distance 128 and beyond."""
    if not _RADIAL:
        g = Image.new("L", (256, 256))
        g.putdata([min(255, int(round(255 * math.hypot(x - 127.5, y - 127.5) / 128)))
                   for y in range(256) for x in range(256)])
        _RADIAL.append(g)
    return _RADIAL[0]


def radial_mask(size, centre, radius, inner=255, outer=0, power=1.0, plateau=0.0):
    """L mask: `inner` at the centre falling to `outer` at `radius` and beyond; the fall
    starts at plateau x radius."""
    w, h = size
    cx, cy = centre
    rx, ry = (radius, radius) if not isinstance(radius, tuple) else radius
    g = _radial_base().resize((max(1, int(round(rx * 2))), max(1, int(round(ry * 2)))), Image.BILINEAR)
    full = Image.new("L", size, 255)
    full.paste(g, (int(round(cx - rx)), int(round(cy - ry))))
    lut = []
    for v in range(256):
        t = max(0.0, (min(1.0, v / 255.0) - plateau) / (1.0 - plateau)) ** power
        lut.append(int(round(inner + (outer - inner) * t)))
    return full.point(lut)


def scale_mask(mask, factor):
    return mask.point([int(round(v * factor)) for v in range(256)])


def aa_mask(size, draw_fn, ss=4):
    """Anti-aliased L mask: draw_fn(draw, s) draws in white at ss times the size."""
    big = Image.new("L", (size[0] * ss, size[1] * ss), 0)
    draw_fn(ImageDraw.Draw(big), ss)
    return big.resize(size, Image.BOX)


def paint(img, colour_or_img, mask):
    """Paints a colour (or a same-size picture) onto img through mask, in place."""
    src = colour_or_img if isinstance(colour_or_img, Image.Image) else solid(img.size, colour_or_img)
    img.paste(Image.composite(src, img, mask), (0, 0))


def shadow(img, mask, offset=(4, 6), blur=8, strength=0.65, colour=(0, 0, 0)):
    m = ImageChops.offset(mask, offset[0], offset[1]).filter(ImageFilter.GaussianBlur(blur))
    paint(img, colour, scale_mask(m, strength))


def glow(img, mask, colour, blur=10, strength=0.8):
    m = mask.filter(ImageFilter.GaussianBlur(blur))
    paint(img, colour, scale_mask(m, strength))


def rounded_mask(size, box, radius):
    def fn(d, s):
        x0, y0, x1, y1 = box
        d.rounded_rectangle((x0 * s, y0 * s, (x1 + 1) * s - 1, (y1 + 1) * s - 1), radius * s, fill=255)
    return aa_mask(size, fn)


def hexagon(cx, cy, rx, ry):
    """Flat-top hexagon: points left and right, flat edges at the top and bottom."""
    return [(cx + rx, cy), (cx + rx / 2, cy + ry), (cx - rx / 2, cy + ry),
            (cx - rx, cy), (cx - rx / 2, cy - ry), (cx + rx / 2, cy - ry)]


def hex_mask(size, cells, ss=4):
    """cells: list of (cx, cy, rx, ry), continuous picture coordinates (pixel i spans i..i+1)."""
    def fn(d, s):
        for cx, cy, rx, ry in cells:
            d.polygon([(px * s - 0.5, py * s - 0.5) for px, py in hexagon(cx, cy, rx, ry)], fill=255)
    return aa_mask(size, fn, ss)


def text_mask(size, xy, text, fnt, anchor="la", stroke=0):
    m = Image.new("L", size, 0)
    ImageDraw.Draw(m).text(xy, text, font=fnt, fill=255, anchor=anchor, stroke_width=stroke)
    return m


def gold_text(img, xy, text, fnt, anchor="la", stroke=3, glow_blur=10, glow_strength=0.45,
              top=GOLD_LIGHT, mid=GOLD, bottom=GOLD_DEEP, shadow_offset=(3, 4)):
    """Warm gold lettering: dark outline, soft shadow, a glow, and a three-stop gradient."""
    body = text_mask(img.size, xy, text, fnt, anchor)
    outline = text_mask(img.size, xy, text, fnt, anchor, stroke)
    box = outline.getbbox()
    if box is None:
        return
    shadow(img, outline, shadow_offset, 4, 0.75)
    if glow_blur:
        glow(img, outline, (255, 170, 60), glow_blur, glow_strength)
    paint(img, GOLD_OUTLINE, outline)
    y0, y1 = box[1], box[3]
    mid_y = y0 + (y1 - y0) * 0.5
    grad = vgradient(img.size, top, mid, y0, int(mid_y))
    lower = vgradient(img.size, mid, bottom, int(mid_y), y1)
    half = Image.new("L", img.size, 0)
    ImageDraw.Draw(half).rectangle((0, int(mid_y), img.size[0], img.size[1]), fill=255)
    grad = Image.composite(lower, grad, half)
    paint(img, grad, body)
    # A thin bright line across the upper half: the shine of polished metal.
    shine = Image.new("L", img.size, 0)
    ImageDraw.Draw(shine).rectangle((0, y0, img.size[0], int(y0 + (y1 - y0) * 0.38)), fill=90)
    paint(img, (255, 252, 230), ImageChops.multiply(body, shine))


def plain_text(img, xy, text, fnt, colour=TEXT, anchor="la", shadow_strength=0.7, offset=(1, 2)):
    m = text_mask(img.size, xy, text, fnt, anchor)
    if shadow_strength:
        shadow(img, m, offset, 1.2, shadow_strength)
    paint(img, colour, m)


# ---------------------------------------------------------------------------------------------
# Backgrounds and panels.


def hex_weave(size, radius=30, line=1.0, ss=2):
    """L mask of a flat-top hexagonal grid outline covering the whole picture."""
    w, h = size
    big = Image.new("L", (w * ss, h * ss), 0)
    d = ImageDraw.Draw(big)
    rx = radius
    ry = radius * math.sqrt(3) / 2
    col_step = 1.5 * rx
    cols = int(w / col_step) + 3
    rows = int(h / (2 * ry)) + 3
    for c in range(-1, cols):
        for r in range(-1, rows):
            cx = c * col_step
            cy = r * 2 * ry + (ry if c % 2 else 0)
            pts = [(px * ss, py * ss) for px, py in hexagon(cx, cy, rx, ry)]
            d.line(pts + [pts[0]], fill=255, width=max(1, int(round(line * ss))))
    return big.resize(size, Image.BOX)


def night_background(size=(W, H), glow_centre=None, weave_strength=0.16):
    w, h = size
    img = vgradient(size, BG_TOP, BG_BOTTOM)
    if glow_centre is None:
        glow_centre = (w // 2, int(h * 0.3))
    paint(img, BG_GLOW, radial_mask(size, glow_centre, (w * 0.62, h * 0.6), 200, 0, 0.9))
    weave = hex_weave(size)
    fade = radial_mask(size, (w // 2, h // 2), (w * 0.75, h * 0.8), 255, 70, 1.3)
    paint(img, HEX_LINE, scale_mask(ImageChops.multiply(weave, fade), weave_strength))
    # Vignette: the corners sink into the night.
    vign = radial_mask(size, (w // 2, h // 2), (w * 0.78, h * 0.82), 0, 255, 2.2)
    paint(img, (2, 4, 12), scale_mask(vign, 0.55))
    return img


def panel(img, box, radius=16, top=PANEL_TOP, bottom=PANEL_BOTTOM, edge=PANEL_EDGE,
          edge_width=2, shadow_strength=0.7, inner_shine=True):
    x0, y0, x1, y1 = box
    outer = rounded_mask(img.size, box, radius)
    if shadow_strength:
        shadow(img, outer, (5, 7), 9, shadow_strength)
    if edge_width:
        paint(img, edge, outer)
        inner = rounded_mask(img.size, (x0 + edge_width, y0 + edge_width,
                                        x1 - edge_width, y1 - edge_width), max(1, radius - edge_width))
    else:
        inner = outer
    paint(img, vgradient(img.size, top, bottom, y0, y1), inner)
    if inner_shine:
        # A soft lighter band along the top edge inside the panel.
        band = rounded_mask(img.size, (x0 + edge_width + 1, y0 + edge_width + 1,
                                       x1 - edge_width - 1, y0 + edge_width + 1 + radius), radius - 2)
        fade = vgradient(img.size, (255, 255, 255), (0, 0, 0), y0, y0 + edge_width + radius + 2).convert("L")
        paint(img, (120, 150, 220), scale_mask(ImageChops.multiply(band, fade), 0.16))
    return inner


def well(img, box, radius=8, fill=WELL, edge=(54, 76, 130)):
    """A sunken slot: dark inside, shadowed top edge, lit bottom edge."""
    x0, y0, x1, y1 = box
    paint(img, edge, rounded_mask(img.size, (x0, y0 + 1, x1, y1), radius))
    paint(img, (4, 7, 18), rounded_mask(img.size, (x0, y0, x1, y1 - 1), radius))
    paint(img, fill, rounded_mask(img.size, (x0 + 1, y0 + 2, x1 - 1, y1 - 1), max(1, radius - 1)))


def finish(img, path, allow_cyan=False):
    """Saves as RGB PNG; cyan appears only where a caller asks for transparency."""
    img = img.convert("RGB")
    if not allow_cyan:
        img = no_cyan(img)
    img.save(os.path.join(DATA, path), "PNG", optimize=False, compress_level=9)
    return img


def no_cyan(img):
    """Turns any stray pure cyan into a near neighbour that is drawn."""
    r, g, b = img.split()
    key = ImageChops.multiply(ImageChops.multiply(r.point(lambda v: 255 if v == 0 else 0),
                                                  g.point(lambda v: 255 if v == 255 else 0)),
                              b.point(lambda v: 255 if v == 255 else 0))
    if key.getbbox() is None:
        return img
    out = img.copy()
    out.paste((0, 254, 255), (0, 0), key)
    return out


# ---------------------------------------------------------------------------------------------
# Pieces.

SS = 4  # supersampling of sprites


def disc_mask(size, cx, cy, r):
    m = Image.new("L", size, 0)
    ImageDraw.Draw(m).ellipse((cx - r, cy - r, cx + r, cy + r), fill=255)
    return m


def mark_mask(size, kind, cx, cy, r):
    """Mask of a piece's mark centred at (cx, cy), r being its half size (supersampled px)."""
    m = Image.new("L", size, 0)
    d = ImageDraw.Draw(m)
    if kind == "dot":
        d.ellipse((cx - r * 0.62, cy - r * 0.62, cx + r * 0.62, cy + r * 0.62), fill=255)
    elif kind == "ring":
        d.ellipse((cx - r * 0.85, cy - r * 0.85, cx + r * 0.85, cy + r * 0.85), fill=255)
        d.ellipse((cx - r * 0.45, cy - r * 0.45, cx + r * 0.45, cy + r * 0.45), fill=0)
    elif kind == "bar":
        d.rounded_rectangle((cx - r * 0.95, cy - r * 0.3, cx + r * 0.95, cy + r * 0.3), r * 0.15, fill=255)
    elif kind == "cross":
        t = r * 0.28
        d.rectangle((cx - r * 0.9, cy - t, cx + r * 0.9, cy + t), fill=255)
        d.rectangle((cx - t, cy - r * 0.9, cx + t, cy + r * 0.9), fill=255)
    elif kind == "triangle":
        d.polygon([(cx, cy - r * 0.9), (cx + r * 0.92, cy + r * 0.68), (cx - r * 0.92, cy + r * 0.68)], fill=255)
    elif kind == "square":
        d.rectangle((cx - r * 0.62, cy - r * 0.62, cx + r * 0.62, cy + r * 0.62), fill=255)
    elif kind == "diamond":
        d.polygon([(cx, cy - r * 0.95), (cx + r * 0.72, cy), (cx, cy + r * 0.95), (cx - r * 0.72, cy)], fill=255)
    elif kind == "star":
        pts = []
        for n in range(10):
            a = -math.pi / 2 + n * math.pi / 5
            rr = r * (0.98 if n % 2 == 0 else 0.42)
            pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
        d.polygon(pts, fill=255)
    return m


def ball(size, cx, cy, r, base, mark, mark_light, whiten=0.0, mark_scale=1.0):
    """RGBA glossy ball of radius r (supersampled px) with a dark outline and its mark."""
    img = Image.new("RGB", size, mix(base, (0, 0, 0), 0.68))
    outline = disc_mask(size, cx, cy, r)
    ow = 1.35 * SS
    body_r = r - ow
    body = disc_mask(size, cx, cy, body_r)
    light = mix(base, (255, 255, 255), 0.5)
    dark = mix(base, (0, 0, 0), 0.5)
    # Shading lit from the upper left: light -> base -> dark.
    lc = (cx - body_r * 0.35, cy - body_r * 0.42)
    m1 = radial_mask(size, lc, body_r * 1.05, 0, 255, 1.0)
    m2 = radial_mask(size, lc, body_r * 1.75, 0, 255, 1.6)
    shade = Image.composite(solid(size, base), solid(size, light), m1)
    shade = Image.composite(solid(size, dark), shade, m2)
    img.paste(shade, (0, 0), body)
    # Reflected light along the lower right rim.
    rim = ImageChops.subtract(body, disc_mask(size, cx - body_r * 0.16, cy - body_r * 0.2, body_r * 0.98))
    rim = rim.filter(ImageFilter.GaussianBlur(SS * 0.9))
    paint(img, mix(base, (255, 255, 255), 0.35), ImageChops.multiply(scale_mask(rim, 0.75), body))
    # The mark, slightly embossed.
    if mark and mark_scale > 0:
        mr = body_r * 0.5 * mark_scale
        mm = mark_mask(size, mark, cx, cy + body_r * 0.04, mr)
        if mark_light:
            colour = (250, 250, 255)
            sh = ImageChops.offset(mm, int(SS * 0.5), int(SS * 0.8)).filter(ImageFilter.GaussianBlur(SS * 0.5))
            paint(img, mix(base, (0, 0, 0), 0.6), ImageChops.multiply(scale_mask(sh, 0.8), body))
        else:
            colour = mix(base, (0, 0, 0), 0.72)
            sh = ImageChops.offset(mm, int(SS * 0.4), int(SS * 0.7)).filter(ImageFilter.GaussianBlur(SS * 0.4))
            paint(img, mix(base, (255, 255, 255), 0.55), ImageChops.multiply(scale_mask(sh, 0.7), body))
        paint(img, colour, ImageChops.multiply(mm, body))
    # Specular highlight: a soft oval spot and a crisp small one.
    hx, hy = cx - body_r * 0.36, cy - body_r * 0.44
    spot = Image.new("L", size, 0)
    ImageDraw.Draw(spot).ellipse((hx - body_r * 0.42, hy - body_r * 0.28, hx + body_r * 0.42, hy + body_r * 0.28), fill=255)
    spot = spot.filter(ImageFilter.GaussianBlur(SS * 1.6))
    paint(img, (255, 255, 255), ImageChops.multiply(scale_mask(spot, 0.75), body))
    crisp = Image.new("L", size, 0)
    ImageDraw.Draw(crisp).ellipse((hx - body_r * 0.2, hy - body_r * 0.12, hx + body_r * 0.14, hy + body_r * 0.12), fill=255)
    crisp = crisp.filter(ImageFilter.GaussianBlur(SS * 0.5))
    paint(img, (255, 255, 255), ImageChops.multiply(scale_mask(crisp, 0.9), body))
    if whiten > 0:
        paint(img, (255, 255, 255), scale_mask(body, whiten))
    out = img.convert("RGBA")
    out.putalpha(outline)
    return out


def sparkle_mask(size, cx, cy, r):
    """A four-pointed twinkle."""
    m = Image.new("L", size, 0)
    d = ImageDraw.Draw(m)
    t = r * 0.28
    d.polygon([(cx, cy - r), (cx + t, cy - t), (cx + r, cy), (cx + t, cy + t),
               (cx, cy + r), (cx - t, cy + t), (cx - r, cy), (cx - t, cy - t)], fill=255)
    return m


def piece_frame(index, frame):
    """RGBA 42 x 42 sprite of piece colour `index` at animation frame 0..4."""
    base, mark, mark_light = PIECES[index]
    size = (42 * SS, 42 * SS)
    c = 21 * SS - 0.5
    layer = Image.new("RGBA", size, (0, 0, 0, 0))
    # (ball radius, whitening, halo, sparkle distance, sparkle size, sparkle strength, mark)
    stages = [
        (18.5, 0.0, 0.0, 0, 0, 0, 1.0),
        (17.0, 0.22, 1.0, 0, 0, 0, 0.95),
        (13.0, 0.45, 0.9, 16.0, 3.2, 1.0, 0.72),
        (7.5, 0.72, 0.3, 18.3, 2.6, 0.9, 0.0),
        (2.6, 0.9, 0.0, 19.4, 1.8, 0.6, 0.0),
    ]
    r, whiten, halo, sd, ss_, sk, mscale = stages[frame]
    glow_colour = mix(base, (255, 255, 255), 0.45)
    if halo:
        hm = radial_mask(size, (c, c), (r + 3.8) * SS, int(255 * halo), 0, 1.6, r / (r + 3.8))
        hl = Image.new("RGBA", size, glow_colour + (0,))
        hl.putalpha(hm)
        layer = Image.alpha_composite(layer, hl)
    if sd:
        sp = Image.new("L", size, 0)
        for n in range(8):
            a = n * math.pi / 4 + math.pi / 8
            big = (n % 2 == 0)
            rr = (ss_ if big else ss_ * 0.7) * SS
            dist = (sd if big else sd - 2.0) * SS
            sp = ImageChops.lighter(sp, sparkle_mask(size, c + dist * math.cos(a), c + dist * math.sin(a), rr))
        sl = Image.new("RGBA", size, mix(base, (255, 255, 255), 0.6) + (0,))
        sl.putalpha(scale_mask(sp, sk))
        layer = Image.alpha_composite(layer, sl)
    b = ball(size, c, c, r * SS, base, mark, mark_light, whiten, mscale)
    layer = Image.alpha_composite(layer, b)
    return layer.resize((42, 42), Image.BOX)


def over_colour(rgba, colour):
    bg = Image.new("RGBA", rgba.size, colour + (255,))
    return Image.alpha_composite(bg, rgba).convert("RGB")


def keyed_sprite(rgba, against=WELL, threshold=28):
    """Opaque sprite for a cyan colour key: edges blended against `against`, the rest cyan."""
    rgb = over_colour(rgba, against)
    alpha = rgba.getchannel("A")
    rgb = no_cyan(rgb)
    keep = alpha.point(lambda v: 255 if v >= threshold else 0)
    out = solid(rgba.size, CYAN)
    out.paste(rgb, (0, 0), keep)
    return out


def make_pions():
    sheet = solid((210, 336), CYAN)
    for ci in range(8):
        for f in range(5):
            sheet.paste(keyed_sprite(piece_frame(ci, f)), (42 * f, 42 * ci))
    return finish(sheet, "pions.png", allow_cyan=True)


# Pieces drawn straight into a picture (decorations), composited over what lies beneath.
def put_piece(img, index, cx, cy, frame=0, scale=1.0):
    spr = piece_frame(index, frame)
    if scale != 1.0:
        n = int(round(42 * scale))
        spr = spr.resize((n, n), Image.LANCZOS)
    n = spr.size[0]
    x, y = int(round(cx - n / 2)), int(round(cy - n / 2))
    base = img.crop((x, y, x + n, y + n)).convert("RGBA")
    img.paste(Image.alpha_composite(base, spr).convert("RGB"), (x, y))


# ---------------------------------------------------------------------------------------------
# Board cells (the board itself and the small board motifs of other screens).

CELL_RX = 80.0 / 3.0  # half width of a full cell: columns are 40 px apart
CELL_RY = 24.0  # half height: rows are 48 px apart


def draw_cells(img, centres, scale=1.0):
    """Sunken hexagonal cells: a bevelled rim (dark above, lit below) around a dark well."""
    rx, ry = CELL_RX * scale, CELL_RY * scale
    size = img.size
    d = 1.3 * scale

    def hexes(k, dy=0.0):
        return hex_mask(size, [(cx, cy + dy, rx * k, ry * k) for cx, cy in centres])

    rim = hexes(0.955)
    shadow(img, rim, (1, 2), 2.0, 0.5)
    paint(img, (30, 46, 94), rim)
    paint(img, (88, 120, 190), ImageChops.subtract(rim, hexes(0.9, -d)))  # lit lower edge
    paint(img, (5, 9, 22), ImageChops.subtract(rim, hexes(0.9, d)))  # shaded upper edge
    inner = hexes(0.875)
    paint(img, WELL, inner)
    # A soft shadow under the upper edge of the well, kept outside the pieces' radius.
    lip = ImageChops.subtract(inner, hexes(0.85, 1.2 * scale))
    paint(img, (3, 5, 14), scale_mask(lip, 0.6))


def board_plate(img, centres, scale=1.0, grow=7, edge=GOLD_EDGE, fade=None):
    """The plate the cells are sunk into: follows the board's outline, with a gold edge."""
    size = img.size
    full = hex_mask(size, [(cx, cy, CELL_RX * scale * 1.01, CELL_RY * scale * 1.01) for cx, cy in centres])
    outer = full.filter(ImageFilter.MaxFilter(2 * grow + 1)).filter(ImageFilter.GaussianBlur(1.2))
    outer = outer.point(lambda v: 0 if v < 60 else min(255, (v - 60) * 3))
    inner = full.filter(ImageFilter.MaxFilter(2 * (grow - 3) + 1)).filter(ImageFilter.GaussianBlur(1.2))
    inner = inner.point(lambda v: 0 if v < 60 else min(255, (v - 60) * 3))
    if fade is not None:
        outer = ImageChops.multiply(outer, fade)
        inner = ImageChops.multiply(inner, fade)
    shadow(img, outer, (6, 8), 10, 0.8)
    paint(img, edge, outer)
    box = outer.getbbox() or (0, 0, size[0], size[1])
    paint(img, vgradient(size, (32, 50, 100), (16, 26, 58), box[1], box[3]), inner)


def board_centres(cols, rows, origin, scale=1.0):
    """Centres of a small board fragment laid out like the real board: cells (col, row)."""
    ox, oy = origin
    out = {}
    for c in cols:
        for r in rows:
            out[(c, r)] = (ox + c * 40 * scale, oy + (r * 48 + (24 if c % 2 else 0)) * scale)
    return out


# ---------------------------------------------------------------------------------------------
# The pictures.


CURSOR = [
    "B...............",
    "BB..............",
    "BFB.............",
    "BFFB............",
    "BFFFB...........",
    "BFFFFB..........",
    "BFFFFFB.........",
    "BFFFFFFB........",
    "BFFFFFFFB.......",
    "BFFFFFFFFB......",
    "BFFFFFFFFFB.....",
    "BFFFFFFFFFFB....",
    "BFFFFFFFFFFFB...",
    "BFFFFFFFFFFFFB..",
    "BFFFFFFFBBBBBBB.",
    "BFFFBFFFB.......",
    "BFFB.BFFFB......",
    "BFB..BFFFB......",
    "BB....BFFFB.....",
    "B.....BFFFB.....",
    ".......BFFFB....",
    ".......BFFFB....",
    "........BBB.....",
]


def make_mouse():
    """The cursor: a gold arrow with a dark outline; its tip is the top-left pixel."""
    w, h = len(CURSOR[0]), len(CURSOR)
    img = solid((w, h), CYAN)
    fill = vgradient((w, h), (255, 248, 210), (232, 160, 40), 1, h - 4)
    for y, row in enumerate(CURSOR):
        for x, ch in enumerate(row):
            if ch == "B":
                img.putpixel((x, y), (22, 13, 4))
            elif ch == "F":
                img.putpixel((x, y), fill.getpixel((x, y)))
    return finish(img, "mouse.png", allow_cyan=True)


def make_grille():
    img = night_background(glow_centre=(500, 260), weave_strength=0.12)
    centres = [cell_centre(i) for i in range(126)]
    board_plate(img, centres)
    draw_cells(img, centres)

    # Left column: name, score, a reminder of the goal, the preview.
    gold_text(img, (122, 40), "Brimzo", font(SANS_BOLD_OBL, 46), anchor="mm", stroke=3,
              glow_blur=8, glow_strength=0.35)

    panel(img, (12, 88, 234, 160), radius=14)
    plain_text(img, (24, 124), "Score", font(CONDENSED_BOLD, 21), GOLD, anchor="lm")
    well(img, (88, 104, 228, 145), radius=8)

    panel(img, (12, 184, 234, 310), radius=14)
    plain_text(img, (123, 205), "Alignez cinq pions", font(CONDENSED_BOLD, 18), TEXT, anchor="mm")
    plain_text(img, (123, 226), "de même couleur", font(CONDENSED_BOLD, 18), TEXT, anchor="mm")
    run = board_centres(range(0, 5), range(0, 1), (43, 258), 0.75)
    draw_cells(img, list(run.values()), 0.75)
    for (c, r), (cx, cy) in run.items():
        put_piece(img, 4, cx, cy, 0, 0.75)

    panel(img, (12, 330, 234, 440), radius=14)
    plain_text(img, (123, 355), "Prochains pions", font(CONDENSED_BOLD, 21), GOLD, anchor="mm")
    well(img, (22, 374, 224, 428), radius=14)
    for k in range(4):
        cx, cy = 28 + 46 * k + 21, 380 + 21
        socket = aa_mask(img.size, lambda d, s: d.ellipse(((cx - 21) * s, (cy - 21) * s, (cx + 21) * s - 1, (cy + 21) * s - 1), fill=255))
        ring = ImageChops.subtract(socket, aa_mask(img.size, lambda d, s: d.ellipse(((cx - 20) * s, (cy - 19) * s, (cx + 20) * s - 1, (cy + 21) * s - 1), fill=255)))
        paint(img, (40, 58, 108), scale_mask(ring, 0.8))

    plain_text(img, (123, 560), "Échap : quitter", font(CONDENSED, 17), TEXT_DIM, anchor="mm")
    return finish(img, "grille.png")


def keyed_panel(size, radius, draw_fn, against=(20, 32, 68), edge=GOLD_EDGE):
    """An opaque panel with rounded corners; outside the corners is cyan (transparent).
    draw_fn(img) paints the inside. Edge pixels are blended against a dark board colour."""
    w, h = size
    img = solid(size, against)
    outer = rounded_mask(size, (0, 0, w - 1, h - 1), radius)
    paint(img, (8, 6, 2), outer)
    paint(img, edge, rounded_mask(size, (2, 2, w - 3, h - 3), radius - 2))
    inner = rounded_mask(size, (4, 4, w - 5, h - 5), radius - 4)
    paint(img, vgradient(size, PANEL_TOP, PANEL_BOTTOM), inner)
    band = rounded_mask(size, (5, 5, w - 6, 5 + radius), radius - 5)
    fade = vgradient(size, (255, 255, 255), (0, 0, 0), 4, 8 + radius).convert("L")
    paint(img, (120, 150, 220), scale_mask(ImageChops.multiply(band, fade), 0.18))
    draw_fn(img)
    img = no_cyan(img)
    keep = outer.point(lambda v: 255 if v >= 96 else 0)
    out = solid(size, CYAN)
    out.paste(img, (0, 0), keep)
    return out


def gold_button(img, box, radius, lit=True):
    """A raised button: gold when lit, night blue otherwise."""
    x0, y0, x1, y1 = box
    outer = rounded_mask(img.size, box, radius)
    if lit:
        glow(img, outer, (255, 180, 60), 12, 0.9)
        shadow(img, outer, (2, 4), 4, 0.6)
        paint(img, (70, 40, 6), outer)
        inner = rounded_mask(img.size, (x0 + 2, y0 + 2, x1 - 2, y1 - 2), radius - 2)
        paint(img, vgradient(img.size, (255, 236, 160), (214, 138, 30), y0, y1), inner)
        top = rounded_mask(img.size, (x0 + 4, y0 + 3, x1 - 4, y0 + (y1 - y0) * 0.48), radius - 4)
        paint(img, (255, 250, 225), scale_mask(top, 0.38))
    else:
        shadow(img, outer, (3, 5), 6, 0.7)
        paint(img, (70, 96, 160), outer)
        inner = rounded_mask(img.size, (x0 + 2, y0 + 2, x1 - 2, y1 - 2), radius - 2)
        paint(img, vgradient(img.size, (34, 54, 108), (14, 24, 56), y0, y1), inner)
        top = rounded_mask(img.size, (x0 + 4, y0 + 3, x1 - 4, y0 + (y1 - y0) * 0.45), radius - 4)
        paint(img, (150, 180, 240), scale_mask(top, 0.1))


def button_label(img, centre, text, fnt, lit):
    if lit:
        m = text_mask(img.size, centre, text, fnt, "mm")
        paint(img, (255, 246, 210), scale_mask(ImageChops.offset(m, 0, 1), 0.7))
        paint(img, (62, 34, 4), m)
    else:
        plain_text(img, centre, text, fnt, TEXT_DIM, anchor="mm", shadow_strength=0.8)


MENU_ITEMS = [("Jouer", (276, 69, 524, 132)), ("Aide", (276, 202, 524, 265)),
              ("Scores", (276, 335, 524, 398)), ("Quitter", (276, 468, 524, 531))]


def side_motif(img, origin, cols, rows, pieces, scale=0.8, fade_centre=None, fade_radius=None,
               fade_power=2.2):
    """A fragment of board with a few pieces, fading into the night at its edges."""
    cells = board_centres(cols, rows, origin, scale)
    keep = {}
    for key, (cx, cy) in cells.items():
        if 0 - 30 < cx < img.size[0] + 30 and -30 < cy < img.size[1] + 30:
            keep[key] = (cx, cy)
    layer = img.copy()
    board_plate(layer, list(keep.values()), scale, grow=5, edge=(120, 96, 50))
    draw_cells(layer, list(keep.values()), scale)
    for key, colour, frame in pieces:
        if key in keep:
            put_piece(layer, colour, keep[key][0], keep[key][1], frame, scale)
    fade = radial_mask(img.size, fade_centre, fade_radius, 255, 0, fade_power)
    img.paste(Image.composite(layer, img, fade), (0, 0))


def menu_background():
    img = night_background(glow_centre=(400, 300))
    left = [((0, 2), 0, 0), ((1, 2), 0, 0), ((1, 4), 3, 0), ((2, 5), 5, 0), ((0, 7), 6, 0), ((2, 8), 2, 0),
            ((1, 6), 1, 0), ((2, 3), 0, 0), ((0, 4), 7, 0), ((2, 10), 4, 0), ((1, 9), 3, 0)]
    side_motif(img, (40, 18), range(0, 4), range(-1, 15), left, 0.8, (90, 300), (190, 330), 1.3)
    right = [((0, 1), 4, 0), ((1, 2), 2, 0), ((2, 2), 2, 0), ((0, 4), 6, 0), ((1, 5), 5, 0), ((2, 6), 1, 0),
             ((0, 8), 7, 0), ((1, 8), 3, 0), ((2, 9), 0, 0), ((1, 11), 6, 0), ((2, 4), 2, 0)]
    side_motif(img, (664, 8), range(0, 4), range(-1, 15), right, 0.8, (710, 300), (190, 330), 1.3)
    gold_text(img, (400, 34), "Brimzo", font(SANS_BOLD_OBL, 44), anchor="mm", stroke=3,
              glow_blur=9, glow_strength=0.35)
    return img


ICONS = {"Jouer": "\u25B6", "Aide": "?", "Scores": "\u2605", "Quitter": "\u2716"}


def make_menus():
    base = menu_background()
    outputs = {}
    for name, file in (("Jouer", "menu_jouer.png"), ("Aide", "menu_aide.png"),
                       ("Scores", "menu_scores.png"), ("Quitter", "menu_quitter.png")):
        img = base.copy()
        for label, box in MENU_ITEMS:
            lit = label == name
            gold_button(img, box, 18, lit)
            cx, cy = (box[0] + box[2]) / 2, (box[1] + box[3]) / 2
            button_label(img, (cx + 10, cy + 1), label, font(SANS_BOLD, 30), lit)
            icon_font = font(SANS_BOLD, 24)
            button_label(img, (box[0] + 38, cy + 1), ICONS[label], icon_font, lit)
            if lit:
                # Chevrons pointing at the chosen item.
                for side in (-1, 1):
                    x = box[0] - 22 if side < 0 else box[2] + 22
                    pts = [(x - 8 * side, cy - 11), (x + 6 * side, cy), (x - 8 * side, cy - -11)]
                    m = aa_mask(img.size, lambda d, s: d.polygon([(px * s, py * s) for px, py in pts], fill=255))
                    glow(img, m, (255, 180, 60), 5, 0.8)
                    paint(img, GOLD, m)
        outputs[file] = finish(img, file)
    return outputs


def make_intro():
    img = night_background(glow_centre=(400, 200))
    # A stretch of board: a diagonal run of five yellow pieces shines, about to vanish.
    run = run_cells((3, 0), "down")
    pieces = [(k, 2, 1) for k in run] + [
        ((1, 1), 0, 0), ((2, 2), 5, 0), ((5, 0), 6, 0), ((6, 0), 3, 0), ((9, 1), 4, 0),
        ((9, 2), 1, 0), ((0, 0), 4, 0), ((4, 3), 7, 0), ((8, 3), 0, 0), ((10, 1), 5, 0),
        ((0, 2), 3, 0), ((11, 2), 7, 0), ((5, 3), 1, 0), ((2, 0), 6, 0), ((8, 0), 0, 0),
        ((3, 2), 4, 0), ((10, 3), 3, 0), ((1, 3), 1, 0)]
    scale = 0.9
    origin = (400 - 5.5 * 40 * scale, 300)
    side_motif(img, origin, range(0, 12), range(0, 4), pieces, scale, (400, 380), (460, 230))
    gold_text(img, (400, 138), "Brimzo", font(SANS_BOLD_OBL, 124), anchor="mm", stroke=5,
              glow_blur=18, glow_strength=0.55, shadow_offset=(5, 7))
    plain_text(img, (400, 240), "Alignez cinq pions de même couleur",
               font(SANS_OBL, 23), TEXT_DIM, anchor="mm")
    pf = font(SANS_BOLD, 21)
    prompt = "Cliquez ou appuyez sur une touche pour commencer"
    m = text_mask(img.size, (400, 552), prompt, pf, "mm")
    glow(img, m, (90, 140, 255), 8, 0.6)
    plain_text(img, (400, 552), prompt, pf, TEXT, anchor="mm", shadow_strength=0.9)
    return finish(img, "intro_bg.png")


def layout_words(segments, width):
    """Word wrap for runs of (text, font, colour): returns lines of (x, word, font, colour)."""
    lines, line, x = [], [], 0.0
    for text, fnt, colour in segments:
        words = text.split(" ")
        for word in words:
            if word == "":
                continue
            space = fnt.getlength(" ") if line else 0.0
            wlen = fnt.getlength(word)
            if line and x + space + wlen > width:
                lines.append(line)
                line, x, space = [], 0.0, 0.0
            line.append((x + space, word, fnt, colour))
            x += space + wlen
    if line:
        lines.append(line)
    return lines


def paragraph(img, x, y, width, segments, line_height):
    """Draws wrapped text; non-breaking spaces (U+00A0) keep words together. Returns the next y."""
    for line in layout_words(segments, width):
        for dx, word, fnt, colour in line:
            plain_text(img, (x + dx, y), word.replace("\u00a0", " "), fnt, colour,
                       shadow_strength=0.6, offset=(1, 1))
        y += line_height
    return y


def run_cells(start, direction):
    """Five cells (col, row) of a run on the board, following one of the five directions."""
    cells = [start]
    c, r = start
    for _ in range(4):
        odd = c % 2
        if direction == "column":
            r += 1
        elif direction == "down":
            c, r = c + 1, r + (1 if odd else 0)
        elif direction == "up":
            c, r = c + 1, r - (0 if odd else 1)
        elif direction == "zigzag":  # even cells of row r and odd cells of row r
            c = c + 1
        elif direction == "zagzig":  # even cells of row r and odd cells of row r - 1
            c, r = c + 1, r + (1 if odd else -1)
        cells.append((c, r))
    return cells


def direction_diagram(img, centre_x, mid_y, run, colour, scale, margin):
    """A patch of cells around one run of five, the run's pieces drawn in; the run's middle
    lands at (centre_x, mid_y). Cells further than `margin` board pixels above or below the
    run are left out. Returns the patch's bottom."""
    cols = [c for c, r in run]
    rows = [r for c, r in run]
    c0, c1, r0, r1 = min(cols), max(cols), min(rows), max(rows)
    if c1 == c0:
        c0, c1 = c0 - 1, c1 + 1
    cells = board_centres(range(c0, c1 + 1), range(r0 - 2, r1 + 3), (0, 0), scale)
    ys = [cells[k][1] for k in run]
    keep = {k: p for k, p in cells.items()
            if min(ys) - margin * scale - 0.1 <= p[1] <= max(ys) + margin * scale + 0.1}
    xs = [p[0] for p in keep.values()]
    dx = centre_x - (min(xs) + max(xs)) / 2
    dy = mid_y - (min(ys) + max(ys)) / 2
    placed = {k: (p[0] + dx, p[1] + dy) for k, p in keep.items()}
    draw_cells(img, list(placed.values()), scale)
    for k in run:
        put_piece(img, colour, placed[k][0], placed[k][1], 0, scale)
    return max(p[1] for p in placed.values()) + CELL_RY * scale


def direction_patches(img, left, mid_y, scale, gap):
    """The five directions of a line, each shown as a run of five pieces on a patch of cells.
    Returns the patches' horizontal centres and the bottom of the lowest one."""
    specs = [("column", (1, 0), 0), ("down", (0, 0), 4), ("up", (0, 2), 6),
             ("zigzag", (0, 0), 1), ("zagzig", (0, 1), 7)]
    widths = [(2 * 40 + 2 * CELL_RX) * scale if d == "column" else (4 * 40 + 2 * CELL_RX) * scale
              for d, _, _ in specs]
    x = left
    centres, bottom = [], mid_y
    for (direction, start, colour), w in zip(specs, widths):
        cx = x + w / 2
        margin = 30 if direction == "column" else 50
        bottom = max(bottom, direction_diagram(img, cx, mid_y, run_cells(start, direction), colour,
                                               scale, margin))
        centres.append(cx)
        x += w + gap
    return centres, bottom


AIDE_BODY = 17
AIDE_LINE = 21


def aide_sections():
    body = font(CONDENSED, AIDE_BODY)
    strong = font(CONDENSED_BOLD, AIDE_BODY)

    def t(text, f=body, c=TEXT):
        return (text, f, c)

    nb = "\u00a0"
    return [
        ("Déplacer", "un pion", 5, [
            t("Cliquez sur un pion pour le choisir, puis sur une case libre\u00a0: le pion s'y rend"
              " de case voisine en case voisine, en ne passant que par des cases libres. Une case"
              " que d'autres pions lui ferment reste hors d'atteinte.")]),
        ("Aligner", "cinq pions", 3, [
            t("Cinq pions ou plus de même couleur alignés disparaissent. Une ligne suit l'une des"
              " cinq directions du plateau\u00a0: la colonne, les deux diagonales, et les deux"
              " zig-zags le long d'une rangée.")]),
        ("Marquer", "des points", 2, [
            t("Le score augmente du carré du nombre de pions retirés\u00a0:"),
            t(nb.join("5 pions → 25,".split(" ")), strong, GOLD_LIGHT),
            t(nb.join("6 pions → 36,".split(" ")), strong, GOLD_LIGHT),
            t("deux lignes de cinq qui se croisent (9\u00a0pions)"),
            t(nb.join("→ 81.".split(" ")), strong, GOLD_LIGHT)]),
        ("Nouveaux", "pions", 0, [
            t("Après chaque coup qui ne retire aucun pion, quatre nouveaux pions arrivent sur des"
              " cases prises au hasard. Leurs couleurs sont annoncées d'avance sous"
              " «\u00a0Prochains\u00a0pions\u00a0»."),
        ]),
        ("Fin", "de partie", 7, [
            t("La partie s'arrête quand le plateau est plein. Un bon score entre au tableau des"
              " records\u00a0: choisissez trois lettres avec les flèches, puis cliquez sur OK."),
        ]),
    ]


def make_aide():
    img = night_background(glow_centre=(400, 120), weave_strength=0.12)
    gold_text(img, (400, 30), "Comment jouer", font(SANS_BOLD_OBL, 40), anchor="mm", stroke=3,
              glow_blur=9, glow_strength=0.4)
    box = (14, 58, 786, 548)
    panel(img, box, radius=16, shadow_strength=0.6)
    head_x, text_x, text_w = box[0] + 18, box[0] + 196, box[2] - box[0] - 196 - 18
    head_font = font(CONDENSED_BOLD, 21)
    diagram_scale, label_h = 0.42, 22
    diagram_h = 240 * diagram_scale
    pad = 10
    sections = aide_sections()
    # Measure first, then spread the spare height evenly between the sections.
    heights = []
    for title, sub, icon, segments in sections:
        h = len(layout_words(segments, text_w)) * AIDE_LINE
        if title == "Aligner":
            h += diagram_h + label_h + 6
        heights.append(max(h, 2 * 24))
    spare = (box[3] - box[1] - 2 * pad) - sum(heights)
    if spare < len(sections) * 8:
        sys.exit("aide_bg.png: the rules do not fit (%d px short)" % (len(sections) * 8 - spare))
    step = spare / len(sections)
    y = box[1] + pad + step / 2
    for n, ((title, sub, icon, segments), h) in enumerate(zip(sections, heights)):
        top = int(round(y))
        put_piece(img, icon, head_x + 12, top + 12, 0, 0.6)
        plain_text(img, (head_x + 32, top), title, head_font, GOLD)
        plain_text(img, (head_x + 32, top + 24), sub, head_font, GOLD)
        end = paragraph(img, text_x, top, text_w, segments, AIDE_LINE)
        if title == "Aligner":
            centres, bottom = direction_patches(img, text_x + 8, end + 6 + diagram_h / 2,
                                                diagram_scale, 30)
            label_font = font(CONDENSED, 16)
            ly = int(bottom) + 12
            plain_text(img, (centres[0], ly), "colonne", label_font, TEXT_DIM, anchor="mm")
            plain_text(img, ((centres[1] + centres[2]) / 2, ly), "diagonales", label_font, TEXT_DIM, anchor="mm")
            plain_text(img, ((centres[3] + centres[4]) / 2, ly), "zig-zags", label_font, TEXT_DIM, anchor="mm")
        y += h + step
        if n < len(sections) - 1:
            sep_y = int(round(y - step / 2))
            line = Image.new("L", img.size, 0)
            ImageDraw.Draw(line).line((box[0] + 20, sep_y, box[2] - 20, sep_y), fill=255)
            paint(img, (70, 100, 170), scale_mask(line, 0.5))

    plain_text(img, (box[0] + 6, 574), "Échap\u00a0: quitter à tout moment", font(CONDENSED, 17),
               TEXT_DIM, anchor="lm")
    pf = font(SANS_BOLD, 21)
    m = text_mask(img.size, (box[2] - 6, 574), "Cliquez pour continuer", pf, "rm")
    glow(img, m, (255, 170, 60), 7, 0.5)
    plain_text(img, (box[2] - 6, 574), "Cliquez pour continuer", pf, GOLD_LIGHT, anchor="rm",
               shadow_strength=0.9)
    return finish(img, "aide_bg.png")


def make_hi_scores_bg():
    img = night_background(glow_centre=(400, 120))
    gold_text(img, (400, 68), "Meilleurs scores", font(SANS_BOLD_OBL, 52), anchor="mm", stroke=4,
              glow_blur=12, glow_strength=0.5)
    box = (205, 148, 635, 494)
    panel(img, box, radius=18, edge=GOLD_EDGE)
    for i in range(10):
        y = 170 + 30 * i
        if i % 2 == 0:
            band = rounded_mask(img.size, (220, y, 620, y + 29), 8)
            paint(img, (60, 90, 160), scale_mask(band, 0.22))
    rank_font = font(SANS_BOLD_OBL, 25)
    medals = [((255, 214, 90), (150, 92, 10)), ((220, 228, 240), (110, 118, 140)),
              ((226, 150, 90), (120, 62, 24))]
    for i in range(10):
        y = 170 + 30 * i
        if i < 3:
            light, deep = medals[i]
            cx, cy = 250, y + 15
            m = aa_mask(img.size, lambda d, s: d.ellipse(((cx - 11) * s, (cy - 11) * s, (cx + 11) * s, (cy + 11) * s), fill=255))
            shadow(img, m, (1, 2), 1.5, 0.7)
            paint(img, deep, m)
            inner = aa_mask(img.size, lambda d, s: d.ellipse(((cx - 9) * s, (cy - 9) * s, (cx + 9) * s, (cy + 9) * s), fill=255))
            paint(img, vgradient(img.size, mix(light, (255, 255, 255), 0.5), light, cy - 9, cy + 9), inner)
            star = mark_mask(img.size, "star", cx, cy + 0.5, 7)
            paint(img, deep, star)
        colour = GOLD if i < 3 else TEXT_DIM
        plain_text(img, (335, y), "%d." % (i + 1), rank_font, colour, anchor="ra", shadow_strength=0.8)
    # A hairline between the rank column and the names.
    paint(img, (90, 120, 190), scale_mask(rounded_mask(img.size, (345, 168, 345, 470), 0), 0.35))
    pf = font(SANS_BOLD, 21)
    text = "Cliquez pour revenir au menu"
    m = text_mask(img.size, (400, 548), text, pf, "mm")
    glow(img, m, (90, 140, 255), 8, 0.5)
    plain_text(img, (400, 548), text, pf, TEXT, anchor="mm", shadow_strength=0.9)
    return finish(img, "hi_scores_bg.png")


NOM_ORIGIN = (250, 120)
NOM_UP = [(304, 260, 38, 28), (375, 260, 38, 28), (450, 260, 38, 28)]
NOM_DOWN = [(304, 366, 38, 28), (375, 366, 38, 28), (450, 366, 38, 28)]
NOM_OK = (360, 410, 70, 85)
NOM_LETTERS = [(313, 315), (388, 315), (460, 315)]


def make_nom():
    ox, oy = NOM_ORIGIN

    def local(rect):
        x, y, w, h = rect
        return (x - ox, y - oy, x - ox + w, y - oy + h)  # both edges inclusive

    def inside(img):
        gold_text(img, (150, 38), "Nouveau record !", font(SANS_BOLD_OBL, 26), anchor="mm",
                  stroke=3, glow_blur=6, glow_strength=0.35)
        plain_text(img, (150, 96), "Votre nom\u00a0:", font(SANS_BOLD, 21), TEXT, anchor="mm")
        for n in range(3):
            up, down = local(NOM_UP[n]), local(NOM_DOWN[n])
            for box, pointing in ((up, -1), (down, 1)):
                gold_button(img, box, 8, lit=False)
                cx, cy = (box[0] + box[2] + 1) / 2, (box[1] + box[3] + 1) / 2
                pts = [(cx - 10, cy - 5 * pointing), (cx + 10, cy - 5 * pointing), (cx, cy + 7 * pointing)]
                m = aa_mask(img.size, lambda d, s: d.polygon([(px * s, py * s) for px, py in pts], fill=255))
                shadow(img, m, (1, 1), 1, 0.8)
                paint(img, GOLD, m)
            # The slot under the letter: centred on its arrows, around the 30 px text line.
            cx = (up[0] + up[2] + 1) / 2
            ty = NOM_LETTERS[n][1] - oy
            well(img, (int(cx - 24), ty - 9, int(cx + 24), ty + 38), radius=8)
        ok = local(NOM_OK)
        gold_button(img, ok, 14, lit=True)
        button_label(img, ((ok[0] + ok[2] + 1) / 2, (ok[1] + ok[3] + 1) / 2), "OK", font(SANS_BOLD, 28), True)

    panel_img = keyed_panel((300, 400), 22, inside)
    return finish(panel_img, "nom.png", allow_cyan=True)


def make_game_over():
    def inside(img):
        gold_text(img, (195, 56), "Partie terminée", font(SANS_BOLD_OBL, 37), anchor="mm",
                  stroke=3, glow_blur=8, glow_strength=0.45)
        plain_text(img, (195, 106), "Cliquez pour voir les scores", font(SANS_BOLD, 20), TEXT,
                   anchor="mm")

    return finish(keyed_panel((390, 140), 22, inside), "game_over.png", allow_cyan=True)


# ---------------------------------------------------------------------------------------------
# Desktop icon: a gold-rimmed cell of the board's night blue holding a run of three pieces.
# Not a game asset: it lives in packaging/icons/, outside the checked data/.

ICON_SIZES = [48, 64, 128, 256]
# The Windows icon: every size Windows asks for, from the taskbar's 16 px to Explorer's 256 px.
WINDOWS_ICON_SIZES = [16, 20, 24, 32, 40, 48, 64, 128, 256]


def icon_master():
    """RGBA icon drawn at 1024 px: 256 px units supersampled by SS."""
    n = 256 * SS
    size = (n, n)
    c = n / 2 - 0.5
    rx, ry = n * 0.485, n * 0.485 * math.sqrt(3) / 2
    outer = hex_mask(size, [(c, c, rx, ry)], ss=1)
    rim = 9 * SS
    inner = hex_mask(size, [(c, c, rx - rim, ry - rim * math.sqrt(3) / 2)], ss=1)
    img = vgradient(size, GOLD_LIGHT, GOLD_DEEP, int(c - ry), int(c + ry))
    plate = vgradient(size, PANEL_TOP, BG_BOTTOM, int(c - ry), int(c + ry))
    paint(plate, BG_GLOW, ImageChops.multiply(inner, radial_mask(size, (c, c - ry * 0.3), rx * 0.9,
                                                                   150, 0, 1.4)))
    img.paste(plate, (0, 0), inner)
    out = img.convert("RGBA")
    out.putalpha(outer)
    # Three pieces along the board's rising diagonal.
    r = 37 * SS
    step = 76 * SS
    for k, colour in enumerate((0, 2, 5)):
        base, mark, mark_light = PIECES[colour]
        px = c + (k - 1) * step * 0.86
        py = c - (k - 1) * step * 0.5
        out = Image.alpha_composite(out, ball(size, px, py, r, base, mark, mark_light))
    return out


def make_icons():
    os.makedirs(ICON_DIR, exist_ok=True)
    master = icon_master()
    for n in ICON_SIZES:
        master.resize((n, n), Image.LANCZOS).save(os.path.join(ICON_DIR, "brimzo-%d.png" % n), "PNG",
                                                  optimize=False, compress_level=9)
    # Each size resampled from the master, not from the next larger size; the largest first.
    frames = [master.resize((n, n), Image.LANCZOS) for n in reversed(WINDOWS_ICON_SIZES)]
    frames[0].save(os.path.join(ICON_DIR, "brimzo.ico"), "ICO",
                   sizes=[(n, n) for n in WINDOWS_ICON_SIZES], append_images=frames[1:])


def make_pictures():
    os.makedirs(DATA, exist_ok=True)
    make_pions()
    make_mouse()
    make_grille()
    make_menus()
    make_intro()
    make_aide()
    make_hi_scores_bg()
    make_nom()
    make_game_over()
    make_icons()


if __name__ == "__main__":
    make_pictures()
