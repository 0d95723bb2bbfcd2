"""The three program icons, drawn per size in the 16-colour VGA palette.

At 32x32 and 16x16 each drawing returns (indices, mask): a "P" image of
palette indices and a "1" image where 1 marks a transparent pixel. The 16x16
images are drawn on their own rather than scaled down, so every pixel stays
deliberate. The larger sizes Windows asks for at higher display scales (and
256x256) are the 32x32 design drawn again at that size in full colour with
soft edges: each drawing then returns an RGBA image.
"""

from PIL import Image, ImageDraw

from winformats import VGA_PALETTE

BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GRAY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)


class IconCanvas:
    """Draws opaque shapes in palette indices; anything left undrawn is transparent."""

    def __init__(self, size):
        self.design = size
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


class SmoothCanvas:
    """Draws the 32x32 design at `size` pixels in full colour: shapes are laid
    out on the design's pixel grid, drawn four times larger than the target
    and reduced by area averaging, so edges are soft and nothing is stretched.
    Takes the same calls as IconCanvas."""

    SUPERSAMPLE = 4

    def __init__(self, size):
        self.design = 32
        self.size = size
        self._f = size * self.SUPERSAMPLE / self.design
        side = size * self.SUPERSAMPLE
        self.image = Image.new("RGBA", (side, side), (0, 0, 0, 0))
        self._draw = ImageDraw.Draw(self.image)

    def _box(self, xy):
        """A box of whole design pixels, both corners inclusive."""
        x0, y0, x1, y1 = xy
        f = self._f
        return (x0 * f, y0 * f, (x1 + 1) * f - 1, (y1 + 1) * f - 1)

    def _points(self, xy):
        """Design pixel centres; xy is a flat tuple or a list of pairs."""
        pairs = list(zip(xy[0::2], xy[1::2])) if isinstance(xy[0], (int, float)) else xy
        return [((x + 0.5) * self._f, (y + 0.5) * self._f) for x, y in pairs]

    def _paint(self, kind, xy, angles, fill, outline):
        width = max(1, round(self._f))
        if kind in ("rectangle", "ellipse", "pieslice", "chord"):
            extra = {"outline": outline, "width": width} if outline is not None else {}
            getattr(self._draw, kind)(self._box(xy), *angles, fill=fill, **extra)
        elif kind == "arc":
            self._draw.arc(self._box(xy), *angles, fill=fill, width=width)
        elif kind == "polygon":
            extra = {"outline": outline, "width": width} if outline is not None else {}
            self._draw.polygon(self._points(xy), fill=fill, **extra)
        elif kind == "line":
            self._draw.line(self._points(xy), fill=fill, width=width, joint="curve")
        elif kind == "point":
            for x, y in xy:
                self._draw.rectangle(self._box((x, y, x, y)), fill=fill)
        else:
            raise ValueError(f"no such shape {kind!r}")

    def shape(self, kind, xy, *angles, fill=None, outline=None):
        colour = lambda index: None if index is None else VGA_PALETTE[index] + (255,)  # noqa: E731
        self._paint(kind, xy, angles, colour(fill), colour(outline))

    def pixel(self, xy, index):
        self.shape("point", [xy], fill=index)

    def clear(self, kind, xy):
        self._paint(kind, xy, (), (0, 0, 0, 0), None)

    def result(self):
        return self.image.resize((self.size, self.size), Image.BOX)


def _canvas(size):
    """The hand-drawn palette canvas at 16 and 32, the smooth one otherwise."""
    return IconCanvas(size) if size in (16, 32) else SmoothCanvas(size)


def _disc(size, sheen):
    """A compact disc: silver face with coloured sheen wedges, clear hub, open hole.

    sheen: the palette indices of the light bands, brightest first.
    """
    canvas = _canvas(size)
    size = canvas.design
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
    if canvas.design == 32:
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
    canvas = _canvas(size)
    if canvas.design == 32:
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
