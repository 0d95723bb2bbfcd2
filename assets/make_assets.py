"""Makes every picture and icon of the launcher and the music player.

Run from anywhere with /usr/bin/python3; outputs go beside this script in
form1/, mp3play/ and frmabout/. The same inputs always give the same bytes.
"""

import io
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

# The scales every picture is drawn at, in percent; 100 is the layout scale.
SCALES = (100, 125, 150, 175, 200, 250, 300)


def scaled(pixels, percent):
    """A length of the 100% drawing at `percent`, by the programs' own rule:
    pixels x 15 twips at percent x 96 / 100 dots per inch, x dpi / 1440, to
    the nearest whole pixel, halves up."""
    dpi = percent * 96 // 100
    return (pixels * 15 * dpi + 720) // 1440


def cover(percent=100):
    px = lambda n: scaled(n, percent)  # noqa: E731
    canvas = landscape.Canvas(COVER_SIZE, percent, px)
    rng = np.random.default_rng(20240611)
    grain_rng = None if percent == 100 else np.random.default_rng((20240611, percent))
    painting = landscape.paint(rng, canvas, COVER_BAND_TOP, grain_rng)
    _letter_title(painting, rng, percent)
    picture = Image.fromarray(np.clip(painting + 0.5, 0, 255).astype(np.uint8), "RGB")

    width = picture.width
    subtitle = lettering.spaced_mask(PRODUCT_SUBTITLE,
                                     lettering.font("NotoSerifCJK-Regular", px(14)), px(4))
    lettering.stamp(picture, subtitle, (70, 62, 52), (width - subtitle.width) // 2, px(96))
    seal = landscape.seal(PRODUCT_TITLE, lettering.font("NotoSerifCJK-Bold", px(11)), px(26))
    picture.paste(seal, (px(306), px(118)))

    _mount(picture, rng, percent)
    return picture


def _title_coverage(percent):
    """The title's ink coverage at `percent`, lettered at twice the size and reduced."""
    scale = 2
    typeface = lettering.font("NotoSerifCJK-Bold", scaled(54, percent) * scale)
    spaced = lettering.spaced_mask(PRODUCT_TITLE, typeface, scaled(10, percent) * scale)
    small = spaced.resize((spaced.width // scale, spaced.height // scale), Image.LANCZOS)
    return np.asarray(small, dtype=np.float64) / 255.0


def _letter_title(painting, rng, percent):
    """Brushes the title across the sky: dry-brush edges and a faint ink bleed."""
    coverage = _title_coverage(percent)
    shape = coverage.shape
    # The brush's texture has as many cells at every scale as at 100%.
    cells = _title_coverage(100).shape if percent != 100 else shape
    dry = landscape.fractal_noise(rng, shape, (max(2, cells[0] // 6), max(2, cells[1] // 3)), 3)
    ink = coverage * np.clip(0.72 + 0.5 * dry, 0.0, 1.0)
    bleed = landscape.blur(coverage, 2.0 * percent / 100) * 0.22
    x = (painting.shape[1] - shape[1]) // 2
    y = scaled(22, percent)
    region = painting[y:y + shape[0], x:x + shape[1]]
    landscape.lay(region, np.maximum(ink, bleed), landscape.INK)


def _mount(picture, rng, percent):
    """The plain silk band under the painting, calm so the edition buttons read well."""
    px = lambda n: scaled(n, percent)  # noqa: E731
    width, height = picture.size
    top = px(COVER_BAND_TOP)
    band = np.zeros((height - top, width, 3))
    band[:] = (92, 80, 62)
    weave = landscape.fractal_noise(rng, band.shape[:2], (4, 8), 3) - 0.5
    band += weave[:, :, None] * 8.0
    picture.paste(Image.fromarray(np.clip(band + 0.5, 0, 255).astype(np.uint8), "RGB"),
                  (0, top))
    draw = ImageDraw.Draw(picture)
    light_end, dark_end = px(COVER_BAND_TOP + 1), px(COVER_BAND_TOP + 2)
    draw.rectangle((0, top, width - 1, light_end - 1), fill=(180, 156, 104))
    draw.rectangle((0, light_end, width - 1, dark_end - 1), fill=(60, 50, 38))
    imprint = lettering.ink_mask(PUBLISHER_NAME_ZH,
                                 lettering.font("NotoSerifCJK-Regular", px(11)), True)
    lettering.stamp(picture, imprint, (196, 176, 128), (width - imprint.width) // 2, px(428))


def launcher_ink_rows(percent):
    """Rows of a launcher face its button shows clear of the frame and the
    focus marker's inset: the frame is 2 pixels at 100%, the inset 1."""
    height = scaled(25, percent)
    hidden = scaled(2, percent) + scaled(1, percent)
    return hidden, height - 1 - hidden


def launcher_button(text, percent=100):
    return lettering.button_face((scaled(100, percent), scaled(25, percent)), LAUNCHER_GROUND,
                                 text, LAUNCHER_TEXT,
                                 lettering.font("NotoSansCJK-Bold", scaled(16, percent)), True,
                                 launcher_ink_rows(percent))


def player_button(text, colour, percent=100):
    typeface = lettering.font("NotoSansCJK-Regular", scaled(13, percent), lettering.TRADITIONAL)
    size = (scaled(60, percent), scaled(15, percent))
    return lettering.button_face(size, PLAYER_GROUND, text, colour, typeface, False,
                                 (0, size[1] - 1))


def card_logo_box(percent):
    """Where Picture1 covers the card: (left, top, right, bottom), inclusive."""
    left = scaled(CARD_LOGO_BOX[0], percent)
    top = scaled(CARD_LOGO_BOX[1], percent)
    return (left, top, left + scaled(CARD_LOGO_BOX[2] - CARD_LOGO_BOX[0], percent),
            top + scaled(CARD_LOGO_BOX[3] - CARD_LOGO_BOX[1], percent))


def publisher_card(percent=100):
    px = lambda n: scaled(n, percent)  # noqa: E731
    title = lettering.font("NotoSerifCJK-Bold", px(20))
    english = lettering.font("NotoSansCJK-Regular", px(12))
    body = lettering.font("NotoSansCJK-Regular", px(13))
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
    # The window shows 228 of the card's 229 rows at 100%; at other scales
    # as many as its client area has.
    picture = lettering.card((px(329), px(229)), card_logo_box(percent),
                             [(px(x), px(y), text, face, aa) for x, y, text, face, aa in lines],
                             CARD_TEXT, px(228))
    ImageDraw.Draw(picture).rectangle((px(14), px(74), px(314), px(75) - 1), fill=CARD_TEXT)
    return picture


def publisher_logo(percent=100):
    return lettering.logo((scaled(73, percent), scaled(54, percent)), PUBLISHER_SHORT_NAME,
                          lettering.font("NotoSerifCJK-Bold", scaled(17, percent)),
                          percent / 100, scaled(3, percent))


def player_background(percent=100):
    return Image.new("RGB", (scaled(500, percent), scaled(156, percent)), PLAYER_BACKGROUND)


# Every picture: its file stem, the resource that holds it in its program,
# how it is drawn at a scale, and the colour its edges must show (or None).
PICTURES = [
    ("form1/cover", "IDB_COVER", cover, None),
    ("form1/command1", "IDB_SIMPLIFIED_FACE", lambda p: launcher_button("简体版", p),
     LAUNCHER_GROUND),
    ("form1/command2", "IDB_TRADITIONAL_FACE", lambda p: launcher_button("繁体版", p),
     LAUNCHER_GROUND),
    ("mp3play/background", "IDB_PLAYER_BACKGROUND", player_background, PLAYER_BACKGROUND),
    ("frmabout/card", "IDB_ABOUT_CARD", publisher_card, (255, 255, 255)),
    ("frmabout/logo", "IDB_ABOUT_LOGO", publisher_logo, (255, 255, 255)),
] + [
    (f"mp3play/command{number}", f"IDB_FACE_{face}",
     (lambda text: lambda p: player_button(
         text, PLAYER_EXIT_TEXT if text == "退出" else PLAYER_TEXT, p))(text),
     PLAYER_GROUND)
    for number, (text, face) in enumerate(zip(PLAYER_BUTTONS, (
        "TRACK1", "TRACK2", "TRACK3", "TRACK4", "TRACK5", "STOP", "ABOUT", "EXIT")), start=1)
]

ICONS = {
    "form1/setup.ico": icons.setup_icon,
    "mp3play/velk.ico": icons.disc_icon,
    "frmabout/frmabout.ico": icons.about_icon,
}

# The painted cover is kept as JPEG above 100% (quality 95, no chroma
# subsampling): lossless, its silk grain alone would not fit the program's
# size budget. Everything else is flat colour and lettering, kept as PNG.
JPEG_QUALITY = 95


def scaled_path(stem, percent):
    """Where the drawing of `stem` at `percent` is kept, relative to this folder."""
    folder, name = stem.split("/")
    if percent == 100:
        return f"{folder}/{name}.bmp"
    extension = "jpg" if stem == "form1/cover" else "png"
    return f"{folder}/{percent}/{name}.{extension}"


def build():
    """Returns {relative path: (kind, content, ground)} for every output.

    kind is "bmp", "png" or "jpg" (content an RGB image; ground the colour its
    edges must show, or None) or "ico" (content the icon drawing function,
    ground None).
    """
    outputs = {}
    for stem, _, draw, ground in PICTURES:
        for percent in SCALES:
            path = scaled_path(stem, percent)
            outputs[path] = (path.rsplit(".", 1)[1], draw(percent), ground)
    for path, draw in ICONS.items():
        outputs[path] = ("ico", draw, None)
    return outputs


def resource_fragment(folder):
    """The resource script lines that put `folder`'s larger drawings into
    its program: resource type ART<percent>, the 100% bitmap's identifier."""
    lines = [f"// Made by assets/make_assets.py: {folder}'s pictures drawn at the larger",
             "// scales, under resource type ART<percent> with the identifier of the",
             "// 100% bitmap. UTF-8, forward-slash paths."]
    for stem, resource, _, _ in PICTURES:
        if stem.split("/")[0] != folder:
            continue
        for percent in SCALES[1:]:
            lines.append(f'{resource} ART{percent} "assets/{scaled_path(stem, percent)}"')
    return "\n".join(lines) + "\n"


# Sizes of the 100% drawings; every other scale's follow by scaled().
LAYOUT_SIZES = {
    "form1/cover": (361, 446), "form1/command1": (100, 25), "form1/command2": (100, 25),
    "mp3play/background": (500, 156), "frmabout/card": (329, 229), "frmabout/logo": (73, 54),
    **{f"mp3play/command{n}": (60, 15) for n in range(1, 9)},
}


def stem_and_scale(relative):
    """("form1/cover", 125) for "form1/125/cover.jpg"; percent 100 for the BMPs."""
    parts = relative.rsplit(".", 1)[0].split("/")
    if len(parts) == 3:
        return f"{parts[0]}/{parts[2]}", int(parts[1])
    return "/".join(parts), 100


def read_size(path, kind):
    if kind == "bmp":
        with open(path, "rb") as file:
            return winformats.read_bmp_header(file.read())
    with Image.open(path) as picture:
        if picture.format != {"png": "PNG", "jpg": "JPEG"}[kind] or picture.mode != "RGB":
            raise AssertionError(f"{path}: {picture.format} {picture.mode}, expected RGB {kind}")
        return picture.size


def check_picture(path, relative, kind, ground):
    """Size as the scale gives it; for pictures with a ground, bare edges,
    and for launcher faces no ink on the rows the button hides."""
    stem, percent = stem_and_scale(relative)
    size = read_size(path, kind)
    layout = LAYOUT_SIZES[stem]
    expected = (scaled(layout[0], percent), scaled(layout[1], percent))
    if size != expected:
        raise AssertionError(f"{relative}: {size[0]}x{size[1]}, expected {expected}")
    if ground is None:
        return
    with Image.open(path) as picture:
        picture = picture.convert("RGB")
        width, height = picture.size
        samples = {"top-left": (0, 0), "top-right": (width - 1, 0),
                   "bottom-left": (0, height - 1), "bottom-right": (width - 1, height - 1),
                   "centre-left": (0, height // 2)}
        for name, xy in samples.items():
            found = picture.getpixel(xy)
            if found != ground:
                raise AssertionError(f"{relative}: {name} pixel {found}, expected {ground}")
        if not stem.startswith("form1/command"):
            return
        ink_rows = launcher_ink_rows(percent)
        for y in (*range(ink_rows[0]), *range(ink_rows[1] + 1, height)):
            row = picture.crop((0, y, width, y + 1))
            if row.getcolors() != [(width, ground)]:
                raise AssertionError(f"{relative}: row {y} is hidden by the frame but inked")


def check_ico(path, relative):
    with open(path, "rb") as file:
        sizes = sorted(winformats.read_icon(file.read()))
    if sizes != sorted(winformats.ICON_SIZES + winformats.FULL_COLOUR_ICON_SIZES):
        raise AssertionError(f"{relative}: icon sizes {sizes}")


def check_solid(path, relative, colour):
    with Image.open(path) as picture:
        colours = picture.convert("RGB").getcolors()
    if colours is None or len(colours) != 1 or colours[0][1] != colour:
        raise AssertionError(f"{relative}: not a single colour {colour}")


def encode(kind, content):
    """The bytes of one output file; the same content always gives the same bytes."""
    if kind == "ico":
        return winformats.icon_bytes([content(size) for size in winformats.ICON_SIZES],
                                     [content(size) for size in winformats.FULL_COLOUR_ICON_SIZES])
    buffer = io.BytesIO()
    if kind == "bmp":
        winformats.save_bmp(content, buffer)
    elif kind == "png":
        content.save(buffer, format="PNG", optimize=True)
    else:
        content.save(buffer, format="JPEG", quality=JPEG_QUALITY, subsampling=0)
    return buffer.getvalue()


FOLDERS = ("form1", "mp3play", "frmabout")


def main():
    outputs = build()
    for relative, (kind, content, _) in sorted(outputs.items()):
        path = os.path.join(HERE, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as file:
            file.write(encode(kind, content))
    for folder in FOLDERS:
        with open(os.path.join(HERE, folder, "scaled_art.rc"), "w", encoding="utf-8") as file:
            file.write(resource_fragment(folder))
    for relative, (kind, _, ground) in sorted(outputs.items()):
        path = os.path.join(HERE, relative)
        if kind == "ico":
            check_ico(path, relative)
        else:
            check_picture(path, relative, kind, ground)
        print(relative)
    for percent in SCALES:
        relative = scaled_path("mp3play/background", percent)
        check_solid(os.path.join(HERE, relative), relative, PLAYER_BACKGROUND)


if __name__ == "__main__":
    main()
