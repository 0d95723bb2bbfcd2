"""Tests of the drawings at every scale: sizes by the programs' rounding rule,
text that fits where the buttons and the about window show it, and files on
disk that the script reproduces byte for byte.

Run: /usr/bin/python3 -m unittest discover -s assets
"""

import os
import sys
import unittest

sys.dont_write_bytecode = True

import make_assets  # noqa: E402
import winformats  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))


class ScaledTest(unittest.TestCase):
    # The same conversions the programs' unit tests check (ArtPixels).
    GOOD = [(361, 100, 361), (361, 125, 451), (446, 125, 558), (15, 125, 19), (15, 150, 23),
            (60, 175, 105), (2, 125, 3), (2, 250, 5), (500, 150, 750), (1, 150, 2),
            (73, 200, 146), (25, 250, 63), (100, 300, 300)]

    def test_matches_the_programs_rule(self):
        for pixels, percent, expected in self.GOOD:
            with self.subTest(f"{pixels} px at {percent}%"):
                self.assertEqual(make_assets.scaled(pixels, percent), expected)


class EveryScaleTest(unittest.TestCase):
    def test_faces_keep_their_ink_where_the_button_shows_it(self):
        for percent in make_assets.SCALES:
            first, last = make_assets.launcher_ink_rows(percent)
            for text in ("简体版", "繁体版"):
                with self.subTest(f"{text} at {percent}%"):
                    face = make_assets.launcher_button(text, percent)
                    ground = make_assets.LAUNCHER_GROUND
                    inked = [y for y in range(face.height)
                             if face.crop((0, y, face.width, y + 1)).getcolors()
                             != [(face.width, ground)]]
                    self.assertTrue(inked)
                    self.assertGreaterEqual(inked[0], first)
                    self.assertLessEqual(inked[-1], last)

    def test_player_faces_are_sharp_two_colour_lettering(self):
        for percent in make_assets.SCALES:
            for text in make_assets.PLAYER_BUTTONS:
                with self.subTest(f"{text} at {percent}%"):
                    face = make_assets.player_button(text, make_assets.PLAYER_TEXT, percent)
                    self.assertEqual(len(face.getcolors()), 2, "lettering not two-coloured")

    def test_card_keeps_the_logo_box_and_clipped_rows_white(self):
        for percent in make_assets.SCALES:
            with self.subTest(f"{percent}%"):
                card = make_assets.publisher_card(percent)
                left, top, right, bottom = make_assets.card_logo_box(percent)
                box = card.crop((left, top, right + 1, bottom + 1))
                self.assertEqual(box.getcolors(), [(box.width * box.height, (255, 255, 255))])
                shown = make_assets.scaled(228, percent)
                hidden = card.crop((0, shown, card.width, card.height))
                self.assertGreater(hidden.height, 0)
                self.assertEqual(hidden.getcolors(),
                                 [(hidden.width * hidden.height, (255, 255, 255))])


class ReproducedTest(unittest.TestCase):
    """The files in the tree are what the script makes: every picture at 100%
    and 125%, the icons and the resource fragments."""

    def test_files_match_the_script(self):
        for stem, _, draw, _ in make_assets.PICTURES:
            for percent in (100, 125):
                relative = make_assets.scaled_path(stem, percent)
                kind = relative.rsplit(".", 1)[1]
                with self.subTest(relative), open(os.path.join(HERE, relative), "rb") as file:
                    self.assertEqual(file.read(), make_assets.encode(kind, draw(percent)),
                                     f"{relative} differs from what the script makes")
        for relative, draw in make_assets.ICONS.items():
            with self.subTest(relative), open(os.path.join(HERE, relative), "rb") as file:
                self.assertEqual(file.read(), make_assets.encode("ico", draw))
        for folder in make_assets.FOLDERS:
            path = os.path.join(HERE, folder, "scaled_art.rc")
            with self.subTest(path), open(path, encoding="utf-8") as file:
                self.assertEqual(file.read(), make_assets.resource_fragment(folder))

    def test_icons_hold_every_size(self):
        for relative in make_assets.ICONS:
            with self.subTest(relative), open(os.path.join(HERE, relative), "rb") as file:
                images = winformats.read_icon(file.read())
            self.assertEqual(sorted(images), sorted(winformats.ICON_SIZES
                                                    + winformats.FULL_COLOUR_ICON_SIZES))


if __name__ == "__main__":
    unittest.main()
