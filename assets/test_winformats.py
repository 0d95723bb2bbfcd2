"""Tests of the BMP and ICO layouts: round trips, and corrupted files rejected.

Run: /usr/bin/python3 -m unittest discover -s assets
"""

import io
import struct
import sys
import unittest

sys.dont_write_bytecode = True

from PIL import Image  # noqa: E402

import icons  # noqa: E402
import winformats  # noqa: E402
from winformats import FormatError  # noqa: E402


def bmp_bytes(size):
    image = Image.new("RGB", size, (1, 2, 3))
    image.putpixel((size[0] - 1, 0), (200, 100, 50))
    out = io.BytesIO()
    image.save(out, format="BMP")
    return out.getvalue()


def patched(data, offset, fmt, value):
    data = bytearray(data)
    struct.pack_into(fmt, data, offset, value)
    return bytes(data)


def expected_pixels(indices, mask):
    return [(0, 0, 0, 0) if mask.getpixel((x, y)) else
            winformats.VGA_PALETTE[indices.getpixel((x, y))] + (255,)
            for y in range(indices.height) for x in range(indices.width)]


DRAWINGS = {"setup": icons.setup_icon, "disc": icons.disc_icon, "about": icons.about_icon}
VALID_ICON = winformats.icon_bytes([icons.disc_icon(s) for s in winformats.ICON_SIZES])
# Offsets into VALID_ICON: directory entries start at 6, the 32x32 image at 38.
FIRST_IMAGE = 6 + 16 * 2


class BmpHeaderTest(unittest.TestCase):
    GOOD = {"one pixel": (1, 1), "row needing padding": (3, 2), "player face": (60, 15),
            "cover": (361, 446)}

    BAD = {
        "truncated header": bmp_bytes((4, 4))[:40],
        "missing last row byte": bmp_bytes((4, 4))[:-1],
        "wrong magic": b"MB" + bmp_bytes((4, 4))[2:],
        "V4 info header": patched(bmp_bytes((4, 4)), 14, "<I", 108),
        "32 bits per pixel": patched(bmp_bytes((4, 4)), 28, "<H", 32),
        "RLE compression": patched(bmp_bytes((4, 4)), 30, "<I", 1),
        "top-down rows": patched(bmp_bytes((4, 4)), 22, "<i", -4),
        "palette gap before pixels": patched(bmp_bytes((4, 4)), 10, "<I", 58),
    }

    def test_good(self):
        for name, size in self.GOOD.items():
            with self.subTest(name):
                self.assertEqual(winformats.read_bmp_header(bmp_bytes(size)), size, name)

    def test_bad(self):
        for name, data in self.BAD.items():
            with self.subTest(name), self.assertRaises(FormatError, msg=name):
                winformats.read_bmp_header(data)


class IconTest(unittest.TestCase):
    def test_round_trip(self):
        """Our reader and Pillow's independent ICO decoder both see the drawing."""
        for name, draw in DRAWINGS.items():
            images = [draw(size) for size in winformats.ICON_SIZES]
            data = winformats.icon_bytes(images)
            decoded = winformats.read_icon(data)
            with Image.open(io.BytesIO(data)) as pillow:
                for indices, mask in images:
                    size = indices.width
                    expected = expected_pixels(indices, mask)
                    by_pillow = pillow.ico.getimage((size, size)).convert("RGBA")
                    with self.subTest(f"{name} {size}"):
                        self.assertEqual(list(decoded[size].getdata()), expected,
                                         f"{name} {size}: our reader")
                        self.assertEqual(list(by_pillow.getdata()), expected,
                                         f"{name} {size}: Pillow's reader")

    BAD = {
        "truncated directory": VALID_ICON[:20],
        "truncated last image": VALID_ICON[:-1],
        "trailing byte": VALID_ICON + b"\0",
        "cursor type": patched(VALID_ICON, 2, "<H", 2),
        "three images counted": patched(VALID_ICON, 4, "<H", 3),
        "entry 48 wide": patched(patched(VALID_ICON, 6, "<B", 48), 7, "<B", 48),
        "entry 256 colours": patched(VALID_ICON, 8, "<B", 0),
        "entry 8 bits": patched(VALID_ICON, 12, "<H", 8),
        "entry offset past image": patched(VALID_ICON, 18, "<I", FIRST_IMAGE + 4),
        "height not doubled": patched(VALID_ICON, FIRST_IMAGE + 8, "<i", 32),
        "image header 8 bits": patched(VALID_ICON, FIRST_IMAGE + 14, "<H", 8),
        "image compressed": patched(VALID_ICON, FIRST_IMAGE + 16, "<I", 2),
        "palette entry changed": patched(VALID_ICON, FIRST_IMAGE + 40 + 4 * 9, "<B", 7),
    }

    def test_bad(self):
        for name, data in self.BAD.items():
            with self.subTest(name), self.assertRaises(FormatError, msg=name):
                winformats.read_icon(data)

    def test_refuses_wrong_sizes_and_colours(self):
        disc32, disc16 = (icons.disc_icon(s) for s in winformats.ICON_SIZES)
        wide_index = Image.new("P", (16, 16), 16)
        cases = {
            "sizes swapped": [disc16, disc32],
            "one size only": [disc32],
            "palette index 16": [disc32, (wide_index, disc16[1])],
        }
        for name, images in cases.items():
            with self.subTest(name), self.assertRaises(FormatError, msg=name):
                winformats.icon_bytes(images)


FULL_ICON = winformats.icon_bytes(
    [icons.about_icon(s) for s in winformats.ICON_SIZES],
    [icons.about_icon(s) for s in winformats.FULL_COLOUR_ICON_SIZES])
# The first full-colour entry (20x20) is the third in the directory.
FULL_ENTRY = 6 + 16 * 2
FULL_IMAGE = struct.unpack_from("<I", FULL_ICON, FULL_ENTRY + 12)[0]


class FullColourIconTest(unittest.TestCase):
    def test_round_trip_keeps_every_size_and_pixel(self):
        decoded = winformats.read_icon(FULL_ICON)
        for size in winformats.FULL_COLOUR_ICON_SIZES:
            with self.subTest(size):
                drawn = icons.about_icon(size)
                self.assertEqual(list(decoded[size].getdata()), list(drawn.getdata()))
        with Image.open(io.BytesIO(FULL_ICON)) as pillow:
            self.assertEqual(pillow.size, (256, 256), "Pillow reads the PNG image")

    BAD = {
        "full-colour entry of 4 bits": patched(FULL_ICON, FULL_ENTRY + 6, "<H", 4),
        "full-colour entry at 33 pixels": patched(patched(FULL_ICON, FULL_ENTRY, "<B", 33),
                                                  FULL_ENTRY + 1, "<B", 33),
        "full-colour image header of 24 bits": patched(FULL_ICON, FULL_IMAGE + 14, "<H", 24),
        "256 image not PNG": patched(FULL_ICON, struct.unpack_from(
            "<I", FULL_ICON, 6 + 16 * 11 + 12)[0], "<I", 0),
        "one full-colour size missing": patched(FULL_ICON, 4, "<H", 11),
    }

    def test_bad(self):
        for name, data in self.BAD.items():
            with self.subTest(name), self.assertRaises(FormatError, msg=name):
                winformats.read_icon(data)

    def test_refuses_missing_or_flat_large_images(self):
        palette = [icons.disc_icon(s) for s in winformats.ICON_SIZES]
        large = [icons.disc_icon(s) for s in winformats.FULL_COLOUR_ICON_SIZES]
        cases = {
            "one large size short": large[:-1],
            "RGB instead of RGBA": large[:-1] + [large[-1].convert("RGB")],
        }
        for name, images in cases.items():
            with self.subTest(name), self.assertRaises(FormatError, msg=name):
                winformats.icon_bytes(palette, images)


if __name__ == "__main__":
    unittest.main()
