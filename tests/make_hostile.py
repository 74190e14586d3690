#!/usr/bin/python3
"""Writes small workbooks that claim a great deal, to try that reading them stays bounded:

- many_sheets.xlsx / many_sheets.xls: 100,000 sheets (the first, active, is empty);
- many_strings.xlsx: a shared-string table of 2,000,000 items, of which the sheet shows one;
- many_strings.xls: an SST of 1,500,000 empty strings, of which the sheet shows one;
- one_string_many_cells.xlsx: one 64 KB shared string shown by 1,000,000 cells;
- one_string_many_cells.xls: one 8,000-character string shown by 350,000 cells;
- many_cells.xlsx: 17.9 million one-digit cells, a sheet part just under the 256 MiB that a
  reader unpacks, from a file of a few megabytes.

Read naively (every sheet, every string, a copy of the text per cell) each costs gigabytes.
Run it as `make_hostile.py FOLDER`; it writes (or overwrites) the files there. The tests make
them at test time into the build tree, as they are megabytes each. It needs only the standard
library: the .xls files are wrapped in a compound file written here.
"""

import os
import random
import sys
import struct
import zipfile

NS = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG = "http://schemas.openxmlformats.org/package/2006/relationships"
CT = "application/vnd.openxmlformats-officedocument.spreadsheetml"


def column_name(n):
    name = ""
    while n:
        n, r = divmod(n - 1, 26)
        name = chr(65 + r) + name
    return name


def write_xlsx(path, sheet_count, sheet_xml, sst_xml, level=9):
    """An .xlsx whose sheet 1 (active) holds `sheet_xml`; sheets 2.. are named but absent."""
    sheets = "".join(f'<sheet name="S{i}" sheetId="{i}" r:id="rId{i + 10}"/>'
                     for i in range(1, sheet_count + 1))
    workbook = (f'<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="{NS}" xmlns:r="{REL}">'
                f'<bookViews><workbookView activeTab="0"/></bookViews>'
                f'<sheets>{sheets}</sheets></workbook>')
    rels = [f'<Relationship Id="rId11" Type="{REL}/worksheet" Target="worksheets/sheet1.xml"/>']
    if sst_xml is not None:
        rels.append(f'<Relationship Id="rId1" Type="{REL}/sharedStrings" '
                    f'Target="sharedStrings.xml"/>')
    types = (f'<?xml version="1.0" encoding="UTF-8"?><Types '
             f'xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
             f'<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.'
             f'relationships+xml"/><Default Extension="xml" ContentType="application/xml"/>'
             f'<Override PartName="/xl/workbook.xml" ContentType="{CT}.sheet.main+xml"/></Types>')
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED, compresslevel=level) as z:
        z.writestr("[Content_Types].xml", types)
        z.writestr("_rels/.rels",
                   f'<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="{PKG}">'
                   f'<Relationship Id="rId1" Type="{REL}/officeDocument" '
                   f'Target="xl/workbook.xml"/></Relationships>')
        z.writestr("xl/workbook.xml", workbook)
        z.writestr("xl/_rels/workbook.xml.rels",
                   f'<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="{PKG}">'
                   + "".join(rels) + "</Relationships>")
        if isinstance(sheet_xml, str):
            z.writestr("xl/worksheets/sheet1.xml", sheet_xml)
        else:
            with z.open("xl/worksheets/sheet1.xml", "w") as part:
                for piece in sheet_xml:
                    part.write(piece.encode("ascii"))
        if sst_xml is not None:
            z.writestr("xl/sharedStrings.xml", sst_xml)


def sheet_of(cells):
    return (f'<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="{NS}"><sheetData>'
            + cells + "</sheetData></worksheet>")


def text_cells(count, columns):
    """`count` cells of shared string 0, `columns` to a row."""
    rows = []
    for r in range(1, count // columns + 1):
        rows.append(f'<row r="{r}">' + "".join(
            f'<c r="{column_name(c)}{r}" t="s"><v>0</v></c>' for c in range(1, columns + 1))
            + "</row>")
    return "".join(rows)


def tiny_cells(rng, rows, columns):
    """Rows of the smallest cells a sheet can hold, <c><v>1</v></c> or 2 at random (so the part
    compresses well, yet below 200:1), without positions; F3 holds 0. Yields the part piecewise."""
    yield f'<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="{NS}"><sheetData>'
    for r in range(1, rows + 1):
        cells = [("<c><v>1</v></c>", "<c><v>2</v></c>")[b & 1] for b in rng.randbytes(columns)]
        if r == 3:
            cells[5] = "<c><v>0</v></c>"
        yield "<row>" + "".join(cells) + "</row>"
    yield "</sheetData></worksheet>"


def noise(rng, n):
    # Letters at random, so the part does not compress beyond what a ZIP reader accepts.
    return bytes(97 + b % 26 for b in rng.randbytes(n)).decode("ascii")


# --- BIFF8 in a compound file ------------------------------------------------------------------

def record(rtype, body):
    return struct.pack("<HH", rtype, len(body)) + body


def bof(kind):
    return record(0x0809, struct.pack("<HHHHII", 0x0600, kind, 0x0DBB, 0x07CC, 0, 0x0006))


EOF_RECORD = record(0x000A, b"")


def boundsheet(offset, name):
    raw = name.encode("latin-1")
    return record(0x0085, struct.pack("<IBBBB", offset, 0, 0, len(raw), 0) + raw)


def sst_records(strings):
    """SST then CONTINUE records, split only between strings."""
    pieces = [struct.pack("<HB", len(s), 0) + s.encode("latin-1") for s in strings]
    out, body, first = [], struct.pack("<II", len(strings), len(strings)), True
    for p in pieces:
        if len(body) + len(p) > 8224:
            out.append(record(0x00FC if first else 0x003C, body))
            body, first = b"", False
        body += p
    out.append(record(0x00FC if first else 0x003C, body))
    return b"".join(out)


def labelsst_cells(count, columns):
    return b"".join(record(0x00FD, struct.pack("<HHHI", i // columns, i % columns, 15, 0))
                    for i in range(count))


def workbook_stream(sheet_count, strings, cells):
    """Globals with `sheet_count` BOUNDSHEETs (all pointing at the one sheet) and the SST."""
    names = [f"S{i}" for i in range(1, sheet_count + 1)]
    globals_size = (len(bof(5)) + sum(len(boundsheet(0, n)) for n in names)
                    + len(sst_records(strings)) + len(EOF_RECORD))
    globals_part = (bof(5) + b"".join(boundsheet(globals_size, n) for n in names)
                    + sst_records(strings) + EOF_RECORD)
    return globals_part + bof(0x10) + cells + EOF_RECORD


def compound_file(stream):
    """A version 3 compound file (512-byte sectors) holding the one stream "Workbook"."""
    stream = stream.ljust(max(len(stream), 4096), b"\0")
    data_sectors = (len(stream) + 511) // 512
    fat_sectors = 1
    while fat_sectors * 128 < data_sectors + 1 + fat_sectors:
        fat_sectors += 1
    if fat_sectors > 109:
        raise SystemExit("stream too long for a header-only FAT list")
    dir_sector = data_sectors
    fat = list(range(1, data_sectors)) + [0xFFFFFFFE, 0xFFFFFFFE] + [0xFFFFFFFD] * fat_sectors
    fat += [0xFFFFFFFF] * (fat_sectors * 128 - len(fat))
    difat = list(range(data_sectors + 1, data_sectors + 1 + fat_sectors))
    difat += [0xFFFFFFFF] * (109 - len(difat))
    header = (b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + b"\0" * 16
              + struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6) + b"\0" * 6
              + struct.pack("<IIIIIIIII", 0, fat_sectors, dir_sector, 0, 4096, 0xFFFFFFFE, 0,
                            0xFFFFFFFE, 0)
              + struct.pack("<109I", *difat))

    def entry(name, kind, child, start, size):
        raw = (name + "\0").encode("utf-16-le")
        return (raw.ljust(64, b"\0") + struct.pack("<HBB", len(raw), kind, 1)
                + struct.pack("<III", 0xFFFFFFFF, 0xFFFFFFFF, child) + b"\0" * 36
                + struct.pack("<IQ", start, size))

    unused = b"\0" * 68 + struct.pack("<III", 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF) + b"\0" * 48
    directory = (entry("Root Entry", 5, 1, 0xFFFFFFFE, 0)
                 + entry("Workbook", 2, 0xFFFFFFFF, 0, len(stream)) + unused * 2)
    body = stream.ljust(data_sectors * 512, b"\0") + directory
    return header + body + struct.pack(f"<{len(fat)}I", *fat)


def main():
    os.chdir(sys.argv[1])
    rng = random.Random(15)
    write_xlsx("many_sheets.xlsx", 100_000, sheet_of(""), None)
    items = "".join(f"<si><t>{noise(rng, 3)}</t></si>" for _ in range(2_000_000))
    write_xlsx("many_strings.xlsx", 1,
               sheet_of('<row r="1"><c r="A1" t="s"><v>1999999</v></c></row>'),
               f'<sst xmlns="{NS}">{items}</sst>')
    write_xlsx("one_string_many_cells.xlsx", 1, sheet_of(text_cells(1_000_000, 100)),
               f'<sst xmlns="{NS}"><si><t>{noise(rng, 65536)}</t></si></sst>')
    write_xlsx("many_cells.xlsx", 1, tiny_cells(rng, 1092, 16384), None, level=1)
    with open("many_sheets.xls", "wb") as f:
        f.write(compound_file(workbook_stream(100_000, ["x"], b"")))
    with open("many_strings.xls", "wb") as f:
        f.write(compound_file(workbook_stream(1, [""] * 1_499_999 + ["x"],
                                              record(0x00FD, struct.pack("<HHHI", 0, 0, 15,
                                                                         1_499_999)))))
    with open("one_string_many_cells.xls", "wb") as f:
        f.write(compound_file(workbook_stream(1, [noise(rng, 8000)],
                                              labelsst_cells(350_000, 256))))


if __name__ == "__main__":
    main()
