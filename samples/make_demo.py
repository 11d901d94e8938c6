#!/usr/bin/python3
"""Makes samples/demo.dxf, the drawing the demo opens: a small floor plan on
ten layers with Japanese and ASCII names in mixed states (one off, one frozen,
one locked), with lines, arcs, circles, texts, a block inserted several times,
a hatch and a dimension.

    /usr/bin/python3 samples/make_demo.py [OUT.dxf]

The same script always writes the same drawing (fixed handles and header
stamps), so the committed file can be checked against it.
"""
import io
import re
import sys

import ezdxf
from ezdxf.enums import TextEntityAlignment

OUT = sys.argv[1] if len(sys.argv) > 1 else "samples/demo.dxf"

doc = ezdxf.new("R2000", setup=True)
doc.encoding = "cp932"  # written as $DWGCODEPAGE ANSI_932
# Fixed stamps so that the file does not change from run to run.
for var in ("$TDCREATE", "$TDUCREATE"):
    doc.header[var] = 2461000.0
doc.header["$FINGERPRINTGUID"] = "{00000000-0000-0000-0000-000000000001}"

LAYERS = [
    # name, colour, linetype, state
    ("壁", 7, "Continuous", ""),
    ("建具", 3, "Continuous", ""),
    ("寸法", 1, "Continuous", ""),
    ("通り芯", 6, "CENTER", ""),
    ("家具", 30, "Continuous", ""),
    ("設備-電気", 4, "DASHED", "off"),
    ("ハッチ", 8, "Continuous", ""),
    ("文字", 2, "Continuous", "locked"),
    ("Notes", 5, "Continuous", "frozen"),
    ("Defpoints", 7, "Continuous", ""),
]
for name, colour, linetype, state in LAYERS:
    if name in doc.layers:  # ezdxf's new drawing already holds Defpoints
        layer = doc.layers.get(name)
        layer.color, layer.dxf.linetype = colour, linetype
    else:
        layer = doc.layers.add(name, color=colour, linetype=linetype)
    if state == "off":
        layer.off()
    elif state == "frozen":
        layer.freeze()
    elif state == "locked":
        layer.lock()
doc.header["$CLAYER"] = "壁"

msp = doc.modelspace()

# Grid lines (通り芯) every 3600 in both directions.
for x in (0, 3600, 7200):
    msp.add_line((x, -1000), (x, 8200), dxfattribs={"layer": "通り芯"})
for y in (0, 3600, 7200):
    msp.add_line((-1000, y), (8200, y), dxfattribs={"layer": "通り芯"})

# Outer and inner walls (壁) as closed polylines.
msp.add_lwpolyline([(0, 0), (7200, 0), (7200, 7200), (0, 7200)], close=True,
                   dxfattribs={"layer": "壁", "const_width": 150})
msp.add_line((3600, 0), (3600, 2700), dxfattribs={"layer": "壁"})
msp.add_line((3600, 3600), (3600, 7200), dxfattribs={"layer": "壁"})
msp.add_line((0, 3600), (2700, 3600), dxfattribs={"layer": "壁"})

# A door block: leaf and swing arc, inserted four times (建具).
door = doc.blocks.new(name="DOOR")
door.add_line((0, 0), (900, 0), dxfattribs={"layer": "0"})
door.add_arc((0, 0), 900, 0, 90, dxfattribs={"layer": "0"})
for insert, rotation in (((3600, 2700), 90), ((2700, 3600), 0), ((1000, 0), 90), ((5000, 7200), 270)):
    msp.add_blockref("DOOR", insert, dxfattribs={"layer": "建具", "rotation": rotation})

# Furniture (家具): a table with chairs, and a round table.
msp.add_lwpolyline([(4500, 4500), (6300, 4500), (6300, 5400), (4500, 5400)], close=True,
                   dxfattribs={"layer": "家具"})
for cx in (4900, 5900):
    msp.add_circle((cx, 4100), 250, dxfattribs={"layer": "家具"})
    msp.add_circle((cx, 5800), 250, dxfattribs={"layer": "家具"})
msp.add_circle((1800, 5400), 600, dxfattribs={"layer": "家具"})

# Electrical points (設備-電気, switched off in the drawing).
for x, y in ((600, 600), (6600, 600), (600, 6600), (6600, 6600)):
    msp.add_circle((x, y), 120, dxfattribs={"layer": "設備-電気"})
    msp.add_line((x - 120, y), (x + 120, y), dxfattribs={"layer": "設備-電気"})

# A solid hatch in the bath corner (ハッチ).
hatch = msp.add_hatch(color=8, dxfattribs={"layer": "ハッチ"})
hatch.paths.add_polyline_path([(3700, 100), (7100, 100), (7100, 2600), (3700, 2600)], is_closed=True)

# Room names (文字, locked) and a note (Notes, frozen).
for text, (x, y) in (("居間", (5400, 6200)), ("寝室", (1800, 1800)), ("浴室", (5400, 1300)),
                     ("書斎", (1800, 6600))):
    msp.add_text(text, dxfattribs={"layer": "文字", "height": 300}).set_placement(
        (x, y), align=TextEntityAlignment.MIDDLE_CENTER)
msp.add_mtext("Kasanemi demo plan\\P1:100", dxfattribs={"layer": "Notes", "char_height": 200}).set_location((0, -1500))

# A linear dimension along the bottom wall (寸法).
dim = msp.add_linear_dim(base=(0, -600), p1=(0, 0), p2=(7200, 0), dxfattribs={"layer": "寸法"})
dim.render()

# ezdxf stamps the time and a new GUID when writing; pin them so the same
# script always gives the same bytes.
stream = io.StringIO()
doc.write(stream)
text = stream.getvalue()
text = re.sub(r"(\$TDUPDATE\n 40\n)[0-9.]+", r"\g<1>2461000.0", text)
text = re.sub(r"(\$TDUUPDATE\n 40\n)[0-9.]+", r"\g<1>2461000.0", text)
text = re.sub(r"(\$VERSIONGUID\n  2\n)\{[0-9A-F-]+\}", r"\g<1>{00000000-0000-0000-0000-000000000002}", text)
text = re.sub(r"(\d+\.\d+\.\d+) @ [0-9T:.+-]+", r"\g<1> @ 2026-01-01T00:00:00+00:00", text)
with open(OUT, "wb") as out:
    out.write(text.encode("cp932"))
print(f"wrote {OUT}")
