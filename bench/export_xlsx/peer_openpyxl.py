#!/usr/bin/python3
"""The peer of the export benchmark: openpyxl writes the same layer table
(headings, numbers, names, counts, thin borders, widths from the text) to a
workbook. openpyxl cannot embed WMF pictures, so the peer writes the table
sheet only. Reads the table as JSON lines on stdin ([no, name, count]);
prints the seconds spent building and saving."""
import json
import sys
import time
import unicodedata

import openpyxl
from openpyxl.styles import Border, Side


def units(text):
    return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in str(text))


def main(out_path):
    rows = [json.loads(line) for line in sys.stdin if line.strip()]
    start = time.perf_counter()
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = "table"
    thin = Side(style="thin")
    border = Border(left=thin, right=thin, top=thin, bottom=thin)
    widths = {}
    for r, row in enumerate([["No", "画層名", "オブジェクト数"]] + rows, start=1):
        for c, value in enumerate(row, start=1):
            cell = sheet.cell(row=r, column=c, value=value)
            cell.border = border
            widths[c] = max(widths.get(c, 0), units(value))
    for c, w in widths.items():
        sheet.column_dimensions[openpyxl.utils.get_column_letter(c)].width = w + 0.71
    book.save(out_path)
    print(f"{time.perf_counter() - start:.6f}")


if __name__ == "__main__":
    main(sys.argv[1])
