"""Tests of text placement: faces keep their ground and frame rows, the card its logo box."""

import sys
import unittest

sys.dont_write_bytecode = True

import lettering  # noqa: E402
import make_assets  # noqa: E402

GROUND = (10, 20, 30)
INK = (250, 0, 0)
SMALL = lettering.font("NotoSansCJK-Regular", 13, lettering.TRADITIONAL)
LARGE = lettering.font("NotoSansCJK-Bold", 16)
BODY = lettering.font("NotoSansCJK-Regular", 13)


def inked_rows(face):
    width, height = face.size
    return [y for y in range(height)
            if any(face.getpixel((x, y)) != GROUND for x in range(width))]


class ButtonFaceTest(unittest.TestCase):
    GOOD = {
        **{f"player {text}": ((60, 15), text, SMALL, False, (0, 14))
           for text in make_assets.PLAYER_BUTTONS},
        "launcher simplified": ((100, 25), "简体版", LARGE, True, (3, 21)),
        "launcher traditional": ((100, 25), "繁体版", LARGE, True, (3, 21)),
    }
    BAD = {
        "five characters on a player face": ((60, 15), "梅花三弄曲", SMALL, False, (0, 14)),
        "launcher text taller than its rows": ((100, 25), "简体版", LARGE, True, (3, 12)),
        "text that draws nothing": ((60, 15), "  ", SMALL, False, (0, 14)),
    }

    def test_good(self):
        for name, (size, text, typeface, antialias, rows) in self.GOOD.items():
            with self.subTest(name):
                face = lettering.button_face(size, GROUND, text, INK, typeface, antialias, rows)
                ink = inked_rows(face)
                self.assertTrue(ink, f"{name}: no ink")
                self.assertGreaterEqual(ink[0], rows[0], name)
                self.assertLessEqual(ink[-1], rows[1], name)
                left = min(x for x in range(size[0])
                           if any(face.getpixel((x, y)) != GROUND for y in ink))
                right = max(x for x in range(size[0])
                            if any(face.getpixel((x, y)) != GROUND for y in ink))
                self.assertLessEqual(abs(left - (size[0] - 1 - right)), 1,
                                     f"{name}: not centred ({left}, {right})")

    def test_bad(self):
        for name, (size, text, typeface, antialias, rows) in self.BAD.items():
            with self.subTest(name), self.assertRaises(ValueError, msg=name):
                lettering.button_face(size, GROUND, text, INK, typeface, antialias, rows)


class CardTest(unittest.TestCase):
    SIZE = (329, 229)
    LOGO = make_assets.CARD_LOGO_BOX

    BAD = {
        "line over the logo box": (40, 30, "翠岭"),
        "line starting left of the box and running into it": (0, 40, "出版社出版社"),
        "line on the clipped bottom row": (14, 220, "网址"),
        "line past the right edge": (300, 120, "电子邮件"),
    }

    def test_publisher_card_keeps_logo_box_white(self):
        card = make_assets.publisher_card()
        left, top, right, bottom = self.LOGO
        box = card.crop((left, top, right + 1, bottom + 1))
        self.assertEqual(box.getcolors(), [(box.width * box.height, (255, 255, 255))])
        last_row = card.crop((0, self.SIZE[1] - 1, self.SIZE[0], self.SIZE[1]))
        self.assertEqual(last_row.getcolors(), [(self.SIZE[0], (255, 255, 255))])

    def test_bad(self):
        for name, (x, y, text) in self.BAD.items():
            with self.subTest(name), self.assertRaises(ValueError, msg=name):
                lettering.card(self.SIZE, self.LOGO, [(x, y, text, BODY, False)], INK)


if __name__ == "__main__":
    unittest.main()
