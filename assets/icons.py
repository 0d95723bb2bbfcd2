"""The three program icons, drawn per size in the 16-colour VGA palette.

Each drawing returns (indices, mask): a "P" image of palette indices and a
"1" image where 1 marks a transparent pixel. The 16x16 images are drawn on
their own rather than scaled down, so every pixel stays deliberate.
"""

from PIL import Image, ImageDraw

BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)


class IconCanvas:
    """Draws opaque shapes in palette indices; anything left undrawn is transparent."""

    def __init__(self, size):
        self.indices = Image.new("P", (size, size), BLACK)
        self.mask = Image.new("1", (size, size), 1)
        self._ink = ImageDraw.Draw(self.indices)
        self._cover = ImageDraw.Draw(self.mask)

    def shape(self, kind, xy, *angles, fill=None, outline=None):
        """Draws one ImageDraw primitive; angles are for arcs and pie slices."""
        ink = {"fill": fill}
        cover = {"fill": None if fill is None else 0}
        if outline is not None:
            ink["outline"] = outline
            cover["outline"] = 0
        getattr(self._ink, kind)(xy, *angles, **ink)
        getattr(self._cover, kind)(xy, *angles, **cover)

    def pixel(self, xy, index):
        self.shape("point", [xy], fill=index)

    def clear(self, kind, xy):
        """Makes an area transparent again (the hole of a disc)."""
        getattr(self._cover, kind)(xy, fill=1, outline=1)

    def result(self):
        return self.indices, self.mask


def _disc(size, sheen):
    """A compact disc: silver face with coloured sheen wedges, clear hub, open hole.

    sheen: the palette indices of the light bands, brightest first.
    """
    canvas = IconCanvas(size)
    last = size - 1
    canvas.shape("ellipse", (0, 0, last, last), fill=SILVER, outline=GRAY)
    inset = 2 if size == 32 else 1
    wedges = ((290, 335, sheen[0]), (335, 350, sheen[1]), (110, 155, sheen[0]),
              (155, 170, sheen[2]))
    for start, end, index in wedges:
        canvas.shape("pieslice", (inset, inset, last - inset, last - inset), start, end,
                     fill=index)
    if size == 32:
        canvas.shape("arc", (3, 3, 28, 28), 200, 250, fill=WHITE)
        canvas.shape("ellipse", (10, 10, 21, 21), fill=WHITE, outline=GRAY)
        canvas.shape("ellipse", (12, 12, 19, 19), fill=SILVER, outline=SILVER)
        canvas.shape("ellipse", (13, 13, 18, 18), outline=GRAY)
        canvas.clear("ellipse", (14, 14, 17, 17))
    else:
        canvas.shape("ellipse", (5, 5, 10, 10), fill=WHITE, outline=GRAY)
        canvas.clear("rectangle", (7, 7, 8, 8))
    return canvas


def disc_icon(size):
    """The music player's icon."""
    return _disc(size, (WHITE, AQUA, FUCHSIA)).result()


def about_icon(size):
    """The about window's icon: a golden disc with a blue information badge."""
    canvas = _disc(size, (YELLOW, WHITE, OLIVE))
    if size == 32:
        canvas.shape("ellipse", (17, 17, 31, 31), fill=BLUE, outline=NAVY)
        canvas.shape("rectangle", (23, 19, 25, 21), fill=WHITE)
        canvas.shape("rectangle", (23, 23, 25, 28), fill=WHITE)
        canvas.shape("line", (22, 23, 23, 23), fill=WHITE)
        canvas.shape("line", (22, 28, 26, 28), fill=WHITE)
    else:
        canvas.shape("ellipse", (7, 7, 15, 15), fill=BLUE, outline=NAVY)
        canvas.pixel((11, 9), WHITE)
        canvas.shape("line", (11, 11, 11, 13), fill=WHITE)
        canvas.shape("line", (10, 13, 12, 13), fill=WHITE)
    return canvas.result()


def setup_icon(size):
    """The launcher's icon: a computer with a boxed program standing beside it."""
    canvas = IconCanvas(size)
    if size == 32:
        canvas.shape("rectangle", (0, 3, 21, 19), fill=SILVER, outline=BLACK)
        canvas.shape("line", (1, 4, 20, 4), fill=WHITE)
        canvas.shape("line", (1, 4, 1, 18), fill=WHITE)
        canvas.shape("rectangle", (3, 6, 18, 16), fill=NAVY, outline=GRAY)
        canvas.shape("polygon", [(4, 7), (12, 7), (4, 13)], fill=BLUE)
        canvas.shape("line", (5, 8, 8, 8), fill=AQUA)
        canvas.shape("rectangle", (8, 20, 13, 21), fill=GRAY, outline=BLACK)
        canvas.shape("rectangle", (2, 22, 19, 26), fill=SILVER, outline=BLACK)
        canvas.shape("line", (4, 24, 17, 24), fill=GRAY)
        canvas.shape("polygon", [(19, 12), (23, 8), (31, 8), (27, 12)], fill=YELLOW,
                     outline=BLACK)
        canvas.shape("polygon", [(27, 12), (31, 8), (31, 26), (27, 30)], fill=MAROON,
                     outline=BLACK)
        canvas.shape("rectangle", (19, 12, 27, 30), fill=RED, outline=BLACK)
        canvas.shape("rectangle", (20, 17, 26, 23), fill=WHITE)
        canvas.shape("ellipse", (21, 18, 25, 22), fill=SILVER, outline=BLUE)
        canvas.pixel((23, 20), BLACK)
    else:
        canvas.shape("rectangle", (0, 1, 11, 10), fill=SILVER, outline=BLACK)
        canvas.shape("rectangle", (2, 3, 9, 8), fill=NAVY)
        canvas.shape("line", (2, 3, 5, 3), fill=BLUE)
        canvas.shape("line", (2, 4, 3, 4), fill=BLUE)
        canvas.shape("line", (4, 11, 7, 11), fill=BLACK)
        canvas.shape("rectangle", (1, 12, 10, 14), fill=SILVER, outline=BLACK)
        canvas.shape("polygon", [(10, 6), (12, 4), (15, 4), (14, 6)], fill=YELLOW,
                     outline=BLACK)
        canvas.shape("line", (15, 4, 15, 14), fill=BLACK)
        canvas.shape("rectangle", (10, 6, 14, 15), fill=RED, outline=BLACK)
        canvas.shape("rectangle", (11, 9, 13, 11), fill=WHITE)
    return canvas.result()
