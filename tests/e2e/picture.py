#!/usr/bin/env python3
"""Measures screenshots of the saver (binary PPM files, as ImageMagick's import writes them):
the whole screen, or with --crop WxH+X+Y first only that rectangle of it, one monitor of a
desktop of several. Sizes and places of the scene follow the measured rectangle.

Usage: picture.py [--crop WxH+X+Y] COMMAND FILE...
Every command prints one line of numbers; the shell checks decide what passes.
  covered FILE         share of pixels that are not black (channel sum 24 or more)
  brightest FILE       largest channel value of any pixel
  mirror FILE          share of the centre row that mirrors pixel for pixel, and the largest
                       difference of mean colour between the halves of a ring (see mirror());
                       fails when the tunnel is not drawn
  changed A B          share of pixels of the tunnel (between the logo bands) that differ
                       by more than 24 in some channel between two screenshots
  step PREVIOUS FILE   the logo measure of FILE, then the share of the tunnel changed since
                       PREVIOUS, estimated from every third pixel of every third row
  logo FILE...         for each file, |yellow pixels left of the centre line - right of it|
                       in the top logo band, or -1 when that band is mostly black
  region FILE X Y W H  shares of pure black and of pure white pixels in that rectangle
  column FILE          share of the centre column, between the logo bands, that mirrors pixel
                       for pixel about the horizontal centre line: the tunnel is centred
                       vertically too
  colour FILE RRGGBB   number of pixels within 8 per channel of the colour RRGGBB
"""
import math
import re
import sys

# The rectangle (width, height, x, y) that read_ppm keeps of every screenshot, or None for all.
crop = None


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    width, height, maxval = int(fields[1]), int(fields[2]), int(fields[3])
    samples = data[pos + 1:]
    if fields[0] != b"P6" or maxval not in (255, 65535):
        sys.exit(f"{path}: not a binary PPM of 8 or 16 bits")
    if maxval == 65535:
        samples = samples[0::2]  # the high byte of each big-endian sample
    if len(samples) < 3 * width * height:
        sys.exit(f"{path}: cut short")
    if crop is None:
        return width, height, samples
    cw, ch, cx, cy = crop
    if cx < 0 or cy < 0 or cx + cw > width or cy + ch > height:
        sys.exit(f"{path}: the crop {cw}x{ch}+{cx}+{cy} lies outside the {width}x{height} screen")
    rows = [bytes(samples[3 * ((cy + y) * width + cx):3 * ((cy + y) * width + cx + cw)]) for y in range(ch)]
    return cw, ch, b"".join(rows)


# The scene's layout on a W x H screen: centre, diagonal, logo bands (see the frame animation).
def layout(width, height):
    d = math.sqrt(width * width + height * height)
    top_band_end = int(d / 12 + d / 16 * 1.25) + 3
    bottom_band_start = int(height - 5 * d / 64 - d / 16 * 1.25) - 3
    return width // 2, height // 2, d, top_band_end, bottom_band_start


def pixel(rgb, width, x, y):
    i = 3 * (y * width + x)
    return rgb[i], rgb[i + 1], rgb[i + 2]


def lit_share(rgb, width, first_row, end_row):
    start, end = 3 * first_row * width, 3 * end_row * width
    lit = sum(1 for i in range(start, end, 3) if rgb[i] + rgb[i + 1] + rgb[i + 2] >= 24)
    return lit / ((end - start) // 3)


def covered(path):
    width, height, rgb = read_ppm(path)
    return lit_share(rgb, width, 0, height)


def brightest(path):
    return max(read_ppm(path)[2])


def mirror(path):
    """Two measures of the mirror symmetry of the tunnel about the vertical centre line, away
    from the logo bands and the centre square (which is not mirror-symmetric):
    - the share of pixels of the centre row that match their mirror image within 8 per
      channel: the row runs along strip edges, where both halves are drawn alike, and any
      shift or turn of the pattern shows there;
    - the largest difference of mean colour between the left and the right half of a ring:
      inside the strips each triangle interpolates the texture across its own split, which
      the mirror image does not share, so single pixels there do not match."""
    width, height, rgb = read_ppm(path)
    cx, cy, d, top, bottom = layout(width, height)
    if lit_share(rgb, width, top, bottom) < 0.9:
        sys.exit(f"{path}: the tunnel is mostly black, nothing to compare")
    r0 = d / 63
    matched = compared = 0
    for x in range(1, cx - int(r0) - 2):
        a = pixel(rgb, width, x, cy)
        b = pixel(rgb, width, 2 * cx - x, cy)
        compared += 1
        matched += all(abs(a[c] - b[c]) <= 8 for c in range(3))
    sums = {}
    for y in range(top, bottom):
        for x in range(1, width):
            if x == cx:
                continue
            radius = math.hypot(x - cx, y - cy)
            for k in range(5):
                if r0 * (1 << k) + 1.5 <= radius < r0 * (2 << k) - 1.5:
                    entry = sums.setdefault((k, x < cx), [0, 0, 0, 0])
                    r, g, b = pixel(rgb, width, x, y)
                    entry[0] += r
                    entry[1] += g
                    entry[2] += b
                    entry[3] += 1
    worst = 0.0
    for k in range(5):
        left, right = sums.get((k, True)), sums.get((k, False))
        if not left or not right:
            sys.exit(f"{path}: ring {k} lies outside the compared rows")
        for c in range(3):
            worst = max(worst, abs(left[c] / left[3] - right[c] / right[3]))
    return matched / compared, worst


def column(path):
    width, height, rgb = read_ppm(path)
    cx, cy, d, top, bottom = layout(width, height)
    matched = compared = 0
    for y in range(int(d / 63) + 2, min(cy - top, bottom - cy)):
        a = pixel(rgb, width, cx, cy - y)
        b = pixel(rgb, width, cx, cy + y)
        compared += 1
        matched += all(abs(a[c] - b[c]) <= 8 for c in range(3))
    return matched / compared


def changed(path_a, path_b, grid=1):
    """With grid > 1, only every grid-th pixel of every grid-th row is compared: an estimate
    of the same share from a ninth of the work at grid 3, for a judge that shoots again."""
    width, height, a = read_ppm(path_a)
    _, _, b = read_ppm(path_b)
    _, _, _, top, bottom = layout(width, height)
    moved = compared = 0
    for y in range(top, bottom, grid):
        for i in range(3 * y * width, 3 * (y + 1) * width, 3 * grid):
            compared += 1
            if abs(a[i] - b[i]) > 24 or abs(a[i + 1] - b[i + 1]) > 24 or abs(a[i + 2] - b[i + 2]) > 24:
                moved += 1
    return moved / compared


def is_logo_yellow(r, g, b):
    return r > 200 and g > 150 and b < 110 and g > b + 90


def logo(path):
    """The tunnel is mirror-symmetric, so yellow of the wall falls on both sides alike; the
    logo comes in from one side only."""
    width, height, rgb = read_ppm(path)
    cx, _, _, top, _ = layout(width, height)
    if lit_share(rgb, width, 0, top) < 0.9:
        return -1
    counts = [0, 0]
    for y in range(0, top):
        for x in range(1, width):
            if x != cx and is_logo_yellow(*pixel(rgb, width, x, y)):
                counts[0 if x < cx else 1] += 1
    return abs(counts[0] - counts[1])


def region(path, left, top, w, h):
    width, _, rgb = read_ppm(path)
    black = white = 0
    for y in range(top, top + h):
        for x in range(left, left + w):
            p = pixel(rgb, width, x, y)
            black += p == (0, 0, 0)
            white += p == (255, 255, 255)
    return black / (w * h), white / (w * h)


def colour(path, hex_colour):
    _, _, rgb = read_ppm(path)
    want = [int(hex_colour[i:i + 2], 16) for i in (0, 2, 4)]
    return sum(1 for i in range(0, len(rgb), 3)
               if abs(rgb[i] - want[0]) <= 8 and abs(rgb[i + 1] - want[1]) <= 8 and abs(rgb[i + 2] - want[2]) <= 8)


def main():
    global crop
    args = sys.argv[1:]
    if args[:1] == ["--crop"]:
        match = re.fullmatch(r"(\d+)x(\d+)\+(\d+)\+(\d+)", args[1])
        if not match:
            sys.exit(f"not a rectangle WxH+X+Y: {args[1]}")
        crop = tuple(int(v) for v in match.groups())
        args = args[2:]
    command, files = args[0], args[1:]
    if command == "covered":
        print(f"{covered(files[0]):.4f}")
    elif command == "brightest":
        print(brightest(files[0]))
    elif command == "mirror":
        row, rings = mirror(files[0])
        print(f"{row:.3f} {rings:.2f}")
    elif command == "changed":
        print(f"{changed(files[0], files[1]):.4f}")
    elif command == "region":
        black, white = region(files[0], *(int(v) for v in files[1:5]))
        print(f"{black:.4f} {white:.4f}")
    elif command == "step":
        print(f"{logo(files[1])} {changed(files[0], files[1], 3):.4f}")
    elif command == "logo":
        print(" ".join(str(logo(f)) for f in files))
    elif command == "column":
        print(f"{column(files[0]):.3f}")
    elif command == "colour":
        print(colour(files[0], files[1]))
    else:
        sys.exit(f"unknown command {command}")


if __name__ == "__main__":
    main()
