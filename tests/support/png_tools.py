#!/usr/bin/env python3
"""Screenshot checks for the desktop tests, with the standard library only.

  png_tools.py pixel PNG X Y                  prints the colour at (X, Y) as RRGGBB
  png_tools.py region PNG X Y W H BACKGROUND [--min F] [--max F]
      prints how many pixels of the rectangle differ from BACKGROUND (RRGGBB) and how many colours it
      holds; exits 1 when the differing share is below --min or above --max (shares from 0 to 1)
  png_tools.py same PNG PNG                   exits 1 (and says how many pixels differ) unless the two
                                              images are equal
  png_tools.py xwd2png XWD PNG [--crop "X,Y WxH"]   converts an X window dump (xwd -root) to PNG

Also importable: read_png (for checks of their own).
"""
import struct
import sys
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
CHANNELS = {0: 1, 2: 3, 4: 2, 6: 4}  # PNG colour type -> samples per pixel (8-bit, no palette)


class Image:
    """Rows of RGB pixels as bytes (three per pixel)."""

    def __init__(self, width, height, rows):
        self.width, self.height, self.rows = width, height, rows

    def pixel(self, x, y):
        row = self.rows[y]
        return tuple(row[3 * x : 3 * x + 3])


def _add_bytes(x, y, low, high):
    """Adds two byte strings byte by byte, modulo 256, as two big integers (fast for whole rows)."""
    a, b = int.from_bytes(x, "big"), int.from_bytes(y, "big")
    return bytearray((((a & low) + (b & low)) ^ ((a ^ b) & high)).to_bytes(len(x), "big"))


def _unfilter(data, width, height, bpp):
    stride = width * bpp
    low, high = int.from_bytes(b"\x7f" * stride, "big"), int.from_bytes(b"\x80" * stride, "big")
    rows, previous, pos = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = data[pos], bytearray(data[pos + 1 : pos + 1 + stride])
        pos += 1 + stride
        if kind == 2:  # Up, what most screenshot rows use.
            line = _add_bytes(line, previous, low, high)
        elif kind in (1, 3, 4):
            for i in range(stride):
                a = line[i - bpp] if i >= bpp else 0
                b = previous[i]
                if kind == 1:
                    line[i] = (line[i] + a) & 0xFF
                elif kind == 3:
                    line[i] = (line[i] + (a + b) // 2) & 0xFF
                else:
                    c = previous[i - bpp] if i >= bpp else 0
                    p = a + b - c
                    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                    line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        elif kind != 0:
            raise ValueError(f"unknown PNG filter {kind}")
        rows.append(line)
        previous = line
    return rows


def read_png(path):
    """Decodes a non-interlaced 8-bit grey, RGB or RGBA PNG (what grim and write_png produce)."""
    with open(path, "rb") as f:
        data = f.read()
    if not data.startswith(PNG_SIGNATURE):
        raise ValueError(f"{path}: not a PNG file")
    pos, header, idat = 8, None, bytearray()
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos : pos + 8])
        body = data[pos + 8 : pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in CHANNELS or interlace:
        raise ValueError(f"{path}: only 8-bit, non-interlaced grey, RGB or RGBA PNG files are read")
    bpp = CHANNELS[colour]
    rows = _unfilter(zlib.decompress(bytes(idat)), width, height, bpp)
    return Image(width, height, [_to_rgb(row, bpp) for row in rows] if bpp != 3 else rows)


def _to_rgb(row, bpp):
    """RGB from RGBA (alpha dropped) or from grey with or without alpha (spread over three channels)."""
    rgb = bytearray(len(row) // bpp * 3)
    for channel in range(3):
        rgb[channel::3] = row[channel::4] if bpp == 4 else row[0::bpp]
    return rgb


def write_png(path, image):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    raw = b"".join(b"\x00" + bytes(row) for row in image.rows)
    header = struct.pack(">IIBBBBB", image.width, image.height, 8, 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(PNG_SIGNATURE + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 6)))
        f.write(chunk(b"IEND", b""))


def read_xwd(path):
    """Decodes a true-colour ZPixmap X window dump of 24 or 32 bits per pixel (what xwd writes for Xvfb)."""
    with open(path, "rb") as f:
        data = f.read()
    fields = struct.unpack(">25I", data[:100])
    header_size, version, pixmap_format, _, width, height = fields[0:6]
    byte_order, bits_per_pixel, line_bytes, visual_class = fields[7], fields[11], fields[12], fields[13]
    masks, colour_count = fields[14:17], fields[19]
    if version != 7 or pixmap_format != 2 or bits_per_pixel not in (24, 32) or visual_class not in (4, 5):
        raise ValueError(f"{path}: only true-colour ZPixmap dumps of 24 or 32 bits per pixel are read")
    pos = header_size + 12 * colour_count
    step, order = bits_per_pixel // 8, "little" if byte_order == 0 else "big"
    shifts = [(mask & -mask).bit_length() - 1 for mask in masks]
    # Where each channel fills one byte (as on every true-colour server), rows are copied by slices.
    offsets = [shift // 8 if order == "little" else step - 1 - shift // 8 for shift in shifts]
    whole_bytes = all(mask == 0xFF << shift and shift % 8 == 0 for mask, shift in zip(masks, shifts))
    rows = []
    for y in range(height):
        line = data[pos + y * line_bytes : pos + y * line_bytes + width * step]
        row = bytearray(3 * width)
        if whole_bytes:
            for channel, offset in enumerate(offsets):
                row[channel::3] = line[offset::step]
        else:
            for x in range(width):
                value = int.from_bytes(line[x * step : (x + 1) * step], order)
                row[3 * x : 3 * x + 3] = bytes((value & mask) >> shift for mask, shift in zip(masks, shifts))
        rows.append(row)
    return Image(width, height, rows)


def crop(image, geometry):
    """The part "X,Y WxH" of the image."""
    position, size = geometry.split()
    x, y = (int(v) for v in position.split(","))
    w, h = (int(v) for v in size.split("x"))
    return Image(w, h, [row[3 * x : 3 * (x + w)] for row in image.rows[y : y + h]])


def region(image, x, y, w, h, background):
    """The number of pixels in the rectangle, those that differ from `background`, and the colours seen."""
    differing, colours = 0, set()
    for row in image.rows[y : y + h]:
        for i in range(3 * x, 3 * (x + w), 3):
            colour = bytes(row[i : i + 3])
            colours.add(colour)
            differing += colour != background
    return w * h, differing, len(colours)


def main(argv):
    command, args = argv[1], argv[2:]
    if command == "pixel":
        print(bytes(read_png(args[0]).pixel(int(args[1]), int(args[2]))).hex())
        return 0
    if command == "xwd2png":
        image = read_xwd(args[0])
        write_png(args[1], crop(image, args[3]) if args[2:3] == ["--crop"] else image)
        return 0
    if command == "same":
        a, b = read_png(args[0]), read_png(args[1])
        if (a.width, a.height) != (b.width, b.height):
            print(f"the images differ in size: {a.width}x{a.height} and {b.width}x{b.height}")
            return 1
        differing = sum(
            ra[i : i + 3] != rb[i : i + 3] for ra, rb in zip(a.rows, b.rows) for i in range(0, len(ra), 3)
        )
        print(f"{differing} of {a.width * a.height} pixels differ")
        return 1 if differing else 0
    if command == "region":
        image = read_png(args[0])
        x, y, w, h = (int(v) for v in args[1:5])
        if x < 0 or y < 0 or w <= 0 or h <= 0 or x + w > image.width or y + h > image.height:
            size = f"{image.width}x{image.height}"
            print(f"png_tools: the rectangle {x},{y} {w}x{h} is not inside the {size} image", file=sys.stderr)
            return 2
        total, differing, colours = region(image, x, y, w, h, bytes.fromhex(args[5]))
        share = differing / total
        print(f"{differing} of {total} pixels differ from #{args[5]} ({share:.3f}), {colours} colours")
        limits = dict(zip(args[6::2], (float(v) for v in args[7::2])))
        return 1 if share < limits.get("--min", 0.0) or share > limits.get("--max", 1.0) else 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
