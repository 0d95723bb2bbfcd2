"""The launcher's cover: a procedurally painted ink-wash landscape on aged silk.

Everything is drawn as ink density (0 = bare silk, 1 = full ink) on float
arrays and laid over the silk in order, far to near. All randomness comes from
the generator passed in, so one seed always gives the same picture.

The painting is described in pixels of its 100% drawing and painted at any
scale: shapes are evaluated at the centres of the target's pixels expressed
in those units, so a larger drawing is the same landscape with finer detail,
never an enlargement. The generator is drawn from in the same order at every
scale; only the silk's per-pixel grain, finer at larger scales, comes from a
generator of its own there.
"""

import math

import numpy as np
from PIL import Image, ImageDraw

SILK = np.array((228, 216, 186), dtype=np.float64)
INK = np.array((26, 28, 32), dtype=np.float64)
FAR_INK = np.array((84, 104, 116), dtype=np.float64)
SEAL_RED = (176, 36, 30)


class Canvas:
    """The target of one drawing: its pixel grid and the scale of its pixels.

    size100: (width, height) of the 100% drawing; k: target pixels per 100%
    pixel; shape: (rows, columns) of the target; px(n) converts a 100% length
    with the programs' rounding rule.
    """

    def __init__(self, size100, percent, px):
        self.k = percent / 100
        self.px = px
        self.size100 = size100
        self.shape = (px(size100[1]), px(size100[0]))
        # Target pixel centres in 100% units.
        self.x = (np.arange(self.shape[1], dtype=np.float64) + 0.5) / self.k - 0.5
        self.y = (np.arange(self.shape[0], dtype=np.float64) + 0.5) / self.k - 0.5

    @property
    def shape100(self):
        return (self.size100[1], self.size100[0])


def blur(field, sigma):
    """Gaussian blur of a 2-D array, edges extended; separable shifted sums."""
    radius = max(1, int(3 * sigma))
    offsets = np.arange(-radius, radius + 1)
    weights = np.exp(-0.5 * (offsets / sigma) ** 2)
    weights /= weights.sum()
    for axis in (0, 1):
        padded = np.pad(field, [(radius, radius) if a == axis else (0, 0) for a in (0, 1)],
                        mode="edge")
        length = field.shape[axis]
        field = sum(w * np.take(padded, np.arange(i, i + length), axis=axis)
                    for i, w in enumerate(weights))
    return field


def value_noise(rng, shape, cells):
    """Smooth noise in [0, 1]: a (cells_y, cells_x) random grid resized bicubically."""
    grid = rng.random(cells).astype(np.float32)
    smooth = Image.fromarray(grid, "F").resize((shape[1], shape[0]), Image.BICUBIC)
    return np.clip(np.asarray(smooth, dtype=np.float64), 0.0, 1.0)


def fractal_noise(rng, shape, base_cells, octaves):
    total = np.zeros(shape)
    amplitude, norm = 1.0, 0.0
    cells_y, cells_x = base_cells
    for _ in range(octaves):
        total += amplitude * value_noise(rng, shape, (cells_y, cells_x))
        norm += amplitude
        amplitude *= 0.5
        cells_y, cells_x = cells_y * 2, cells_x * 2
    return total / norm


def ridge(rng, canvas, peaks, roughness, cells):
    """A mountain outline: y of the ridge for each column (smaller y = higher).

    peaks: (x, top_y, half_width) triples whose rounded cones make up the mass;
    roughness: pixel amplitude of the fractal wobble added along the ridge.
    All in 100% units, per target column.
    """
    width = canvas.shape[1]
    x = canvas.x
    top = np.full(width, 1e9)
    for centre, top_y, half_width in peaks:
        distance = np.abs(x - centre) / half_width
        top = np.minimum(top, top_y + 160.0 * distance ** 1.6)
    wobble = fractal_noise(rng, (1, width), (1, cells), 4)[0] - 0.5
    return top + roughness * wobble


def mountain_density(rng, canvas, outline, strength, falloff, foot):
    """Ink of one mountain mass: a dark ridge line, mottled wash below it that
    thins with depth, all of it lost in mist by the row `foot`."""
    shape = canvas.shape
    height, width = canvas.shape100
    y = canvas.y[:, None]
    depth = np.clip(y - outline[None, :], 0, None)
    wash = np.exp(-depth / falloff)
    # Noise stretched along y reads as vertical brush texture.
    strokes = fractal_noise(rng, shape, (max(2, height // 50), max(4, width // 4)), 4)
    texture = np.clip((strokes - 0.28) * 2.4, 0.0, 1.4)
    bone = np.exp(-depth / 2.5)
    fade = np.clip((foot - y) / 70.0, 0.0, 1.0) ** 1.5
    density = strength * (0.6 * wash * texture + 0.5 * bone) * fade
    return np.where(y >= outline[None, :], np.clip(density, 0.0, 1.0), 0.0)


def mountain(rng, canvas, peaks, strength, falloff, foot, roughness=22, cells=16):
    """Returns (outline, density) of a mass made of `peaks`; see ridge()."""
    outline = ridge(rng, canvas, peaks, roughness, cells)
    return outline, mountain_density(rng, canvas, outline, strength, falloff, foot)


def lay(colour, density, ink):
    """Lays ink of the given density over colour (H x W x 3), in place."""
    colour += (ink[None, None, :] - colour) * density[:, :, None]


def _stroke_layer(canvas, scale, draw_strokes):
    """Ink drawn with PIL at `scale` times the target's size, reduced for soft
    edges; draw_strokes gets the factor from 100% units to the large canvas."""
    shape = canvas.shape
    big = Image.new("L", (shape[1] * scale, shape[0] * scale), 0)
    draw_strokes(ImageDraw.Draw(big), scale * canvas.k)
    small = big.resize((shape[1], shape[0]), Image.LANCZOS)
    return np.asarray(small, dtype=np.float64) / 255.0


def _pine(rng, draw, s):
    """A leaning pine on the foreground rock, needles in dense fan-shaped clusters."""
    trunk = [(44, 352), (50, 330), (60, 306), (64, 284), (78, 262), (98, 246)]
    for (x0, y0), (x1, y1) in zip(trunk, trunk[1:]):
        width = 2.5 + 5 * (y0 - 240) / 112
        draw.line((x0 * s, y0 * s, x1 * s, y1 * s), fill=235, width=int(width * s))
        draw.ellipse(((x1 - width / 2) * s, (y1 - width / 2) * s, (x1 + width / 2) * s,
                      (y1 + width / 2) * s), fill=235)
    for _ in range(14):
        t = rng.random()
        x = trunk[0][0] + (trunk[-1][0] - trunk[0][0]) * t + 3
        y = trunk[0][1] + (trunk[-1][1] - trunk[0][1]) * t
        draw.ellipse(((x - 1.5) * s, (y - 1) * s, (x + 1.5) * s, (y + 1) * s), fill=120)
    branches = [((60, 304), (118, 292)), ((64, 284), (20, 272)), ((78, 262), (138, 258)),
                ((92, 250), (58, 234)), ((55, 320), (96, 322))]
    clusters = [(104, 240)]
    for (x0, y0), (x1, y1) in branches:
        draw.line((x0 * s, y0 * s, (x0 + x1) / 2 * s, ((y0 + y1) / 2 - 4) * s, x1 * s, y1 * s),
                  fill=225, width=int(2.2 * s), joint="curve")
        clusters += [(x1, y1 - 2), ((x0 + 2 * x1) / 3, (y0 + 2 * y1) / 3 - 4)]
    for cx, cy in clusters:
        half = 11 + 4 * rng.random()
        draw.ellipse(((cx - half * 0.7) * s, (cy - 4) * s, (cx + half * 0.7) * s, (cy + 2) * s),
                     fill=215)
        for _ in range(60):
            angle = math.pi * (1.02 + 0.96 * rng.random())
            length = half * (0.7 + 0.4 * rng.random())
            draw.line((cx * s, (cy + 1) * s, (cx + length * math.cos(angle)) * s,
                       (cy + 1 + 0.55 * length * math.sin(angle)) * s),
                      fill=int(160 + 90 * rng.random()), width=max(1, int(0.7 * s)))


def _boat(draw, s):
    """A fisherman's skiff with its pole, and two wavering reflection strokes."""
    cx, cy = 246, 322
    hull = [(cx - 22, cy - 3), (cx + 20, cy - 4), (cx + 15, cy + 2), (cx - 15, cy + 2)]
    draw.polygon([(x * s, y * s) for x, y in hull], fill=225)
    draw.polygon([(x * s, y * s) for x, y in ((cx - 2, cy - 4), (cx + 2, cy - 12),
                                                (cx + 6, cy - 4))], fill=230)
    draw.polygon([(x * s, y * s) for x, y in ((cx - 3, cy - 12), (cx + 7, cy - 12),
                                                (cx + 2, cy - 16))], fill=210)
    draw.line(((cx + 5) * s, (cy - 10) * s, (cx + 30) * s, (cy + 14) * s), fill=200,
              width=int(0.9 * s))
    for dy, half in ((6, 16), (10, 10)):
        draw.line(((cx - half) * s, (cy + dy) * s, (cx + half) * s, (cy + dy) * s), fill=90,
                  width=int(0.8 * s))


def _birds(draw, s):
    for x, y, w in ((196, 128, 5), (206, 134, 4), (214, 126, 4)):
        draw.line((x * s, y * s, (x + w / 2) * s, (y + 2) * s, (x + w) * s, y * s), fill=170,
                  width=max(1, int(0.7 * s)), joint="curve")


def _moss(rng, draw, s, canvas, outline, count, foot):
    """Dark moss dots scattered just under a ridge line, as painters accent peaks.

    outline: per target column; count dots at 100% columns of the first
    `len(outline) / k` columns.
    """
    k = canvas.k
    xs = rng.integers(2, round(len(outline) / k) - 2, count)
    for x in xs:
        y = outline[min(len(outline) - 1, int((x + 0.5) * k))] + 2 + 6 * rng.random()
        if y < foot:
            r = (0.8 + 0.9 * rng.random()) * s
            draw.ellipse((x * s - r, y * s - r * 0.7, x * s + r, y * s + r * 0.7), fill=230)


def paint(rng, canvas, ground_top, grain_rng=None):
    """Paints the landscape on `canvas`; returns an H x W x 3 float array.

    Rows from ground_top (100% units) down are left as bare silk for the
    caller's mounting. grain_rng: the generator of the silk's per-pixel grain
    when it is not `rng` (at scales other than 100%, whose drawing draws that
    grain from `rng` itself).
    """
    shape = canvas.shape
    k = canvas.k
    grain = fractal_noise(rng, shape, (6, 5), 5) - 0.5
    colour = np.broadcast_to(SILK, shape + (3,)).copy()
    colour += grain[:, :, None] * 18.0
    speckle = rng.random(canvas.shape100)
    if grain_rng is not None:
        speckle = grain_rng.random(shape)
    colour += (speckle[:, :, None] - 0.5) * 5.0

    _, far = mountain(rng, canvas, [(40, 190, 60), (150, 176, 70), (230, 196, 50),
                                    (340, 186, 50)], 0.32, 30.0, 262, 30, 12)
    lay(colour, blur(far, 1.4 * k), FAR_INK)

    main_outline, main = mountain(rng, canvas, [(262, 112, 42), (228, 150, 34),
                                                (316, 138, 36), (346, 170, 40)],
                                  0.85, 38.0, 300)
    for peaks in ([(252, 160, 30), (300, 178, 30)], [(240, 200, 26), (320, 214, 34)]):
        main = np.maximum(main, 0.8 * mountain(rng, canvas, peaks, 0.8, 26.0, 300)[1])
    left_outline, left = mountain(rng, canvas, [(72, 146, 36), (24, 178, 40), (120, 196, 30)],
                                  0.7, 32.0, 282)
    left = np.maximum(left, 0.8 * mountain(rng, canvas, [(60, 196, 28), (100, 222, 24)],
                                           0.8, 24.0, 282)[1])
    lay(colour, blur(np.maximum(main, left), 0.6 * k), INK)

    _, shore = mountain(rng, canvas, [(330, 284, 90)], 0.45, 8.0, 300, 6, 10)
    lay(colour, blur(shore, 0.8 * k), FAR_INK)

    width = shape[1]
    water = np.zeros(shape)
    for row in range(300, ground_top - 4, 6):
        dashes = fractal_noise(rng, (1, width), (1, 28), 2)[0]
        visible = np.clip((dashes - 0.56) * 5.0, 0.0, 1.0)
        rows = slice(round(row * k), round((row + 1) * k))
        water[rows] = np.maximum(water[rows], 0.2 * visible)
    lay(colour, blur(water, 0.5 * k), FAR_INK)

    rock_outline, rock = mountain(rng, canvas, [(26, 318, 190), (140, 356, 110)], 0.95, 24.0,
                                  ground_top + 80, 14, 12)
    lay(colour, rock, INK)

    def strokes(draw, s):
        _moss(rng, draw, s, canvas, main_outline, 40, 260)
        _moss(rng, draw, s, canvas, left_outline, 24, 250)
        _moss(rng, draw, s, canvas, rock_outline[:canvas.px(170)], 20, ground_top)
        _pine(rng, draw, s)
        _boat(draw, s)
        _birds(draw, s)

    lay(colour, _stroke_layer(canvas, 3, strokes) * 0.92, INK)
    colour[canvas.px(ground_top):] = SILK
    return colour


def seal(text, font, size):
    """A red seal with text read in columns right to left, cut in white."""
    stamp = Image.new("RGB", (size, size), SEAL_RED)
    draw = ImageDraw.Draw(stamp)
    half = size // 2
    columns = [text[i:i + 2] for i in range(0, len(text), 2)]
    for column, chars in enumerate(columns):
        x = size - half * (column + 1)
        for row, char in enumerate(chars):
            box = draw.textbbox((0, 0), char, font=font)
            draw.text((x + (half - (box[2] - box[0])) / 2 - box[0],
                       row * half + (half - (box[3] - box[1])) / 2 - box[1]),
                      char, font=font, fill=(246, 232, 214))
    draw.rectangle((0, 0, size - 1, size - 1), outline=(246, 232, 214))
    draw.rectangle((1, 1, size - 2, size - 2), outline=SEAL_RED)
    return stamp
