"""Text pictures: button faces, the publisher's card and its logo.

Small faces are drawn without antialiasing at an integer pixel size so the
strokes stay sharp on a flat ground; large lettering is antialiased.
"""

from PIL import Image, ImageDraw, ImageFont

FONT_DIR = "/usr/share/fonts/opentype/noto/"
# Face indices inside the Noto CJK collections.
SIMPLIFIED, TRADITIONAL = 2, 3


def font(name, size, face=SIMPLIFIED):
    """name: collection file stem, e.g. "NotoSansCJK-Regular"."""
    return ImageFont.truetype(FONT_DIR + name + ".ttc", size, index=face)


def ink_mask(text, typeface, antialias):
    """Text coverage cropped to its inked pixels ("L", 255 = full ink)."""
    box = typeface.getbbox(text)
    canvas = Image.new("L", (box[2] - box[0] + 4, box[3] - box[1] + 4), 0)
    draw = ImageDraw.Draw(canvas)
    draw.fontmode = "L" if antialias else "1"
    draw.text((2 - box[0], 2 - box[1]), text, font=typeface, fill=255)
    inked = canvas.getbbox()
    if inked is None:
        raise ValueError(f"text {text!r} draws no pixels")
    return canvas.crop(inked)


def spaced_mask(text, typeface, gap, antialias=True):
    """Like ink_mask, with each character placed one em plus `gap` pixels after the last."""
    advance = typeface.size + gap
    box = typeface.getbbox(text)
    canvas = Image.new("L", (advance * len(text) + 4, box[3] + 4), 0)
    draw = ImageDraw.Draw(canvas)
    draw.fontmode = "L" if antialias else "1"
    for i, char in enumerate(text):
        draw.text((2 + i * advance, 2), char, font=typeface, fill=255)
    return canvas.crop(canvas.getbbox())


def stamp(picture, mask, colour, x, y):
    picture.paste(Image.new("RGB", mask.size, colour), (x, y), mask)


def button_face(size, ground, text, colour, typeface, antialias, rows):
    """A flat face with text centred on its inked pixels.

    rows: (first, last) rows the ink must stay within, both inclusive, because
    the button's frame hides the rest.
    """
    face = Image.new("RGB", size, ground)
    mask = ink_mask(text, typeface, antialias)
    if mask.width > size[0] - 2 or mask.height > rows[1] - rows[0] + 1:
        raise ValueError(f"text {text!r} ({mask.size}) does not fit the face {size}")
    x = (size[0] - mask.width) // 2
    y = rows[0] + (rows[1] - rows[0] + 1 - mask.height) // 2
    stamp(face, mask, colour, x, y)
    return face


def card(size, reserved, lines, colour, shown_rows=None):
    """The publisher's card: white, text lines given as (x, y, text, typeface, antialias).

    reserved: (left, top, right, bottom) box kept white for the logo the
    program draws over it; a line inked inside it is an error. shown_rows:
    rows the window shows (by default all but the last); ink below them
    would be clipped, so it is an error too.
    """
    if shown_rows is None:
        shown_rows = size[1] - 1
    picture = Image.new("RGB", size, (255, 255, 255))
    for x, y, text, typeface, antialias in lines:
        mask = ink_mask(text, typeface, antialias)
        right, bottom = x + mask.width - 1, y + mask.height - 1
        overlaps = (x <= reserved[2] and right >= reserved[0]
                    and y <= reserved[3] and bottom >= reserved[1])
        if overlaps or right >= size[0] or bottom >= shown_rows:
            raise ValueError(f"card line {text!r} at ({x},{y}) is out of place")
        stamp(picture, mask, colour, x, y)
    return picture


def logo(size, short_name, typeface, k=1.0, bottom_margin=3):
    """The publisher's mark on white: a black brush curve over a red square, name below.

    The mark is described in pixels of the 100% drawing; k is the drawing's
    scale, bottom_margin the rows left white under the name at that scale.
    """
    scale = 4 * k
    width, height = size
    big = Image.new("RGB", (width * 4, height * 4), (255, 255, 255))
    draw = ImageDraw.Draw(big)
    draw.rectangle((6 * scale, 4 * scale, 22 * scale, 20 * scale), fill=(200, 16, 24))
    # The curve thickens towards its middle like a brush stroke pressed and lifted.
    steps = round(60 * k)
    for i in range(steps):
        t = i / (steps - 1)
        x = (3 + 66 * t) * scale
        y = (26 - 30 * t + 26 * t * t) * scale
        radius = (0.6 + 2.2 * (1 - abs(2 * t - 1) ** 1.5)) * scale
        draw.ellipse((x - radius, y - radius, x + radius, y + radius), fill=(0, 0, 0))
    picture = big.resize(size, Image.LANCZOS)
    mask = ink_mask(short_name, typeface, True)
    stamp(picture, mask, (0, 0, 0), (width - mask.width) // 2,
          height - bottom_margin - mask.height)
    return picture
