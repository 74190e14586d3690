#!/usr/bin/python3
"""Checks `ombrix setcells` on .xlsx workbooks with an independent reader (openpyxl).

For each workbook, every first cell of a shared formula on the active sheet is overwritten in
turn (and, once, node (1, 1) at G6 with its grey mark); openpyxl then reads the workbook before
and after. Every cell of every sheet must hold the same formula (openpyxl spells each cell of a
shared formula out, translated, by its own rules) or value and the same number format and fill,
except the cells written. A write that ombrix refuses must leave the file byte for byte as it was.

    /usr/bin/python3 scripts/check_xlsx_writeback.py [--ombrix build/ombrix] [--libreoffice]
                     [WORKBOOK ...]

With --libreoffice, LibreOffice (headless) reads both files too, as flat OpenDocument: every
cell must keep its formula as LibreOffice spells it, or its value when it holds no formula.
Needs python3-openpyxl (Debian package). Exit status 0 when every workbook checks.
"""

import argparse
import filecmp
import os
import shutil
import subprocess
import sys
import tempfile

import openpyxl

HERE = os.path.dirname(os.path.abspath(__file__))
FIXTURES = os.path.join(HERE, "..", "tests", "fixtures")
DEFAULT_BOOKS = [
    "realworld/phpspreadsheet__ignoreerror.xlsx",
    "realworld/phpspreadsheet__issue.3909b.xlsx",
    "realworld/phpspreadsheet__sharedformulae.xlsx",
    "realworld/openpyxl__formulae.xlsx",
    "realworld/calamine__nonstandard-xml-ns-prefix.xlsx",
    "realworld/phpspreadsheet__issue.2246b.xlsx",
    "mesh_formulas.lo.xlsx",
    "crafted_xlsx/shared_2d.xlsx",
]


def dump(path):
    """Every cell of every sheet: (value or formula, number format, fill)."""
    book = openpyxl.load_workbook(path)
    cells = {}
    for sheet in book.worksheets:
        for row in sheet.iter_rows():
            for c in row:
                if c.value is None and not c.has_style:
                    continue
                fill = c.fill.patternType if c.fill is not None else None
                colour = c.fill.fgColor.indexed if fill == "solid" else None
                cells[(sheet.title, c.coordinate)] = (c.value, c.number_format, fill, colour)
    return book.active.title, cells


def libreoffice_cells(path, folder):
    """Every cell of every sheet as LibreOffice reads it: its formula, else its value."""
    import xml.etree.ElementTree as ET

    out_dir = os.path.join(folder, "lo")
    os.makedirs(out_dir, exist_ok=True)
    subprocess.run(["soffice", "--headless", "--norestore", "--convert-to", "fods", "--outdir",
                    out_dir, path], capture_output=True, check=True, timeout=120)
    fods = os.path.join(out_dir, os.path.splitext(os.path.basename(path))[0] + ".fods")
    ns = {"table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
          "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
          "text": "urn:oasis:names:tc:opendocument:xmlns:text:1.0"}
    t = "{%s}" % ns["table"]
    o = "{%s}" % ns["office"]
    cells = {}
    for sheet in ET.parse(fods).getroot().iter(t + "table"):
        name = sheet.get(t + "name")
        row = 0
        for r in sheet.iter(t + "table-row"):
            rows = int(r.get(t + "number-rows-repeated", "1"))
            col = 0
            for c in r:
                cols = int(c.get(t + "number-columns-repeated", "1"))
                formula = c.get(t + "formula")
                value = c.get(o + "value") or "".join(c.itertext())
                if (formula or value) and rows * cols <= 64:
                    for i in range(rows):
                        for j in range(cols):
                            key = (name, openpyxl.utils.get_column_letter(col + j + 1) + str(row + i + 1))
                            cells[key] = formula or value
                col += cols
            row += rows
    os.remove(fods)
    return cells


def shared_anchors(path):
    """The first cells of the shared formulas of the active sheet, as (row, column)."""
    import re
    import zipfile

    book = openpyxl.load_workbook(path)
    index = book.worksheets.index(book.active)
    with zipfile.ZipFile(path) as z:
        names = sorted(n for n in z.namelist() if re.match(r"xl/worksheets/sheet\d+\.xml$", n))
        # openpyxl's sheet order follows workbook.xml; map through its relationship targets.
        rels = z.read("xl/_rels/workbook.xml.rels").decode("utf-8")
        wb = z.read("xl/workbook.xml").decode("utf-8")
        ids = re.findall(r'<(?:\w+:)?sheet\b[^>]*?\br:id="([^"]+)"', wb)
        targets = dict(re.findall(r'Id="([^"]+)"[^>]*?Target="([^"]+)"', rels))
        targets.update({k: v for v, k in re.findall(r'Target="([^"]+)"[^>]*?Id="([^"]+)"', rels)})
        part = targets.get(ids[index], names[0]) if index < len(ids) else names[0]
        part = part.lstrip("/")
        if not part.startswith("xl/"):
            part = "xl/" + part
        xml = z.read(part).decode("utf-8")
    anchors = []
    for ref in re.findall(r'<(?:\w+:)?c r="([A-Z]+\d+)"[^>]*>\s*<(?:\w+:)?f [^>]*t="shared"[^>]*ref=', xml):
        col, row = openpyxl.utils.cell.coordinate_from_string(ref)
        anchors.append((row, openpyxl.utils.cell.column_index_from_string(col)))
    return anchors


def check(ombrix, source, cells, mark, libreoffice):
    """Writes 7.75 into each of `cells`; returns a list of problems."""
    problems = []
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, os.path.basename(source))
        shutil.copyfile(source, path)
        before_active, before = dump(path)
        lo_before = libreoffice_cells(path, folder) if libreoffice else {}
        args = [f"{r},{c},7.75" + (",mark" if mark else "") for r, c in cells]
        run = subprocess.run([ombrix, "setcells", path] + args, capture_output=True, text=True)
        what = f"{os.path.basename(source)} {' '.join(args)}"
        if run.returncode != 0:
            if not filecmp.cmp(source, path, shallow=False):
                problems.append(f"{what}: refused but the file changed")
            print(f"refused  {what}: {run.stdout.strip()}{run.stderr.strip()}")
            return problems
        _, after = dump(path)
        written = {(before_active, openpyxl.utils.get_column_letter(c) + str(r)) for r, c in cells}
        for key in sorted(set(before) | set(after)):
            was, now = before.get(key), after.get(key)
            if key in written:
                if now is None or now[0] != 7.75:
                    problems.append(f"{what}: {key} holds {now}, not 7.75")
                if mark and (now is None or now[2] != "solid" or now[3] != 23):
                    problems.append(f"{what}: {key} is not filled grey: {now}")
                continue
            if was != now:
                problems.append(f"{what}: {key} was {was}, is {now}")
        if libreoffice:
            lo_after = libreoffice_cells(path, folder)
            for key in sorted(set(lo_before) | set(lo_after)):
                if key not in written and lo_before.get(key) != lo_after.get(key):
                    problems.append(f"{what}: LibreOffice reads {key} as {lo_after.get(key)}, "
                                    f"was {lo_before.get(key)}")
            print(f"written  {what}: {len(before)} cells compared, {len(lo_before)} by LibreOffice")
        else:
            print(f"written  {what}: {len(before)} cells compared")
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--ombrix", default=os.path.join(HERE, "..", "build", "ombrix"))
    parser.add_argument("--libreoffice", action="store_true")
    parser.add_argument("workbooks", nargs="*")
    options = parser.parse_args()
    books = options.workbooks or [os.path.join(FIXTURES, b) for b in DEFAULT_BOOKS]
    problems = []
    for book in books:
        for anchor in shared_anchors(book):
            problems += check(options.ombrix, book, [anchor], False, options.libreoffice)
        problems += check(options.ombrix, book, [(6, 7)], True, options.libreoffice)
    for p in problems:
        print("PROBLEM", p)
    print(f"{len(books)} workbooks, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
