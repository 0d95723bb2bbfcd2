"""Makes every picture and icon of the launcher and the music player.

Run from anywhere with /usr/bin/python3; outputs go beside this script in
form1/, mp3play/ and frmabout/. The same inputs always give the same bytes.
"""

import os
import sys

sys.dont_write_bytecode = True

import numpy as np  # noqa: E402
from PIL import Image, ImageDraw  # noqa: E402

import icons  # noqa: E402
import landscape  # noqa: E402
import lettering  # noqa: E402
import winformats  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))

# The publisher's English name; the programs' version resources use it as CompanyName.
PUBLISHER_NAME_EN = "Cuiling Audio-Visual Press"
PUBLISHER_NAME_ZH = "翠岭音像出版社"
PUBLISHER_SHORT_NAME = "翠岭"
PRODUCT_TITLE = "松风清韵"
PRODUCT_SUBTITLE = "中国民族器乐名曲"

LAUNCHER_GROUND = (0xFF, 0xFF, 0xD9)
# Rows of a launcher face left visible by its button frame.
LAUNCHER_INK_ROWS = (3, 21)
LAUNCHER_TEXT = (0xD0, 0x00, 0x00)
PLAYER_BACKGROUND = (0x47, 0x7A, 0xCB)
PLAYER_GROUND = (0xF3, 0xF2, 0xBE)
PLAYER_TEXT = (0x38, 0x38, 0x38)
PLAYER_EXIT_TEXT = (0xCC, 0x00, 0x00)
CARD_TEXT = (0x00, 0x00, 0x80)

PLAYER_BUTTONS = ("朝元歌", "梅花三弄", "寒鴉戲水", "陽春白雪", "行街", "停止", "關于", "退出")

COVER_SIZE = (361, 446)
# Where the mounting band starts; the launcher's edition buttons sit on it.
COVER_BAND_TOP = 380
CARD_LOGO_BOX = (8, 8, 89, 65)


def cover():
    width, height = COVER_SIZE
    rng = np.random.default_rng(20240611)
    painting = landscape.paint(rng, width, height, COVER_BAND_TOP)
    _letter_title(painting, rng)
    picture = Image.fromarray(np.clip(painting + 0.5, 0, 255).astype(np.uint8), "RGB")

    subtitle = lettering.spaced_mask(PRODUCT_SUBTITLE,
                                     lettering.font("NotoSerifCJK-Regular", 14), 4)
    lettering.stamp(picture, subtitle, (70, 62, 52), (width - subtitle.width) // 2, 96)
    seal = landscape.seal(PRODUCT_TITLE, lettering.font("NotoSerifCJK-Bold", 11), 26)
    picture.paste(seal, (306, 118))

    _mount(picture, rng)
    return picture


def _letter_title(painting, rng):
    """Brushes the title across the sky: dry-brush edges and a faint ink bleed."""
    scale = 2
    typeface = lettering.font("NotoSerifCJK-Bold", 54 * scale)
    spaced = lettering.spaced_mask(PRODUCT_TITLE, typeface, 10 * scale)
    small = spaced.resize((spaced.width // scale, spaced.height // scale), Image.LANCZOS)
    coverage = np.asarray(small, dtype=np.float64) / 255.0
    shape = coverage.shape
    dry = landscape.fractal_noise(rng, shape, (max(2, shape[0] // 6), max(2, shape[1] // 3)), 3)
    ink = coverage * np.clip(0.72 + 0.5 * dry, 0.0, 1.0)
    bleed = landscape.blur(coverage, 2.0) * 0.22
    x = (painting.shape[1] - shape[1]) // 2
    y = 22
    region = painting[y:y + shape[0], x:x + shape[1]]
    landscape.lay(region, np.maximum(ink, bleed), landscape.INK)


def _mount(picture, rng):
    """The plain silk band under the painting, calm so the edition buttons read well."""
    width, height = picture.size
    band = np.zeros((height - COVER_BAND_TOP, width, 3))
    band[:] = (92, 80, 62)
    weave = landscape.fractal_noise(rng, band.shape[:2], (4, 8), 3) - 0.5
    band += weave[:, :, None] * 8.0
    picture.paste(Image.fromarray(np.clip(band + 0.5, 0, 255).astype(np.uint8), "RGB"),
                  (0, COVER_BAND_TOP))
    draw = ImageDraw.Draw(picture)
    draw.line((0, COVER_BAND_TOP, width - 1, COVER_BAND_TOP), fill=(180, 156, 104))
    draw.line((0, COVER_BAND_TOP + 1, width - 1, COVER_BAND_TOP + 1), fill=(60, 50, 38))
    imprint = lettering.ink_mask(PUBLISHER_NAME_ZH, lettering.font("NotoSerifCJK-Regular", 11),
                                 True)
    lettering.stamp(picture, imprint, (196, 176, 128), (width - imprint.width) // 2, 428)


def launcher_button(text):
    return lettering.button_face((100, 25), LAUNCHER_GROUND, text, LAUNCHER_TEXT,
                                 lettering.font("NotoSansCJK-Bold", 16), True,
                                 LAUNCHER_INK_ROWS)


def player_button(text, colour):
    typeface = lettering.font("NotoSansCJK-Regular", 13, lettering.TRADITIONAL)
    return lettering.button_face((60, 15), PLAYER_GROUND, text, colour, typeface, False,
                                 (0, 14))


def publisher_card():
    title = lettering.font("NotoSerifCJK-Bold", 20)
    english = lettering.font("NotoSansCJK-Regular", 12)
    body = lettering.font("NotoSansCJK-Regular", 13)
    lines = [
        (104, 16, PUBLISHER_NAME_ZH, title, True),
        (104, 46, PUBLISHER_NAME_EN, english, True),
        (14, 84, "地址：临溪市翠岭路 108 号松风大厦六层", body, False),
        (14, 104, "108 Cuiling Road, Linxi", english, True),
        (14, 124, "邮编：090108", body, False),
        (14, 144, "电话：(0990) 555-0123", body, False),
        (14, 164, "传真：(0990) 555-0124", body, False),
        (14, 184, "电子邮件：info@example.com", body, False),
        (14, 204, "网址：www.example.com", body, False),
    ]
    picture = lettering.card((329, 229), CARD_LOGO_BOX, lines, CARD_TEXT)
    ImageDraw.Draw(picture).line((14, 74, 314, 74), fill=CARD_TEXT)
    return picture


def publisher_logo():
    return lettering.logo((73, 54), PUBLISHER_SHORT_NAME, lettering.font("NotoSerifCJK-Bold", 17))


def build():
    """Returns {relative path: (kind, content, ground)} for every output.

    kind is "bmp" (content an RGB image; ground the colour its edges must show,
    or None) or "ico" (content the icon drawing function, ground None).
    """
    outputs = {
        "form1/cover.bmp": ("bmp", cover(), None),
        "form1/command1.bmp": ("bmp", launcher_button("简体版"), LAUNCHER_GROUND),
        "form1/command2.bmp": ("bmp", launcher_button("繁体版"), LAUNCHER_GROUND),
        "form1/setup.ico": ("ico", icons.setup_icon, None),
        "mp3play/background.bmp": ("bmp", Image.new("RGB", (500, 156), PLAYER_BACKGROUND),
                                   PLAYER_BACKGROUND),
        "mp3play/velk.ico": ("ico", icons.disc_icon, None),
        "frmabout/card.bmp": ("bmp", publisher_card(), (255, 255, 255)),
        "frmabout/logo.bmp": ("bmp", publisher_logo(), (255, 255, 255)),
        "frmabout/frmabout.ico": ("ico", icons.about_icon, None),
    }
    for number, text in enumerate(PLAYER_BUTTONS, start=1):
        colour = PLAYER_EXIT_TEXT if text == "退出" else PLAYER_TEXT
        outputs[f"mp3play/command{number}.bmp"] = ("bmp", player_button(text, colour),
                                                   PLAYER_GROUND)
    return outputs


EXPECTED_SIZES = {
    "form1/cover.bmp": (361, 446), "form1/command1.bmp": (100, 25),
    "form1/command2.bmp": (100, 25), "mp3play/background.bmp": (500, 156),
    "frmabout/card.bmp": (329, 229), "frmabout/logo.bmp": (73, 54),
    **{f"mp3play/command{n}.bmp": (60, 15) for n in range(1, 9)},
}


def check_bmp(path, relative, ground, ink_rows):
    """ink_rows: (first, last) rows outside which the picture must be bare ground."""
    with open(path, "rb") as file:
        size = winformats.read_bmp_header(file.read())
    if size != EXPECTED_SIZES[relative]:
        raise AssertionError(f"{relative}: {size[0]}x{size[1]}, "
                             f"expected {EXPECTED_SIZES[relative]}")
    if ground is None:
        return
    with Image.open(path) as picture:
        width, height = picture.size
        samples = {"top-left": (0, 0), "top-right": (width - 1, 0),
                   "bottom-left": (0, height - 1), "bottom-right": (width - 1, height - 1),
                   "centre-left": (0, height // 2)}
        for name, xy in samples.items():
            found = picture.getpixel(xy)
            if found != ground:
                raise AssertionError(f"{relative}: {name} pixel {found}, expected {ground}")
        if ink_rows is None:
            return
        for y in (*range(ink_rows[0]), *range(ink_rows[1] + 1, height)):
            row = picture.crop((0, y, width, y + 1))
            if row.getcolors() != [(width, ground)]:
                raise AssertionError(f"{relative}: row {y} is hidden by the frame but inked")


def check_ico(path, relative):
    with open(path, "rb") as file:
        sizes = sorted(winformats.read_icon(file.read()))
    if sizes != sorted(winformats.ICON_SIZES):
        raise AssertionError(f"{relative}: icon sizes {sizes}")


def check_solid(path, relative, colour):
    with Image.open(path) as picture:
        colours = picture.getcolors()
    if colours is None or len(colours) != 1 or colours[0][1] != colour:
        raise AssertionError(f"{relative}: not a single colour {colour}")


def main():
    outputs = build()
    for relative, (kind, content, _) in sorted(outputs.items()):
        path = os.path.join(HERE, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if kind == "bmp":
            winformats.save_bmp(content, path)
        else:
            with open(path, "wb") as file:
                file.write(winformats.icon_bytes([content(size)
                                                  for size in winformats.ICON_SIZES]))
    for relative, (kind, _, ground) in sorted(outputs.items()):
        path = os.path.join(HERE, relative)
        if kind == "bmp":
            ink_rows = LAUNCHER_INK_ROWS if relative.startswith("form1/command") else None
            check_bmp(path, relative, ground, ink_rows)
        else:
            check_ico(path, relative)
        print(relative)
    check_solid(os.path.join(HERE, "mp3play/background.bmp"), "mp3play/background.bmp",
                PLAYER_BACKGROUND)


if __name__ == "__main__":
    main()
