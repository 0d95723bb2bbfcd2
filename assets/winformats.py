"""Windows picture formats the programs load: 24-bit BMP and 16-colour ICO.

Writers produce the exact layouts the resource compiler and LoadImage expect;
readers validate files already on disk and raise FormatError naming the first
field that is wrong.
"""

import io
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
# Sizes drawn by hand in the 16-colour palette, and the larger sizes Windows
# asks for at higher display scales (small and large icons up to 300%, and
# Explorer's 256), kept in 32-bit colour; the 256 one as PNG, which Windows
# reads inside icons from Vista on.
ICON_SIZES = (32, 16)
FULL_COLOUR_ICON_SIZES = (20, 24, 28, 40, 48, 56, 64, 80, 96, 256)
PNG_ICON_SIZE = 256


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


def _full_colour_dib(image):
    """Packs one 32-bit icon image: header, BGRA rows and the 1-bit AND rows
    (set where fully transparent), both bottom-up."""
    size = image.width
    and_stride = _row_bytes(size, 1)
    colour = bytearray()
    and_ = bytearray()
    for y in reversed(range(size)):
        bits = bytearray(and_stride)
        for x in range(size):
            r, g, b, a = image.getpixel((x, y))
            colour += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        and_ += bits
    header = struct.pack("<IiiHHIIiiII", BITMAPINFOHEADER_SIZE, size, size * 2, 1, 32,
                         0, len(colour) + len(and_), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(and_)


def _png(image):
    out = io.BytesIO()
    image.save(out, format="PNG", optimize=True)
    return out.getvalue()


def icon_bytes(images, full_colour=()):
    """Builds an ICO file from (indices, mask) pairs, one per size in
    ICON_SIZES, then, if given, one RGBA image per FULL_COLOUR_ICON_SIZES."""
    sizes = tuple(indices.width for indices, _ in images)
    if sizes != ICON_SIZES:
        raise FormatError(f"icon sizes {sizes}, expected {ICON_SIZES}")
    large = tuple(image.width for image in full_colour)
    if large and large != FULL_COLOUR_ICON_SIZES:
        raise FormatError(f"full-colour icon sizes {large}, expected {FULL_COLOUR_ICON_SIZES}")
    if any(image.mode != "RGBA" or image.height != image.width for image in full_colour):
        raise FormatError("full-colour icon images must be square RGBA")
    # (width, colours, bits, image bytes)
    entries = [(indices.width, 16, 4, _icon_dib(indices, mask)) for indices, mask in images]
    entries += [(image.width, 0, 32,
                 _png(image) if image.width == PNG_ICON_SIZE else _full_colour_dib(image))
                for image in full_colour]
    directory = struct.pack("<HHH", 0, 1, len(entries))
    offset = len(directory) + 16 * len(entries)
    table = b""
    for width, colours, bits, data in entries:
        side = width % 256  # 0 stands for 256
        table += struct.pack("<BBBBHHII", side, side, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    return directory + table + b"".join(data for _, _, _, data in entries)


def read_icon(data):
    """Validates an icon of the palette sizes, alone or with every full-colour
    size; returns {size: RGBA image}."""
    if len(data) < 6:
        raise FormatError(f"ICO truncated: {len(data)} bytes")
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1:
        raise FormatError(f"ICO directory reserved {reserved}, type {kind}")
    allowed = (len(ICON_SIZES), len(ICON_SIZES) + len(FULL_COLOUR_ICON_SIZES))
    if count not in allowed:
        raise FormatError(f"ICO holds {count} images, expected {allowed[0]} or {allowed[1]}")
    if len(data) < 6 + 16 * count:
        raise FormatError("ICO directory truncated")
    images = {}
    end_of_previous = 6 + 16 * count
    for n in range(count):
        (width, height, colours, reserved, planes, bits, length,
         offset) = struct.unpack_from("<BBBBHHII", data, 6 + 16 * n)
        width = width or 256
        height = height or 256
        if offset != end_of_previous or offset + length > len(data):
            raise FormatError(f"ICO entry {n}: offset {offset}, length {length} out of place")
        image = data[offset:offset + length]
        palette = colours == 16 and bits == 4
        full = colours == 0 and bits == 32
        if reserved != 0 or planes != 1 or not (palette or full):
            raise FormatError(f"ICO entry {n}: colours {colours}, planes {planes}, bits {bits}")
        sizes = ICON_SIZES if palette else FULL_COLOUR_ICON_SIZES
        if width != height or width not in sizes or width in images:
            raise FormatError(f"ICO entry {n} is {width}x{height}")
        if palette:
            images[width] = _read_icon_dib(image, width, n)
        elif width == PNG_ICON_SIZE:
            images[width] = _read_icon_png(image, width, n)
        else:
            images[width] = _read_full_colour_dib(image, width, n)
        end_of_previous = offset + length
    if end_of_previous != len(data):
        raise FormatError(f"ICO has {len(data) - end_of_previous} trailing bytes")
    return images


def _read_icon_png(data, size, n):
    if not data.startswith(b"\x89PNG\r\n\x1a\n"):
        raise FormatError(f"ICO image {n}: the {size}x{size} image is not PNG")
    with Image.open(io.BytesIO(data)) as image:
        if image.size != (size, size) or image.mode != "RGBA":
            raise FormatError(f"ICO image {n}: PNG {image.size} {image.mode}")
        return image.copy()


def _read_full_colour_dib(dib, size, n):
    and_stride = _row_bytes(size, 1)
    expected = BITMAPINFOHEADER_SIZE + 4 * size * size + and_stride * size
    if len(dib) != expected:
        raise FormatError(f"ICO image {n}: {len(dib)} bytes, expected {expected}")
    (info_size, width, height, planes, bits, compression,
     _, _, _, _, _) = struct.unpack_from("<IiiHHIIiiII", dib, 0)
    if info_size != BITMAPINFOHEADER_SIZE or width != size or height != 2 * size:
        raise FormatError(f"ICO image {n}: header size {info_size}, {width}x{height}")
    if planes != 1 or bits != 32 or compression != 0:
        raise FormatError(f"ICO image {n}: planes {planes}, bits {bits}, "
                          f"compression {compression}")
    image = Image.new("RGBA", (size, size))
    for y in range(size):
        row = BITMAPINFOHEADER_SIZE + 4 * size * (size - 1 - y)
        for x in range(size):
            b, g, r, a = dib[row + 4 * x:row + 4 * x + 4]
            image.putpixel((x, y), (r, g, b, a))
    return image


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
