#!/usr/bin/python3
"""Our pictures against an independent renderer, ezdxf's drawing add-on.

    ezdxf_compare.py compare KASANEMI_CAD WORKDIR
        makes small drawings with linetypes, pattern hatches with islands,
        polyline widths and lineweights, and polyface, polygon and MESH
        meshes, solid hatches written as CAD programs write them (with an
        unused gradient record) and text in several scripts with the
        diameter sign, has `kasanemi-cad --render` and
        ezdxf (matplotlib backend) draw each, crops both to their ink,
        scales them to one size and scores how well the ink agrees, allowing
        a pixel of tolerance: F1 of at least 0.9 per picture (0.4 for text,
        whose fonts differ). It also compares the colours of the ink:
        each picture's ink quantised to a coarse palette, the share of ink
        the two pictures have in each colour, overlapping by at least 0.8, so
        that a fill of the wrong colour fails (the solid hatches drawn blue
        score 0.02; every other drawing 1.0). Exit 0 when
        every picture agrees, 1 when one does not, 77 when ezdxf or
        matplotlib is missing (the test is then skipped).

    ezdxf_compare.py render FILE.dxf OUT.png [SIZE]
        ezdxf's picture of a drawing (every layer but the current one on and
        thawed, as ours), to look at beside ours; prints the CPU seconds it
        took to read and to draw.

    ezdxf_compare.py cpu FILE.dxf OUT.png [SIZE]
        the same drawn through ezdxf's faster Pillow backend; prints the CPU
        seconds (the pictures benchmark compares with them).

Run it with Debian's /usr/bin/python3, which has python3-ezdxf.
"""

import math
import os
import subprocess
import sys
import time

try:
    import ezdxf
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    import numpy
    from PIL import Image
    from ezdxf.addons.drawing import Frontend, RenderContext
    from ezdxf.addons.drawing.config import Configuration
    from ezdxf.addons.drawing.matplotlib import MatplotlibBackend
    from ezdxf.addons.drawing.properties import LayoutProperties
except ImportError as missing:  # pragma: no cover
    print(f"skipped: {missing}")
    sys.exit(77)

SIZE = 800
REQUIRED_F1 = 0.9
REQUIRED_COLOUR = 0.8
# Text is drawn by each in its own fonts (ezdxf's DejaVu Sans runs wider
# than the Arial-like face we name, so the lines' ends drift apart): the ink
# agrees far less than for lines and fills, 0.42 with every character drawn
# against 0.37 with the replacement marks the pictures wrote before. The
# unit tests hold the characters themselves.
REQUIRED_F1_TEXT = 0.4
# Our pictures are 4 inches (101.6 mm) on their longer side plus a margin of
# 2% a side; a lineweight is that share of the picture.
PICTURE_MM = 101.6
MARGIN = 1.04


def read_as_refreshed(path):
    """The drawing with every layer but the current one on and thawed, as
    ours draws it; its model space, and that space's extents and proportion
    (width over height)."""
    doc = ezdxf.readfile(path)
    current = doc.header.get("$CLAYER", "0")
    for layer in doc.layers:
        if layer.dxf.name != current:
            layer.on()
            layer.thaw()
    msp = doc.modelspace()
    extents = ezdxf.bbox.extents(msp)
    return doc, msp, extents, max(extents.size.x, 1e-9) / max(extents.size.y, 1e-9)


def ezdxf_pillow_cpu(path, out, size):
    """ezdxf drawing the whole drawing once through its Pillow backend, its
    fastest raster output (matplotlib takes about three times as long):
    the CPU seconds of reading (extents included) and of drawing (export included)."""
    from ezdxf.addons.drawing.pillow import PillowBackend
    started = time.process_time()
    doc, msp, extents, aspect = read_as_refreshed(path)
    loaded = time.process_time()
    pixels = (size, max(1, round(size / aspect))) if aspect >= 1 else (max(1, round(size * aspect)), size)
    ctx = RenderContext(doc)
    ctx.set_current_layout(msp)
    backend = PillowBackend(extents, image_size=pixels)
    Frontend(ctx, backend, Configuration.defaults()).draw_layout(msp, finalize=True)
    backend.export(out)
    return loaded - started, time.process_time() - loaded


def ezdxf_png(path, out, size=SIZE, lineweights=False):
    """Draws the drawing into `out`; returns the CPU seconds of reading (extents
    included) and of drawing."""
    started = time.process_time()
    doc, msp, _, aspect = read_as_refreshed(path)
    loaded = time.process_time()
    inches = 8.0
    fig_w, fig_h = (inches, inches / aspect) if aspect >= 1 else (inches * aspect, inches)
    dpi = size / inches
    fig = plt.figure(figsize=(fig_w, fig_h), dpi=dpi)
    ax = fig.add_axes([0, 0, 1, 1])
    ctx = RenderContext(doc)
    ctx.set_current_layout(msp)
    properties = LayoutProperties.from_layout(msp)
    properties.set_colors("#ffffff")
    # Widths in proportion to the drawing as ours: a millimetre is 1/101.6
    # of our picture, whose ink spans 1/1.04 of it.
    scaling = 72.0 * inches * MARGIN / PICTURE_MM if lineweights else 0.0
    config = Configuration.defaults().with_changes(lineweight_scaling=scaling)
    Frontend(ctx, MatplotlibBackend(ax), config).draw_layout(msp, finalize=True, layout_properties=properties)
    fig.savefig(out, dpi=dpi, facecolor="#ffffff")
    plt.close(fig)
    return loaded - started, time.process_time() - loaded


def ink(path):
    """The picture as a boolean array of ink, cropped to the ink."""
    grey = numpy.asarray(Image.open(path).convert("L"))
    mask = grey < 160
    rows = numpy.where(mask.any(axis=1))[0]
    cols = numpy.where(mask.any(axis=0))[0]
    if len(rows) == 0:
        return mask[:0, :0]
    return mask[rows[0]:rows[-1] + 1, cols[0]:cols[-1] + 1]


def resized(mask, shape):
    image = Image.fromarray((mask * 255).astype(numpy.uint8))
    return numpy.asarray(image.resize((shape[1], shape[0]), Image.BILINEAR)) >= 96


def grown(mask):
    """Ink widened by one pixel every way."""
    out = mask.copy()
    out[1:, :] |= mask[:-1, :]
    out[:-1, :] |= mask[1:, :]
    out[:, 1:] |= mask[:, :-1]
    out[:, :-1] |= mask[:, 1:]
    out[1:, 1:] |= mask[:-1, :-1]
    out[:-1, :-1] |= mask[1:, 1:]
    out[1:, :-1] |= mask[:-1, 1:]
    out[:-1, 1:] |= mask[1:, :-1]
    return out


def f1(ours_png, theirs_png):
    ours = ink(ours_png)
    theirs = ink(theirs_png)
    if ours.size == 0 or theirs.size == 0:
        return 0.0
    theirs = resized(theirs, ours.shape)
    precision = (ours & grown(theirs)).sum() / max(ours.sum(), 1)
    recall = (theirs & grown(ours)).sum() / max(theirs.sum(), 1)
    return 0.0 if precision + recall == 0 else 2 * precision * recall / (precision + recall)


def colour_shares(path):
    """The share of the picture's ink in each colour of a coarse palette
    (every channel 0, 128 or 255). A pixel's ink colour is taken back out of
    its blend with the white paper (coverage = how far its lightest channel
    is from white), so the anti-aliased edges of a thin line count as that
    line's colour, weighted by their coverage."""
    rgb = numpy.asarray(Image.open(path).convert("RGB")).astype(float)
    coverage = (255 - rgb.min(axis=2)) / 255
    inked = coverage > 0.1
    ink = 255 - (255 - rgb[inked]) / coverage[inked][:, None]
    levels = numpy.rint(numpy.clip(ink, 0, 255) / 127.5).astype(int)
    codes = levels[:, 0] * 9 + levels[:, 1] * 3 + levels[:, 2]
    counts = numpy.bincount(codes, weights=coverage[inked], minlength=27)
    return counts / max(counts.sum(), 1.0)


def colour_overlap(ours_png, theirs_png):
    """How much of the ink the two pictures have in the same colours (1 when
    they share every colour in the same proportions, 0 when none)."""
    return float(numpy.minimum(colour_shares(ours_png), colour_shares(theirs_png)).sum())


def new_doc():
    doc = ezdxf.new("R2018", setup=True)  # the standard linetypes and patterns
    doc.header["$LWDISPLAY"] = 0
    return doc


def linetypes_drawing(path):
    doc = new_doc()
    doc.header["$LTSCALE"] = 8
    msp = doc.modelspace()
    doc.layers.add("centre", linetype="CENTER")
    msp.add_line((0, 0), (200, 0), dxfattribs={"linetype": "DASHED"})
    msp.add_line((0, 20), (200, 60), dxfattribs={"linetype": "DASHDOT", "ltscale": 1.5})
    msp.add_line((0, 80), (200, 80), dxfattribs={"layer": "centre"})
    msp.add_circle((50, 140), 40, dxfattribs={"linetype": "DASHED2"})
    msp.add_arc((150, 140), 40, 20, 250, dxfattribs={"linetype": "DASHED"})
    msp.add_ellipse((100, 230), major_axis=(70, 20), ratio=0.4, dxfattribs={"linetype": "DASHED"})
    msp.add_open_spline([(0, 280), (50, 320), (100, 270), (150, 330), (200, 290)], degree=3,
                        dxfattribs={"linetype": "DASHED"})
    # A spline stored by its fit points alone, as a CAD writes a drawn one.
    msp.add_spline(fit_points=[(220, 0), (260, 60), (230, 140), (290, 200), (250, 300)])
    # Restarting at every vertex, and running on across them (flag 128).
    points = [(0, 350), (35, 400), (70, 350), (105, 400), (140, 350)]
    msp.add_lwpolyline(points, dxfattribs={"linetype": "DASHED"})
    running = msp.add_lwpolyline([(x, y + 70) for x, y in points], dxfattribs={"linetype": "DASHED"})
    running.dxf.flags = running.dxf.flags | 128
    doc.saveas(path)


def hatches_drawing(path):
    doc = new_doc()
    msp = doc.modelspace()

    def square(x, y, side):
        return [(x, y), (x + side, y), (x + side, y + side), (x, y + side)]

    for column, style in enumerate((0, 1, 2)):
        x = column * 120
        hatch = msp.add_hatch(color=5)
        hatch.set_pattern_fill("ANSI31", scale=1.0, style=style)
        hatch.paths.add_polyline_path(square(x, 0, 100), is_closed=True, flags=1)
        hatch.paths.add_polyline_path(square(x + 25, 25, 50), is_closed=True, flags=16)
        hatch.paths.add_polyline_path(square(x + 40, 40, 20), is_closed=True, flags=0)
    brick = msp.add_hatch(color=1)
    brick.set_pattern_fill("BRICK", scale=1.0)
    brick.paths.add_polyline_path([(0, 120), (340, 120), (340, 220), (0, 220)], is_closed=True, flags=1)
    dashed = msp.add_hatch(color=3)
    dashed.set_pattern_fill("ANSI33", scale=2.0, angle=30)
    dashed.paths.add_polyline_path([(0, 240, 0), (160, 240, 1), (160, 320, 0), (0, 320, 0)], is_closed=True,
                                   flags=1)
    for loop in (square(0, 0, 100), square(120, 0, 100), square(240, 0, 100)):
        msp.add_lwpolyline(loop, close=True)
    doc.saveas(path)


def widths_drawing(path):
    doc = new_doc()
    doc.header["$LWDISPLAY"] = 1
    msp = doc.modelspace()
    # Constant width, a taper to a point and out again, and arc segments with
    # widths. Each segment's end width is the next one's start width: ezdxf
    # 0.18 draws a step in width between two segments (an arrowhead on a
    # shaft) other than a CAD does; the unit tests hold ours to the CAD's.
    msp.add_lwpolyline([(0, 0), (100, 0), (100, 60), (180, 60)], dxfattribs={"const_width": 6})
    msp.add_lwpolyline([(0, 100, 0, 16, 0), (80, 100, 16, 4, 0), (180, 100, 4, 4, 0)], format="xyseb")
    msp.add_lwpolyline([(0, 160, 8, 2, 1.0), (80, 160, 2, 8, 0), (180, 160, 0, 0, 0)], format="xyseb")
    closed = msp.add_lwpolyline([(220, 0), (300, 0), (300, 80), (220, 80)], close=True,
                                dxfattribs={"const_width": 4})
    closed.dxf.const_width = 4
    # lineweights: the entity's, the layer's
    doc.layers.add("heavy", lineweight=100)
    msp.add_line((220, 120), (320, 120), dxfattribs={"lineweight": 50})
    msp.add_line((220, 150), (320, 190), dxfattribs={"layer": "heavy"})
    msp.add_circle((270, 240), 30, dxfattribs={"lineweight": 70})
    doc.saveas(path)


def meshes_drawing(path):
    doc = new_doc()
    msp = doc.modelspace()
    # A polyface mesh: a box seen from above (its top, bottom and four sides)
    # and a pyramid of triangles beside it.
    box = msp.add_polyface()
    lo, hi = (0, 0), (100, 60)
    corners = [(lo[0], lo[1]), (hi[0], lo[1]), (hi[0], hi[1]), (lo[0], hi[1])]
    box.append_face([(x, y, 0) for x, y in corners])
    box.append_face([(x + 20, y + 15, 40) for x, y in corners])
    for i in range(4):
        (x0, y0), (x1, y1) = corners[i], corners[(i + 1) % 4]
        box.append_face([(x0, y0, 0), (x1, y1, 0), (x1 + 20, y1 + 15, 40), (x0 + 20, y0 + 15, 40)])
    pyramid = msp.add_polyface()
    apex = (180, 30, 50)
    base = [(140, 0, 0), (220, 0, 0), (220, 60, 0), (140, 60, 0)]
    for i in range(4):
        pyramid.append_face([base[i], base[(i + 1) % 4], apex])
    # A polygon mesh of 6 x 5 vertices: a wavy surface, its grid of edges.
    grid = msp.add_polymesh(size=(6, 5))
    for m in range(6):
        for n in range(5):
            grid.set_mesh_vertex((m, n), (m * 30 + 4 * math.sin(n), 100 + n * 25 + 5 * math.sin(m), 10 * math.cos(m + n)))
    # A MESH: a strip of quads and triangles.
    mesh = msp.add_mesh()
    with mesh.edit_data() as data:
        data.vertices = [(x * 40, 240 + (x % 2) * 10, 0) for x in range(6)] + [(x * 40, 300, 0) for x in range(6)]
        data.faces = [(0, 1, 7, 6), (1, 2, 8, 7), (2, 3, 9), (3, 10, 9), (3, 4, 11, 10), (4, 5, 11)]
    doc.saveas(path)


def solid_hatches_drawing(path):
    """Solid hatches as CAD programs write them: each carries a gradient
    record whose group 450 is 0 (not a gradient), with colours that are not
    the fill's; and edge boundaries with an arc past 360 degrees and a
    clockwise half ellipse."""
    doc = new_doc()
    msp = doc.modelspace()
    doc.layers.add("walls", color=7)
    doc.layers.add("red", color=1)

    def solid(layer, points, color=256):
        hatch = msp.add_hatch(color=color, dxfattribs={"layer": layer})
        hatch.set_gradient((0, 0, 255), (255, 255, 0))
        hatch.gradient.kind = 0  # unused: a solid fill
        hatch.paths.add_polyline_path(points, is_closed=True, flags=1)
        return hatch

    solid("walls", [(0, 0), (100, 0), (100, 20), (0, 20)])
    solid("walls", [(0, 20), (20, 20), (20, 100), (0, 100)])
    solid("red", [(40, 40), (100, 40), (100, 100), (40, 100)])
    solid("walls", [(120, 0), (160, 0), (160, 40), (120, 40)], color=3)
    edges = msp.add_hatch(dxfattribs={"layer": "walls"})
    edges.set_gradient((0, 0, 255), (255, 255, 0))
    edges.gradient.kind = 0
    boundary = edges.paths.add_edge_path(flags=1)
    boundary.add_line((115, 110), (125, 110))
    boundary.add_line((125, 110), (125, 100))
    boundary.add_ellipse((120, 100), (5, 0), ratio=1, start_angle=180, end_angle=360, ccw=False)
    boundary.add_line((115, 100), (115, 110))
    arc = msp.add_hatch(color=5)
    arc_path = arc.paths.add_edge_path(flags=1)
    start, end = 348.7, 472.9
    arc_path.add_arc((160, 80), 15, start_angle=start, end_angle=end, ccw=True)
    a, b = math.radians(end), math.radians(start)
    arc_path.add_line((160 + 15 * math.cos(a), 80 + 15 * math.sin(a)), (160 + 15 * math.cos(b), 80 + 15 * math.sin(b)))
    doc.saveas(path)


def scripts_drawing(path):
    """The diameter sign, which no Windows code page holds, in dimension-like
    texts, and texts in Hebrew, Vietnamese, Romanian and Japanese."""
    doc = new_doc()
    msp = doc.modelspace()
    texts = ["\u220545,6", "\u220580 H7", "\u05e9\u05dc\u05d5\u05dd", "Vi\u1ec7t Nam \u01a0",
             "\u0218tefan \u021aar\u0103", "\u58c1 \u220580"]
    for row, text in enumerate(texts):
        msp.add_text(text, dxfattribs={"height": 5, "insert": (0, -row * 10)})
    doc.saveas(path)


DRAWINGS = [
    ("linetypes", linetypes_drawing, False),
    ("hatches", hatches_drawing, False),
    ("widths", widths_drawing, True),
    ("meshes", meshes_drawing, False),
    ("solid_hatches", solid_hatches_drawing, False),
    ("scripts", scripts_drawing, False),
]


def compare(kasanemi_cad, workdir):
    os.makedirs(workdir, exist_ok=True)
    failures = 0
    for name, make, lineweights in DRAWINGS:
        dxf = os.path.join(workdir, name + ".dxf")
        ours = os.path.join(workdir, name + ".ours.png")
        theirs = os.path.join(workdir, name + ".ezdxf.png")
        make(dxf)
        run = subprocess.run([kasanemi_cad, "--render", dxf, ours, "--size", str(SIZE)], capture_output=True,
                             text=True, timeout=120)
        if run.returncode != 0:
            print(f"{name}: kasanemi-cad --render failed ({run.returncode}): {run.stderr.strip()}")
            failures += 1
            continue
        ezdxf_png(dxf, theirs, SIZE, lineweights)
        score = f1(ours, theirs)
        required = REQUIRED_F1_TEXT if name == "scripts" else REQUIRED_F1
        colours = colour_overlap(ours, theirs)
        good = score >= required and colours >= REQUIRED_COLOUR
        verdict = "ok" if good else "DIFFERS"
        print(f"{name}: F1 {score:.3f}, colours {colours:.3f} ({verdict}; pictures in {workdir})")
        failures += not good
    return 1 if failures else 0


def main(argv):
    if len(argv) >= 3 and argv[1] == "compare":
        return compare(argv[2], argv[3] if len(argv) > 3 else "ezdxf-compare")
    if len(argv) >= 4 and argv[1] == "cpu":
        load, draw = ezdxf_pillow_cpu(argv[2], argv[3], int(argv[4]) if len(argv) > 4 else 1600)
        print(f"ezdxf cpu: read {load:.2f} s, draw {draw:.2f} s")
        return 0
    if len(argv) >= 4 and argv[1] == "render":
        load, draw = ezdxf_png(argv[2], argv[3], int(argv[4]) if len(argv) > 4 else SIZE, True)
        print(f"ezdxf cpu: read {load:.2f} s, draw {draw:.2f} s")
        return 0
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
