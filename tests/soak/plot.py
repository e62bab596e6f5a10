#!/usr/bin/env python3
"""Draws the soak run's CSV as a PNG: resident memory above, cached textures below.

Standard library only (zlib and struct write the PNG), so it runs wherever python3 does.
Usage: plot.py SAMPLES.csv OUT.png [TEXTURE_LIMIT]
"""
import csv
import struct
import sys
import zlib

W, H = 960, 560
BG, AXIS, GRID = (253, 241, 214), (74, 56, 38), (224, 200, 150)
RSS_COLOUR, TEX_COLOUR, LIMIT_COLOUR = (42, 167, 189), (232, 99, 58), (168, 63, 30)

# A 3x5 pixel font for the few characters the labels use; each row is three bits.
FONT = {
    "0": "111101101101111", "1": "010110010010111", "2": "111001111100111",
    "3": "111001111001111", "4": "101101111001001", "5": "111100111001111",
    "6": "111100111101111", "7": "111001010010010", "8": "111101111101111",
    "9": "111101111001111", ".": "000000000000010", " ": "000000000000000",
    "A": "010101111101101", "B": "110101110101110", "C": "111100100100111",
    "D": "110101101101110", "E": "111100110100111", "I": "111010010010111",
    "K": "101101110101101", "L": "100100100100111", "M": "101111111101101",
    "N": "110101101101101", "O": "111101101101111", "P": "111101111100100",
    "R": "110101110101101", "S": "111100111001111", "T": "111010010010010",
    "U": "101101101101111", "X": "101101010101101", "(": "010100100100010",
    ")": "010001001001010", "=": "000111000111000", "/": "001001010100100",
}


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = bytearray(bytes(BG) * (w * h))

    def dot(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            i = 3 * (y * self.w + x)
            self.px[i:i + 3] = bytes(c)

    def rect(self, x0, y0, x1, y1, c):
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.dot(x, y, c)

    def line(self, x0, y0, x1, y1, c, thick=1, dash=0):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            if dash and (i // dash) % 2:
                continue
            x = round(x0 + (x1 - x0) * i / n)
            y = round(y0 + (y1 - y0) * i / n)
            self.rect(x - thick // 2, y - thick // 2, x - thick // 2 + thick, y - thick // 2 + thick, c)

    def text(self, x, y, s, c, scale=2):
        for ch in s.upper():
            bits = FONT.get(ch, FONT[" "])
            for r in range(5):
                for col in range(3):
                    if bits[3 * r + col] == "1":
                        self.rect(x + col * scale, y + r * scale, x + (col + 1) * scale,
                                  y + (r + 1) * scale, c)
            x += 4 * scale

    def png(self, path):
        raw = b"".join(b"\0" + bytes(self.px[3 * y * self.w:3 * (y + 1) * self.w])
                       for y in range(self.h))

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n")
            f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 2, 0, 0, 0)))
            f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
            f.write(chunk(b"IEND", b""))


def nice_step(span, ticks=5):
    raw = span / ticks if span > 0 else 1
    mag = 10 ** len(str(int(raw))) / 10
    for m in (1, 2, 5, 10):
        if raw <= m * mag:
            return m * mag
    return 10 * mag


def fmt(v):
    return str(int(v)) if v == int(v) else "%.1f" % v


def panel(cv, top, bottom, ts, ys, colour, title, limit=None):
    left, right = 90, W - 30
    t_max = max(ts[-1], 1)
    y_lo = 0
    y_hi = max(ys + ([limit] if limit else [])) * 1.1 or 1
    step = nice_step(y_hi - y_lo)
    cv.text(left, top - 22, title, AXIS)

    def px(t, v):
        return (left + round((right - left) * t / t_max),
                bottom - round((bottom - top) * (v - y_lo) / (y_hi - y_lo)))

    v = y_lo
    while v <= y_hi:
        _, y = px(0, v)
        cv.line(left, y, right, y, GRID)
        cv.text(left - 10 - 8 * len(fmt(v)), y - 5, fmt(v), AXIS)
        v += step
    t_step = nice_step(t_max, 8)
    t = 0
    while t <= t_max:
        x, _ = px(t, 0)
        cv.line(x, top, x, bottom, GRID)
        cv.text(x - 4 * len(fmt(t)), bottom + 8, fmt(t), AXIS)
        t += t_step
    cv.line(left, top, left, bottom, AXIS, 2)
    cv.line(left, bottom, right, bottom, AXIS, 2)
    if limit:
        _, y = px(0, limit)
        cv.line(left, y, right, y, LIMIT_COLOUR, 2, dash=8)
    for i in range(1, len(ts)):
        x0, y0 = px(ts[i - 1], ys[i - 1])
        x1, y1 = px(ts[i], ys[i])
        cv.line(x0, y0, x1, y1, colour, 3)
    for t, v in zip(ts, ys):
        x, y = px(t, v)
        cv.rect(x - 3, y - 3, x + 4, y + 4, colour)


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: plot.py SAMPLES.csv OUT.png [TEXTURE_LIMIT]")
    limit = int(sys.argv[3]) if len(sys.argv) > 3 else 401
    with open(sys.argv[1], newline="") as f:
        rows = [r for r in csv.DictReader(f)]
    if not rows:
        sys.exit("no samples in " + sys.argv[1])
    ts = [float(r["seconds"]) for r in rows]
    rss = [int(r["rss_kb"]) / 1024 for r in rows]
    tex = [int(r["textures"]) for r in rows]
    cv = Canvas(W, H)
    panel(cv, 40, 250, ts, rss, RSS_COLOUR, "RSS (MIB)")
    panel(cv, 320, 510, ts, tex, TEX_COLOUR, "TEXTURES (LIMIT %d)" % limit, limit)
    cv.text(W // 2 - 28, H - 24, "SECONDS", AXIS)
    cv.png(sys.argv[2])


if __name__ == "__main__":
    main()
