#!/usr/bin/python3
"""Whole-drawing pictures of every sample DWG against its reference DXF.

Both are drawn by `kasanemi-cad --render` (every layer but the current one
switched on, as a refresh does), so what differs is what the DWG reading
differs in. The ink must agree with a pixel of tolerance: F1 of at least 0.9,
scored as tests/cad/render/ezdxf_compare.py scores ours against ezdxf's.

usage: dwg_pictures_compare.py KASANEMI_CAD SAMPLES_DWG WORKDIR
Exit 0 when every picture agrees (or differs as listed below), 1 otherwise,
77 without numpy and Pillow.
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cad", "render"))
from ezdxf_compare import REQUIRED_F1, Image, f1, ink, numpy  # noqa: E402  (exits 77 without its modules)

SIZE = 800
# Pictures known to differ, and why.
KNOWN = {
    # The library crashes on it: no picture (DwgBadInputTest).
    "libredwg_example_2004": "the library cannot read it",
    # The 25 proxy objects the library drops are most of the drawing's ink.
    "libredwg_2013_gh109_1": "25 proxy objects of an add-on are dropped",
}


def blackened(png):
    """The picture with every pixel that is not white as black ink: our
    pictures draw in the layers' colours (cyan and yellow are lighter than the
    scorer's ink threshold)."""
    pixels = numpy.asarray(Image.open(png).convert("RGB")).astype(int)
    ink = (255 - pixels).max(axis=2) > 40
    out = png[:-4] + ".ink.png"
    Image.fromarray(numpy.where(ink, 0, 255).astype(numpy.uint8)).save(out)
    return out


def render(cad, drawing, out):
    run = subprocess.run([cad, "--render", drawing, out, "--size", str(SIZE)],
                         capture_output=True, text=True, timeout=300)
    return run.returncode == 0, run.stderr.strip()


def main(argv):
    if len(argv) != 4:
        print(__doc__)
        return 2
    cad, samples, workdir = argv[1:]
    os.makedirs(workdir, exist_ok=True)
    failures = 0
    for name in sorted(f[:-4] for f in os.listdir(samples) if f.endswith(".dwg")):
        reference = os.path.join(samples, name + ".dxf")
        if not os.path.exists(reference):
            continue
        ours_png = os.path.join(workdir, name + ".dwg.png")
        theirs_png = os.path.join(workdir, name + ".dxf.png")
        ok, message = render(cad, os.path.join(samples, name + ".dwg"), ours_png)
        ref_ok, ref_message = render(cad, reference, theirs_png)
        if not ref_ok:
            print(f"{name}: the reference DXF does not draw: {ref_message}")
            failures += 1
            continue
        ours_ink, theirs_ink = (blackened(ours_png), blackened(theirs_png)) if ok else (None, None)
        if ok and ink(ours_ink).size == 0 and ink(theirs_ink).size == 0:
            score = 1.0  # both blank: the drawing has nothing in model space
        else:
            score = f1(ours_ink, theirs_ink) if ok else 0.0
        verdict = "ok" if score >= REQUIRED_F1 else ("known: " + KNOWN[name] if name in KNOWN else "DIFFERS")
        print(f"{name}: F1 {score:.3f} ({verdict}){'' if ok else ' - ' + message}")
        failures += score < REQUIRED_F1 and name not in KNOWN
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
