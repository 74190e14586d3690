#!/usr/bin/python3
"""Writes the bundled example workbooks.

hills_mesh.xlsx / hills_mesh.xls: a 40 x 30 mesh of a hilly survey area (x 0..390 m,
y 290..0 m) with two hills, a hollow and a gentle slope; five nodes have no reading (empty
cells). hills_points.xlsx / hills_points.xls: 60 scattered observations of the same area.

Needs Debian's python3-openpyxl and python3-xlwt. Run: /usr/bin/python3 make_examples.py
The output is deterministic (fixed seed), so re-running it reproduces the committed files'
cell contents.
"""

import math
import os
import random

import openpyxl
import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))
NX, NY = 40, 30
XS = [10.0 * j for j in range(NX)]
YS = [290.0 - 10.0 * i for i in range(NY)]
BLANKS = {(4, 7), (4, 8), (5, 7), (18, 30), (27, 3)}  # (row, column) of nodes without reading
PARAMETERS = [  # (row, label, value) in column B
    (13, "membrane weight", 1.0),
    (14, "curvature weight", 1.0),
    (15, "data weight", 10.0),
    (19, "over-relaxation factor", 1.5),
    (20, "convergence limit", 1e-06),
]


def height(x, y):
    """A landscape: two hills, a hollow and a slope, in metres."""
    hill1 = 38.0 * math.exp(-((x - 110) ** 2 + (y - 190) ** 2) / (2 * 55.0 ** 2))
    hill2 = 26.0 * math.exp(-((x - 300) ** 2 + (y - 80) ** 2) / (2 * 45.0 ** 2))
    hollow = -14.0 * math.exp(-((x - 250) ** 2 + (y - 230) ** 2) / (2 * 35.0 ** 2))
    return round(100.0 + 0.04 * x - 0.03 * y + hill1 + hill2 + hollow, 2)


def mesh_cells():
    """(row, column, value) of every cell of the mesh sheet, 1-based."""
    cells = [(1, 1, "Hills survey area: ground heights (m)"), (3, 5, "columns"), (3, 6, NX),
             (5, 3, "rows"), (5, 4, NY)]
    for row, label, value in PARAMETERS:
        cells += [(row, 1, label), (row, 2, value)]
    for j, x in enumerate(XS, start=1):
        cells.append((4, j + 6, x))
    for i, y in enumerate(YS, start=1):
        cells.append((i + 5, 5, y))
        for j, x in enumerate(XS, start=1):
            if (i, j) not in BLANKS:
                cells.append((i + 5, j + 6, height(x, y)))
    return cells


def point_cells():
    rng = random.Random(20261206)
    cells = [(1, 1, "Hills survey area: levelling points"), (2, 3, "x"), (2, 4, "y"),
             (2, 5, "height"), (3, 1, 60)]
    for k in range(1, 61):
        x = round(rng.uniform(5, 385), 1)
        y = round(rng.uniform(5, 285), 1)
        value = round(height(x, y) + rng.gauss(0, 0.4), 2)
        cells += [(k + 2, 3, x), (k + 2, 4, y), (k + 2, 5, value)]
    return cells


def write_xlsx(path, title, cells):
    book = openpyxl.Workbook()
    sheet = book.active
    sheet.title = title
    for row, col, value in cells:
        sheet.cell(row=row, column=col, value=value)
    book.save(path)


def write_xls(path, title, cells):
    book = xlwt.Workbook()
    sheet = book.add_sheet(title)
    for row, col, value in cells:
        sheet.write(row - 1, col - 1, value)
    book.save(path)


def main():
    for name, title, cells in (("hills_mesh", "mesh", mesh_cells()),
                               ("hills_points", "points", point_cells())):
        write_xlsx(os.path.join(HERE, name + ".xlsx"), title, cells)
        write_xls(os.path.join(HERE, name + ".xls"), title, cells)


if __name__ == "__main__":
    main()
