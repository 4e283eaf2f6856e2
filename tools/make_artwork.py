#!/usr/bin/env python3
"""Draws Vyk's artwork: the 256 x 256 texture (resources/texture.bmp) and the icon (resources/vyk.ico).

Python 3 standard library only; deterministic (no clock, no random source), so every
run writes the same bytes. Run from anywhere: python3 tools/make_artwork.py [output folder]

Texture layout (image row 0 at the top; the BMP stores rows bottom-up):
  rows 0..159    the tunnel wall, opaque, repeating every 128 columns. Texture u runs
                 along the tunnel (larger u nearer the centre), v runs around it.
  rows 160..255  palette index 0 (black, the colour key) except the logo: "VYK" in
                 yellow lettering outlined in red, inside columns 1..128, rows 170..233.
Palette: entry 0 black; 1..168 the shading ramps, one entry per level in use, so
that the texels use 169 distinct indices; 169..185 repeat ramp colours and are not
used; 186..255 are black and unused.

The wall is modelled as a height field with a material per texel. Shading from a
fixed light over the height field's slopes, plus glow for the light strips, picks
the level within that material's colour ramp.
"""

import math
import os
import struct
import sys

SIZE = 256
WALL_ROWS = 160
PERIOD = 128
SEGMENT = 32          # one rib-panel-light section of the tunnel; four per period
USED_SLOTS = 186      # palette entries 0..185 may be used; 186..255 stay black

# ---------------------------------------------------------------- palette ramps
# Each ramp runs from its darkest to its lightest colour through the listed stops.
RAMPS = [
    # name,      levels, colour stops (r, g, b)
    ("panel",    36, [(18, 24, 44), (44, 62, 98), (86, 110, 150), (150, 170, 200)]),
    ("rib",      26, [(30, 30, 40), (92, 96, 112), (170, 176, 190), (240, 244, 255)]),
    ("seam",     12, [(10, 10, 26), (30, 34, 64)]),
    ("cyan",     24, [(10, 50, 70), (0, 150, 200), (90, 230, 255), (235, 255, 255)]),
    ("amber",    20, [(60, 20, 8), (200, 90, 10), (255, 180, 60), (255, 245, 200)]),
    ("rivet",    10, [(60, 44, 20), (150, 120, 60), (250, 230, 160)]),
    ("gold",     24, [(200, 130, 0), (235, 170, 0), (255, 220, 40), (255, 250, 190)]),
    ("red",      16, [(96, 0, 0), (180, 10, 10), (255, 50, 30), (255, 110, 80)]),
]


def lerp(a, b, t):
    return a + (b - a) * t


def ramp_colour(stops, t):
    """Colour at t (0..1) along a ramp through its stops."""
    if t <= 0:
        return stops[0]
    if t >= 1:
        return stops[-1]
    pos = t * (len(stops) - 1)
    i = int(pos)
    f = pos - i
    return tuple(int(round(lerp(stops[i][c], stops[i + 1][c], f))) for c in range(3))


def quantise(shades, levels):
    """Palette and indices for texels given as (ramp name, shade 0..1), or None for index 0.

    Each ramp gets `levels[name]` evenly spaced levels; only the levels some texel
    falls on go into the palette, ramp after ramp from entry 1, so that every entry
    from 1 to the last ramp colour is used. Returns (palette, image of indices).
    """
    stops = {name: colour_stops for name, _, colour_stops in RAMPS}
    used = {name: set() for name in stops}
    levelled = []
    for row in shades:
        out = []
        for texel in row:
            if texel is None:
                out.append(None)
                continue
            name, shade = texel
            n = levels[name]
            level = min(n - 1, max(0, int(math.floor(shade * (n - 1) + 0.5))))
            used[name].add(level)
            out.append((name, level))
        levelled.append(out)
    palette = [(0, 0, 0)]
    index = {}
    for name, _, _ in RAMPS:
        n = levels[name]
        for level in sorted(used[name]):
            index[(name, level)] = len(palette)
            palette.append(ramp_colour(stops[name], level / (n - 1)))
    image = [[0 if t is None else index[t] for t in row] for row in levelled]
    return palette, image


def used_levels(shades, levels):
    """Number of palette entries (index 0 included) that quantising with `levels` uses."""
    values = {}
    for row in shades:
        for texel in row:
            if texel is not None:
                values.setdefault(texel[0], set()).add(texel[1])
    total = 1
    for name, shade_set in values.items():
        n = levels[name]
        total += len({min(n - 1, max(0, int(math.floor(v * (n - 1) + 0.5)))) for v in shade_set})
    return total


def fit_palette(shades, wanted):
    """Quantises with ramp sizes tuned, one level at a time from the nominal sizes and
    in the fixed order of RAMPS, until exactly `wanted` palette entries (index 0
    included) are in use."""
    levels = {name: count for name, count, _ in RAMPS}
    count = used_levels(shades, levels)
    while count != wanted:
        direction = 1 if count < wanted else -1
        best = None
        for stride in range(1, 9):
            for name, _, _ in RAMPS:
                if levels[name] + direction * stride < 2:
                    continue
                levels[name] += direction * stride
                trial = used_levels(shades, levels)
                levels[name] -= direction * stride
                if abs(wanted - trial) < abs(wanted - count):
                    best = (name, direction * stride, trial)
                    break
            if best:
                break
        if best is None:
            raise SystemExit("no ramp sizes give %d colours (%d with %s)" % (wanted, count, levels))
        levels[best[0]] += best[1]
        count = best[2]
    palette, image = quantise(shades, levels)
    # Entries past the used ones but below 186 are left unused by the texels; they
    # repeat the used colours so that the table holds no black there.
    used = len(palette)
    while len(palette) < USED_SLOTS:
        palette.append(palette[1 + (len(palette) - 1) % (used - 1)])
    while len(palette) < SIZE:
        palette.append((0, 0, 0))
    return palette, image


# ---------------------------------------------------------------- wall
def smoothstep(e0, e1, x):
    t = min(1.0, max(0.0, (x - e0) / (e1 - e0)))
    return t * t * (3 - 2 * t)


def hash01(a, b):
    """Deterministic pseudo-random value in [0, 1) for integer coordinates."""
    h = (a * 374761393 + b * 668265263) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((h ^ (h >> 16)) & 0xFFFF) / 65536.0


def panel_rows(segment):
    """Row boundaries of the panels in one segment; staggered so seams do not line up."""
    height = 20
    offset = (segment * 7) % height
    return height, offset


def wall_sample(x, y):
    """Height (0..1), material, emissive glow (0..1) and tone (brightness factor) of
    wall texel column x (0..127), row y."""
    segment = x // SEGMENT
    sx = x % SEGMENT + 0.5
    yy = y + 0.5
    # Rib: a raised rounded metal ring, columns 0..6 of the segment.
    if sx < 7:
        profile = math.sin(math.pi * sx / 7)
        height = 0.55 + 0.45 * profile
        # rivets every 10 rows along the rib
        ry = (yy % 10) - 5
        rx = sx - 3.5
        d = math.hypot(rx, ry)
        if d < 2.2:
            dome = math.sqrt(max(0.0, 2.2 * 2.2 - d * d)) / 2.2
            return 0.9 + 0.3 * dome, "rivet", 0.0, 1.0
        return height, "rib", 0.0, 1.0
    if sx < 9:
        return 0.0, "seam", 0.0, 1.0
    # Panel field, columns 9..31, split into panels by seams along the rows.
    height_rows, offset = panel_rows(segment)
    py = (yy + offset) % height_rows
    panel = int((yy + offset) // height_rows)
    if py < 1.6 or sx > 30.4:
        return 0.05, "seam", 0.0, 1.0
    # Each panel has its own tone, and one in four is a vent grille instead of a light.
    tone = 0.86 + 0.24 * hash01(segment * 31 + 7, panel)
    vent = hash01(panel * 13 + 5, segment) < 0.25
    # Bevelled raised panel
    edge = min(py - 1.6, height_rows - py, sx - 9, 30.4 - sx)
    bevel = smoothstep(0.0, 2.5, edge)
    height = 0.25 + 0.3 * bevel
    inner = 3.0 < py < height_rows - 1.5
    if vent:
        if inner and 11.5 < sx < 28.5 and (sx - 11.5) % 3.4 < 1.7:
            return 0.1, "seam", 0.0, 1.0
    else:
        # Light strip: a recessed glowing slot along the rows in the panel's middle,
        # cyan in even segments and amber in odd ones.
        light = "cyan" if segment % 2 == 0 else "amber"
        centre = 19.5 if segment % 2 == 0 else 20.5
        half = 3.2 if segment % 2 == 0 else 2.4
        distance = abs(sx - centre)
        if distance < half and inner:
            glow = 1.0 - (distance / half) ** 2
            along = smoothstep(3.0, 5.0, py) * smoothstep(height_rows - 1.5, height_rows - 3.5, py)
            return 0.2, light, glow * (0.35 + 0.65 * along), 1.0
    # Fine brushed texture on the panels so they are not flat
    grain = (hash01(x, y) - 0.5) * 0.04
    return height + grain, "panel", 0.0, tone


def build_wall():
    heights = [[0.0] * PERIOD for _ in range(WALL_ROWS)]
    materials = [[None] * PERIOD for _ in range(WALL_ROWS)]
    glows = [[0.0] * PERIOD for _ in range(WALL_ROWS)]
    tones = [[1.0] * PERIOD for _ in range(WALL_ROWS)]
    for y in range(WALL_ROWS):
        for x in range(PERIOD):
            h, m, g, t = wall_sample(x, y)
            heights[y][x], materials[y][x], glows[y][x], tones[y][x] = h, m, g, t
    return heights, materials, glows, tones


def shade_wall():
    """(ramp, shade) of every texel of one 128-column period of the wall."""
    heights, materials, glows, tones = build_wall()
    # Light from larger u (the tunnel's far end) and from lower v, slightly raised.
    lx, ly, lz = 0.55, -0.35, 0.76
    rows = []
    for y in range(WALL_ROWS):
        row = []
        for x in range(PERIOD):
            h = heights[y][x]
            # slopes; columns wrap with the period, rows clamp at the wall's ends
            hx = heights[y][(x + 1) % PERIOD] - heights[y][(x - 1) % PERIOD]
            hy = heights[min(WALL_ROWS - 1, y + 1)][x] - heights[max(0, y - 1)][x]
            nx, ny, nz = -hx * 2.2, -hy * 2.2, 1.0
            n = math.sqrt(nx * nx + ny * ny + nz * nz)
            lambert = max(0.0, (nx * lx + ny * ly + nz * lz) / n)
            material = materials[y][x]
            if material in ("cyan", "amber"):
                shade = 0.15 + 0.85 * glows[y][x]
            elif material == "seam":
                shade = 0.3 + 0.7 * lambert * min(1.0, h * 4)
            else:
                # height darkens the recesses a little: ambient occlusion of sorts
                shade = 0.12 + 0.88 * (lambert - 0.35) / 0.65
                shade = shade * (0.75 + 0.25 * h) * tones[y][x]
                if material == "rivet":
                    shade = min(1.0, shade * 1.15)
            row.append((material, min(1.0, max(0.0, shade))))
        rows.append(row)
    return rows


# ---------------------------------------------------------------- logo
# Letter outlines in texture pixels (column, row), drawn upright and then slanted.
LETTERS = [
    # V
    [(4, 174), (16, 174), (20.5, 205), (25, 174), (37, 174), (26.5, 229), (14.5, 229)],
    # Y
    [(45, 174), (57, 174), (61.5, 192), (66, 174), (78, 174), (67, 203), (67, 229),
     (56, 229), (56, 203)],
    # K
    [(86, 174), (97.5, 174), (97.5, 192), (106.5, 174), (120, 174), (106.5, 199),
     (120.5, 229), (107, 229), (97.5, 208), (97.5, 229), (86, 229)],
]
SLANT = 0.09          # columns of lean per row, leaning right towards the top
SLANT_BASE = 229.0
OUTLINE = 2.2         # width of the red outline in texels


def slanted(points):
    return [(x + (SLANT_BASE - y) * SLANT, y) for x, y in points]


def inside(poly, x, y):
    result = False
    n = len(poly)
    for i in range(n):
        x0, y0 = poly[i]
        x1, y1 = poly[(i + 1) % n]
        if (y0 > y) != (y1 > y):
            xc = x0 + (y - y0) * (x1 - x0) / (y1 - y0)
            if x < xc:
                result = not result
    return result


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = min(1.0, max(0.0, t))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def edge_distance(poly, x, y):
    n = len(poly)
    return min(segment_distance(x, y, *poly[i], *poly[(i + 1) % n]) for i in range(n))


def draw_logo(shades):
    polys = [slanted(p) for p in LETTERS]
    for y in range(166, 238):
        for x in range(0, 132):
            px, py = x + 0.5, y + 0.5
            best = None
            for poly in polys:
                d = edge_distance(poly, px, py)
                signed = -d if inside(poly, px, py) else d
                best = signed if best is None else min(best, signed)
            if best < 0:
                # Fill: bright at the top, deep gold at the bottom, with a light bevel
                # along the inner edge of the letters.
                t = (py - 174) / 55.0
                shade = 1.0 - 0.85 * t
                if 0.42 < t < 0.5:
                    shade = max(shade, 0.95)
                shade += 0.25 * (1.0 - smoothstep(0.0, 2.0, -best)) * (0.5 - t)
                shades[y][x] = ("gold", min(1.0, max(0.0, shade)))
            elif best < OUTLINE:
                shade = 1.0 - best / OUTLINE * 0.8
                shade *= 1.0 - 0.35 * (py - 174) / 55.0
                shades[y][x] = ("red", min(1.0, max(0.0, shade)))


# ---------------------------------------------------------------- texture
def build_texture():
    shades = [[None] * SIZE for _ in range(SIZE)]
    wall = shade_wall()
    for y in range(WALL_ROWS):
        for x in range(SIZE):
            shades[y][x] = wall[y][x % PERIOD]
    draw_logo(shades)
    return fit_palette(shades, 169)


def check_texture(palette, image):
    used = set()
    for y in range(SIZE):
        for x in range(SIZE):
            used.add(image[y][x])
    problems = []
    if palette[0] != (0, 0, 0):
        problems.append("entry 0 is not black")
    for i in range(1, USED_SLOTS):
        if palette[i] == (0, 0, 0):
            problems.append("entry %d is black" % i)
    if max(used) >= USED_SLOTS:
        problems.append("an index above 185 is used")
    if len(used) != 169:
        problems.append("%d distinct indices are used instead of 169" % len(used))
    for y in range(WALL_ROWS):
        if 0 in image[y] or image[y][:PERIOD] != image[y][PERIOD:]:
            problems.append("wall row %d is not opaque and periodic" % y)
    for y in range(WALL_ROWS, SIZE):
        for x in range(SIZE):
            if image[y][x] and not (1 <= x <= 128 and 170 <= y <= 233):
                problems.append("logo texel outside its area at %d, %d" % (x, y))
    return problems


def bmp_bytes(palette, image):
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 8, 0, SIZE * SIZE, 0, 0, 256, 256)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    pixels = b"".join(bytes(image[y]) for y in range(SIZE - 1, -1, -1))
    dib = header + table + pixels
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(dib), 0, 0, 14 + 40 + 1024)
    return file_header + dib


# ---------------------------------------------------------------- icon
ICON_PALETTE = [
    (0, 0, 0), (18, 24, 44), (44, 62, 98), (86, 110, 150), (150, 170, 200),
    (240, 244, 255), (0, 150, 200), (90, 230, 255), (200, 90, 10), (255, 180, 60),
    (180, 10, 10), (255, 60, 40), (235, 160, 0), (255, 220, 40), (255, 250, 190),
    (10, 10, 26),
]

ICON_V = [(7, 5.5), (12.5, 5.5), (16, 19), (19.5, 5.5), (25, 5.5), (18.6, 26.5), (13.4, 26.5)]


def build_icon_pixels():
    """32 x 32 indices into ICON_PALETTE and a transparency mask (1 = transparent)."""
    pixels = [[0] * 32 for _ in range(32)]
    mask = [[0] * 32 for _ in range(32)]
    for y in range(32):
        for x in range(32):
            dx, dy = x + 0.5 - 16, y + 0.5 - 16
            r = math.hypot(dx, dy)
            if r > 15.8:
                mask[y][x] = 1
                continue
            # A tunnel seen down its axis: bands whose width doubles outward.
            band = math.log2(max(r, 0.5) / 1.9)
            frac = band - math.floor(band)
            angle = math.atan2(dx, dy)
            if r < 1.9:
                colour = 7
            elif frac < 0.18:
                colour = 5 if dy < 0 else 4
            elif 0.45 < frac < 0.62:
                colour = 7 if int(math.floor(band)) % 2 == 0 else 9
            else:
                seam = abs(math.sin(angle * 4)) < 0.12
                colour = 15 if seam else (3 if dy < 0 else 2)
            pixels[y][x] = colour
    polygon = ICON_V
    for y in range(32):
        for x in range(32):
            px, py = x + 0.5, y + 0.5
            d = edge_distance(polygon, px, py)
            if inside(polygon, px, py):
                pixels[y][x] = 14 if py < 12 else (13 if py < 20 else 12)
                mask[y][x] = 0
            elif d < 1.3:
                pixels[y][x] = 11 if py < 16 else 10
                mask[y][x] = 0
    return pixels, mask


def icon_bytes():
    pixels, mask = build_icon_pixels()
    xor_rows = []
    for y in range(31, -1, -1):
        row = bytearray()
        for x in range(0, 32, 2):
            row.append((pixels[y][x] << 4) | pixels[y][x + 1])
        xor_rows.append(bytes(row))
    and_rows = []
    for y in range(31, -1, -1):
        bits = 0
        for x in range(32):
            bits = (bits << 1) | mask[y][x]
        and_rows.append(struct.pack(">I", bits))
    xor_data = b"".join(xor_rows)
    and_data = b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, len(xor_data) + len(and_data), 0, 0, 16, 0)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in ICON_PALETTE)
    image = header + table + xor_data + and_data
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources")
    palette, image = build_texture()
    problems = check_texture(palette, image)
    if problems:
        for p in problems[:20]:
            print("texture: " + p, file=sys.stderr)
        return 1
    with open(os.path.join(out, "texture.bmp"), "wb") as f:
        f.write(bmp_bytes(palette, image))
    with open(os.path.join(out, "vyk.ico"), "wb") as f:
        f.write(icon_bytes())
    return 0


if __name__ == "__main__":
    sys.exit(main())
