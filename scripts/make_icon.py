#!/usr/bin/env python3
"""Writes the library's icon (cmake/windows/pharmex.ico): a green pharmacy
cross on a white rounded tile, drawn here pixel by pixel in 16x16 and 32x32,
32-bit colour with alpha. Run it again to redraw the committed file."""
import struct
import sys


def pixel(size, x, y):
    """BGRA of one pixel; y counts from the top."""
    edge = size / 16.0
    # The tile: white with a grey rim and rounded corners.
    corner = 3 * edge
    cx = min(max(x + 0.5, corner), size - corner)
    cy = min(max(y + 0.5, corner), size - corner)
    distance = ((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) ** 0.5
    if distance > corner:
        return (0, 0, 0, 0)
    colour = (0x90, 0x90, 0x90, 0xFF) if distance > corner - edge else (0xFF, 0xFF, 0xFF, 0xFF)
    # The cross: two bars, each a quarter of the tile wide.
    low, high = size * 6 // 16, size - size * 6 // 16
    margin = size * 3 // 16
    in_vertical = low <= x < high and margin <= y < size - margin
    in_horizontal = low <= y < high and margin <= x < size - margin
    if in_vertical or in_horizontal:
        colour = (0x3C, 0x9A, 0x1E, 0xFF)  # green, as BGRA
    return colour


def image(size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in reversed(range(size)):  # bottom-up, as bitmaps are stored
        rows.append(b"".join(bytes(pixel(size, x, y)) for x in range(size)))
    mask_row = b"\0" * (((size + 31) // 32) * 4)  # the alpha channel decides
    return header + b"".join(rows) + mask_row * size


def icon(sizes):
    images = [image(size) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


if __name__ == "__main__":
    target = sys.argv[1] if len(sys.argv) > 1 else "cmake/windows/pharmex.ico"
    with open(target, "wb") as f:
        f.write(icon([16, 32]))
