"""Windows picture formats the programs load: 24-bit BMP and 16-colour ICO.

Writers produce the exact layouts the resource compiler and LoadImage expect;
readers validate files already on disk and raise FormatError naming the first
field that is wrong.
"""

import struct

from PIL import Image

# The standard 16-colour Windows (VGA) palette, in palette-index order.
VGA_PALETTE = (
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
)

BITMAPINFOHEADER_SIZE = 40
BMP_FILE_HEADER_SIZE = 14
ICON_SIZES = (32, 16)


class FormatError(ValueError):
    pass


def save_bmp(image, path):
    """Writes an RGB image as an uncompressed 24-bit bottom-up BMP."""
    if image.mode != "RGB":
        raise FormatError(f"{path}: image mode {image.mode}, expected RGB")
    image.save(path, format="BMP")


def read_bmp_header(data):
    """Returns (width, height) of a 24-bit BI_RGB BMP with a 40-byte info header."""
    if len(data) < BMP_FILE_HEADER_SIZE + BITMAPINFOHEADER_SIZE:
        raise FormatError(f"BMP truncated: {len(data)} bytes")
    magic, file_size, _, _, bits_offset = struct.unpack_from("<2sIHHI", data, 0)
    (info_size, width, height, planes, bit_count, compression,
     image_size) = struct.unpack_from("<IiiHHII", data, BMP_FILE_HEADER_SIZE)
    if magic != b"BM":
        raise FormatError(f"BMP magic {magic!r}")
    if file_size != len(data):
        raise FormatError(f"BMP file size field {file_size}, file has {len(data)}")
    if info_size != BITMAPINFOHEADER_SIZE:
        raise FormatError(f"BMP info header size {info_size}")
    if width <= 0 or height <= 0:
        raise FormatError(f"BMP dimensions {width}x{height}")
    if planes != 1 or bit_count != 24:
        raise FormatError(f"BMP planes {planes}, bits {bit_count}")
    if compression != 0:
        raise FormatError(f"BMP compression {compression}, expected BI_RGB")
    if bits_offset != BMP_FILE_HEADER_SIZE + BITMAPINFOHEADER_SIZE:
        raise FormatError(f"BMP pixel offset {bits_offset}")
    row_bytes = (width * 3 + 3) // 4 * 4
    if bits_offset + row_bytes * height != len(data):
        raise FormatError(f"BMP pixel data size does not match {width}x{height}")
    if image_size not in (0, row_bytes * height):
        raise FormatError(f"BMP image size field {image_size}")
    return width, height


def _row_bytes(width, bits):
    return (width * bits + 31) // 32 * 4


def _icon_dib(indices, mask):
    """Packs one icon image: header, palette, 4-bit XOR rows, 1-bit AND rows.

    indices: "P" image of palette indices 0..15; mask: "1" image, 1 = transparent.
    Rows are stored bottom-up; the height field counts both bitmaps.
    """
    size = indices.width
    xor_stride, and_stride = _row_bytes(size, 4), _row_bytes(size, 1)
    xor = bytearray()
    and_ = bytearray()
    for y in reversed(range(size)):
        row = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x in range(size):
            transparent = mask.getpixel((x, y)) != 0
            index = 0 if transparent else indices.getpixel((x, y))
            if index > 15:
                raise FormatError(f"icon pixel ({x},{y}) uses palette index {index}")
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if transparent:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += row
        and_ += bits
    header = struct.pack("<IiiHHIIiiII", BITMAPINFOHEADER_SIZE, size, size * 2, 1, 4,
                         0, len(xor) + len(and_), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in VGA_PALETTE)
    return header + palette + bytes(xor) + bytes(and_)


def icon_bytes(images):
    """Builds an ICO file from (indices, mask) pairs, one per size in ICON_SIZES."""
    sizes = tuple(indices.width for indices, _ in images)
    if sizes != ICON_SIZES:
        raise FormatError(f"icon sizes {sizes}, expected {ICON_SIZES}")
    dibs = [_icon_dib(indices, mask) for indices, mask in images]
    directory = struct.pack("<HHH", 0, 1, len(dibs))
    offset = len(directory) + 16 * len(dibs)
    entries = b""
    for (indices, _), dib in zip(images, dibs):
        entries += struct.pack("<BBBBHHII", indices.width, indices.height, 16, 0, 1, 4,
                               len(dib), offset)
        offset += len(dib)
    return directory + entries + b"".join(dibs)


def read_icon(data):
    """Validates a 16-colour two-size ICO; returns {size: RGBA image}."""
    if len(data) < 6:
        raise FormatError(f"ICO truncated: {len(data)} bytes")
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1:
        raise FormatError(f"ICO directory reserved {reserved}, type {kind}")
    if count != len(ICON_SIZES):
        raise FormatError(f"ICO holds {count} images, expected {len(ICON_SIZES)}")
    if len(data) < 6 + 16 * count:
        raise FormatError("ICO directory truncated")
    images = {}
    end_of_previous = 6 + 16 * count
    for n in range(count):
        (width, height, colours, reserved, planes, bits, length,
         offset) = struct.unpack_from("<BBBBHHII", data, 6 + 16 * n)
        if width != height or width not in ICON_SIZES or width in images:
            raise FormatError(f"ICO entry {n} is {width}x{height}")
        if colours != 16 or reserved != 0 or planes != 1 or bits != 4:
            raise FormatError(f"ICO entry {n}: colours {colours}, planes {planes}, bits {bits}")
        if offset != end_of_previous or offset + length > len(data):
            raise FormatError(f"ICO entry {n}: offset {offset}, length {length} out of place")
        images[width] = _read_icon_dib(data[offset:offset + length], width, n)
        end_of_previous = offset + length
    if end_of_previous != len(data):
        raise FormatError(f"ICO has {len(data) - end_of_previous} trailing bytes")
    return images


def _read_icon_dib(dib, size, n):
    expected = (BITMAPINFOHEADER_SIZE + 64 + _row_bytes(size, 4) * size
                + _row_bytes(size, 1) * size)
    if len(dib) != expected:
        raise FormatError(f"ICO image {n}: {len(dib)} bytes, expected {expected}")
    (info_size, width, height, planes, bits, compression,
     _, _, _, used, _) = struct.unpack_from("<IiiHHIIiiII", dib, 0)
    if info_size != BITMAPINFOHEADER_SIZE or width != size or height != 2 * size:
        raise FormatError(f"ICO image {n}: header size {info_size}, {width}x{height}")
    if planes != 1 or bits != 4 or compression != 0 or used not in (0, 16):
        raise FormatError(f"ICO image {n}: planes {planes}, bits {bits}, "
                          f"compression {compression}, colours used {used}")
    palette = tuple(tuple(dib[40 + 4 * i + 2 - c] for c in range(3)) for i in range(16))
    if palette != VGA_PALETTE:
        raise FormatError(f"ICO image {n}: palette is not the VGA palette")
    xor_stride, and_stride = _row_bytes(size, 4), _row_bytes(size, 1)
    and_start = 104 + xor_stride * size
    image = Image.new("RGBA", (size, size))
    for y in range(size):
        xor_row = 104 + xor_stride * (size - 1 - y)
        and_row = and_start + and_stride * (size - 1 - y)
        for x in range(size):
            index = (dib[xor_row + x // 2] >> (4 if x % 2 == 0 else 0)) & 0x0F
            transparent = dib[and_row + x // 8] & (0x80 >> (x % 8))
            image.putpixel((x, y), (0, 0, 0, 0) if transparent else VGA_PALETTE[index] + (255,))
    return image
