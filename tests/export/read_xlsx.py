#!/usr/bin/python3
"""Reads a workbook with independent readers and prints what it holds as JSON.

openpyxl reads the sheets, cell values, borders and column widths; the
drawings (pictures and text boxes, which openpyxl does not keep for WMF) are
read straight from the package with zipfile and ElementTree. A workbook either
reader refuses makes the script fail with a message on stderr.
"""
import json
import posixpath
import sys
import zipfile
import xml.etree.ElementTree as ET

import openpyxl

NS = {
    "m": "http://schemas.openxmlformats.org/spreadsheetml/2006/main",
    "r": "http://schemas.openxmlformats.org/officeDocument/2006/relationships",
    "pr": "http://schemas.openxmlformats.org/package/2006/relationships",
    "ct": "http://schemas.openxmlformats.org/package/2006/content-types",
    "xdr": "http://schemas.openxmlformats.org/drawingml/2006/spreadsheetDrawing",
    "a": "http://schemas.openxmlformats.org/drawingml/2006/main",
}
EMU_PER_POINT = 12700


def rels(zf, part):
    folder, name = posixpath.split(part)
    path = posixpath.join(folder, "_rels", name + ".rels")
    if path not in zf.namelist():
        return {}
    root = ET.fromstring(zf.read(path))
    return {r.get("Id"): posixpath.normpath(posixpath.join(folder, r.get("Target")))
            for r in root.findall("pr:Relationship", NS)}


def drawing_shapes(zf, drawing_part, content_types):
    root = ET.fromstring(zf.read(drawing_part))
    targets = rels(zf, drawing_part)
    shapes = []
    for anchor in root:
        kind = anchor.tag.split("}")[1]
        shape = {"anchor": kind, "editAs": anchor.get("editAs", "twoCell")}
        pic = anchor.find("xdr:pic", NS)
        sp = anchor.find("xdr:sp", NS)
        node = pic if pic is not None else sp
        off = node.find("xdr:spPr/a:xfrm/a:off", NS)
        ext = node.find("xdr:spPr/a:xfrm/a:ext", NS)
        shape.update(left=int(off.get("x")) / EMU_PER_POINT, top=int(off.get("y")) / EMU_PER_POINT,
                     width=int(ext.get("cx")) / EMU_PER_POINT, height=int(ext.get("cy")) / EMU_PER_POINT)
        frm = anchor.find("xdr:from", NS)
        shape["from"] = [int(frm.find("xdr:col", NS).text), int(frm.find("xdr:row", NS).text)]
        if pic is not None:
            shape["kind"] = "picture"
            embed = pic.find("xdr:blipFill/a:blip", NS).get("{%s}embed" % NS["r"])
            media = targets[embed]
            ext_name = media.rsplit(".", 1)[1]
            shape["contentType"] = content_types.get(ext_name)
            shape["mediaBytes"] = len(zf.read(media))
            ln = pic.find("xdr:spPr/a:ln", NS)
            if ln is not None and ln.find("a:solidFill", NS) is not None:
                shape["outline"] = int(ln.get("w")) / EMU_PER_POINT
                shape["outlineColor"] = ln.find("a:solidFill/a:srgbClr", NS).get("val")
            else:
                shape["outline"] = None
        else:
            shape["kind"] = "textbox" if sp.find("xdr:nvSpPr/xdr:cNvSpPr", NS).get("txBox") == "1" else "shape"
            paragraphs = sp.findall("xdr:txBody/a:p", NS)
            shape["text"] = "\n".join("".join(t.text or "" for t in p.findall(".//a:t", NS)) for p in paragraphs)
            shape["align"] = [p.find("a:pPr", NS).get("algn") for p in paragraphs]
            sizes = {r.get("sz") for r in sp.findall(".//a:rPr", NS)}
            shape["fontSizes"] = sorted(int(s) / 100 for s in sizes if s)
        shapes.append(shape)
    return shapes


def main(path):
    book = openpyxl.load_workbook(path)
    out = {"sheets": book.sheetnames, "active": book.active.title, "cells": {}, "borders": {}, "widths": {},
           "shapes": {}, "notes": {}, "looks": {}, "frozen": {}, "printTitles": {}}
    for ws in book.worksheets:
        cells = []
        borders = []
        notes = {}
        looks = {}
        for row in ws.iter_rows():
            cells.append([c.value for c in row])
            borders.append([all(getattr(c.border, edge).style == "thin" for edge in ("left", "right", "top", "bottom"))
                            for c in row])
            for c in row:
                if c.comment is not None:
                    notes[c.coordinate] = c.comment.text
                look = {}
                if c.font.i:
                    look["italic"] = True
                if c.font.b:
                    look["bold"] = True
                if c.font.color is not None and c.font.color.type == "rgb":
                    look["font"] = c.font.color.rgb
                if c.fill.fill_type == "solid":
                    look["fill"] = c.fill.fgColor.rgb
                if look:
                    looks[c.coordinate] = look
        out["cells"][ws.title] = cells
        out["borders"][ws.title] = borders
        out["widths"][ws.title] = {k: d.width for k, d in ws.column_dimensions.items() if d.customWidth}
        out["notes"][ws.title] = notes
        out["looks"][ws.title] = looks
        out["frozen"][ws.title] = ws.freeze_panes
        out["printTitles"][ws.title] = [ws.print_title_rows, ws.print_title_cols]

    with zipfile.ZipFile(path) as zf:
        bad = zf.testzip()
        if bad:
            raise SystemExit("damaged entry " + bad)
        ct_root = ET.fromstring(zf.read("[Content_Types].xml"))
        content_types = {d.get("Extension"): d.get("ContentType") for d in ct_root.findall("ct:Default", NS)}
        wb_root = ET.fromstring(zf.read("xl/workbook.xml"))
        wb_rels = rels(zf, "xl/workbook.xml")
        for sheet in wb_root.findall("m:sheets/m:sheet", NS):
            sheet_part = wb_rels[sheet.get("{%s}id" % NS["r"])]
            sheet_rels = rels(zf, sheet_part)
            drawing = ET.fromstring(zf.read(sheet_part)).find("m:drawing", NS)
            shapes = []
            if drawing is not None:
                shapes = drawing_shapes(zf, sheet_rels[drawing.get("{%s}id" % NS["r"])], content_types)
            out["shapes"][sheet.get("name")] = shapes
    json.dump(out, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main(sys.argv[1])
