#!/usr/bin/env python3
"""Writes the seed pictures of the picture loader's fuzz harness into a folder
(default: tests/fixtures/fuzz/picture next to this script): tiny GIF, JPEG and BMP files in
the layouts their decoders branch on, plus a PNG and a PPM, since the loader reads every
format Qt has. Python's standard library only; the output is the same on every run.

    python3 tests/make_picture_seeds.py [FOLDER]
"""

import heapq
import math
import os
import struct
import sys
import zlib


def pattern(width, height, seed=0):
    """RGB pixels, row by row: gradients with a hard edge, so that every decoder has both
    smooth runs and changes to code."""
    pixels = []
    for y in range(height):
        for x in range(width):
            edge = 255 if (x + seed) % 5 < 2 else 0
            pixels.append(((x * 255) // max(1, width - 1), (y * 255) // max(1, height - 1),
                           edge ^ ((x * y * 37 + seed) & 0x3F)))
    return pixels


# ---- GIF ----------------------------------------------------------------------------------

def lzw(indices, min_code_size):
    """GIF's variable-width LZW with a clear code when the table fills up."""
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    bits = 0
    count = 0

    def emit(code, width):
        nonlocal bits, count
        bits |= code << count
        count += width
        while count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            count -= 8

    def reset():
        return {bytes([i]): i for i in range(clear)}, end + 1, min_code_size + 1

    table, next_code, width = reset()
    emit(clear, width)
    current = b""
    for index in indices:
        grown = current + bytes([index])
        if grown in table:
            current = grown
            continue
        emit(table[current], width)
        if next_code == 4096:
            emit(clear, width)
            table, next_code, width = reset()
        else:
            table[grown] = next_code
            next_code += 1
            if next_code > (1 << width) and width < 12:
                width += 1
        current = bytes([index])
    if current:
        emit(table[current], width)
    emit(end, width)
    if count:
        out.append(bits & 0xFF)
    blocks = bytearray([min_code_size])
    for at in range(0, len(out), 255):
        chunk = out[at:at + 255]
        blocks.append(len(chunk))
        blocks += chunk
    blocks.append(0)
    return bytes(blocks)


def palette_bytes(colours, size_bits):
    entries = list(colours) + [(0, 0, 0)] * ((2 << size_bits) - len(colours))
    return b"".join(bytes(c) for c in entries)


def interlace(rows):
    order = list(range(0, len(rows), 8)) + list(range(4, len(rows), 8)) + \
        list(range(2, len(rows), 4)) + list(range(1, len(rows), 2))
    return [rows[i] for i in order]


def gif(width, height, frames, colours, version=b"GIF89a", extensions=b""):
    """frames: (left, top, w, h, indices, options) with options a dict of 'local' (palette),
    'interlaced', 'transparent' (index) and 'delay'."""
    size_bits = max(1, math.ceil(math.log2(max(2, len(colours))))) - 1
    data = bytearray(version)
    data += struct.pack("<HHBBB", width, height, 0x80 | (size_bits << 4) | size_bits, 0, 0)
    data += palette_bytes(colours, size_bits)
    data += extensions
    for left, top, w, h, indices, options in frames:
        if "transparent" in options or "delay" in options:
            flags = 0x01 if "transparent" in options else 0
            data += b"\x21\xf9\x04" + struct.pack("<BHB", flags | 0x04, options.get("delay", 0),
                                                   options.get("transparent", 0)) + b"\x00"
        packed = 0
        local = options.get("local")
        if local:
            local_bits = max(1, math.ceil(math.log2(max(2, len(local))))) - 1
            packed |= 0x80 | local_bits
        if options.get("interlaced"):
            packed |= 0x40
            rows = [indices[r * w:(r + 1) * w] for r in range(h)]
            indices = [i for row in interlace(rows) for i in row]
        data += b"," + struct.pack("<HHHHB", left, top, w, h, packed)
        if local:
            data += palette_bytes(local, local_bits)
        palette_size = len(local) if local else len(colours)
        data += lzw(indices, max(2, math.ceil(math.log2(max(2, palette_size)))))
    data += b";"
    return bytes(data)


def gif_seeds():
    four = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)]
    yield "plain87a.gif", gif(4, 3, [(0, 0, 4, 3, [0, 1, 2, 3, 3, 2, 1, 0, 0, 0, 1, 1], {})],
                              four, version=b"GIF87a")
    yield "transparent_local.gif", gif(
        6, 5, [(1, 1, 4, 3, [0, 1, 1, 0, 2, 0, 0, 2, 1, 1, 1, 1],
                {"transparent": 0, "local": [(10, 20, 30), (200, 100, 0), (0, 90, 180)]})],
        four)
    yield "interlaced.gif", gif(5, 9, [(0, 0, 5, 9, [(x + y) % 4 for y in range(9)
                                                    for x in range(5)], {"interlaced": True})],
                                four)
    loop = b"\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00" + b"\x21\xfe\x05seeds\x00"
    yield "animated.gif", gif(3, 3, [(0, 0, 3, 3, [0] * 9, {"delay": 10}),
                                     (1, 1, 2, 2, [1, 2, 3, 1], {"delay": 10})],
                              four, extensions=loop)
    # 256 colours and enough distinct strings to grow the codes to 12 bits and clear the table.
    grey = [(i, i, 255 - i) for i in range(256)]
    state = 12345
    noisy = []
    for _ in range(64 * 64):
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        noisy.append((state >> 16) & 0xFF)
    yield "wide_codes.gif", gif(64, 64, [(0, 0, 64, 64, noisy, {})], grey)


# ---- BMP ----------------------------------------------------------------------------------

def bmp(header, palette, pixel_data):
    offset = 14 + len(header) + len(palette)
    return b"BM" + struct.pack("<IHHI", offset + len(pixel_data), 0, 0, offset) + header + \
        palette + pixel_data


def info_header(width, height, bits, compression=0, colours=0, size=40, masks=b"", image=0):
    header = struct.pack("<IiiHHIIiiII", size, width, height, 1, bits, compression, image, 2835,
                         2835, colours, 0) + masks
    return header + b"\x00" * (size - len(header))


def rows_bottom_up(width, height, pack_row, top_down=False):
    out = bytearray()
    order = range(height) if top_down else range(height - 1, -1, -1)
    for y in order:
        row = pack_row(y)
        out += row + b"\x00" * (-len(row) % 4)
    return bytes(out)


def bmp_seeds():
    w, h = 5, 3
    px = pattern(w, h)
    yield "rgb24.bmp", bmp(info_header(w, h, 24), b"", rows_bottom_up(
        w, h, lambda y: b"".join(bytes((b, g, r)) for r, g, b in px[y * w:(y + 1) * w])))

    masks = struct.pack("<IIII", 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
    v5 = info_header(w, h, 32, compression=3, size=124, masks=masks)
    yield "argb32_v5.bmp", bmp(v5, b"", rows_bottom_up(w, h, lambda y: b"".join(
        struct.pack("<I", ((x * 60) << 24) | (r << 16) | (g << 8) | b)
        for x, (r, g, b) in enumerate(px[y * w:(y + 1) * w]))))

    masks565 = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
    yield "rgb565.bmp", bmp(info_header(w, h, 16, compression=3) + masks565, b"",
                            rows_bottom_up(w, h, lambda y: b"".join(
                                struct.pack("<H", ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3))
                                for r, g, b in px[y * w:(y + 1) * w])))

    palette = b"".join(bytes((i * 16, 255 - i * 16, i * 8, 0)) for i in range(16))
    yield "pal8_topdown.bmp", bmp(info_header(w, -h, 8, colours=16), palette, rows_bottom_up(
        w, h, lambda y: bytes((x + y * 3) % 16 for x in range(w)), top_down=True))

    def pack4(y):
        values = [(x * 3 + y) % 16 for x in range(w)] + [0]
        return bytes((values[i] << 4) | values[i + 1] for i in range(0, w, 2))
    yield "pal4.bmp", bmp(info_header(w, h, 4, colours=16), palette,
                          rows_bottom_up(w, h, pack4))

    mono = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    yield "mono1.bmp", bmp(info_header(9, 2, 1, colours=2), mono,
                           rows_bottom_up(9, 2, lambda y: bytes((0xA5 ^ y, 0x80))))

    # RLE8: an encoded run, an absolute run, a delta, end of line, end of bitmap.
    rle8 = bytes((3, 1, 0, 3, 4, 5, 6, 0, 0, 0,
                  0, 2, 1, 0, 2, 7, 0, 0,
                  5, 9, 0, 1))
    yield "rle8.bmp", bmp(info_header(6, 3, 8, compression=1, colours=16, image=len(rle8)),
                          palette, rle8)
    # RLE4: alternating nibbles in an encoded run, then an absolute run of four nibbles.
    rle4 = bytes((6, 0x12, 0, 0, 0, 4, 0x34, 0x56, 0, 0, 0, 1))
    yield "rle4.bmp", bmp(info_header(6, 2, 4, compression=2, colours=16, image=len(rle4)),
                          palette, rle4)

    # The old OS/2 header: 12 bytes, three-byte palette entries.
    core = struct.pack("<IHHHH", 12, 4, 2, 1, 4)
    yield "os2_core.bmp", bmp(core, b"".join(bytes((i * 16, 0, 255 - i * 16)) for i in range(16)),
                              rows_bottom_up(4, 2, lambda y: bytes((0x01 + y, 0x23))))


# ---- JPEG ---------------------------------------------------------------------------------

ZIGZAG = sorted(((x, y) for y in range(8) for x in range(8)),
                key=lambda p: (p[0] + p[1], p[1] if (p[0] + p[1]) % 2 == 0 else p[0]))


def fdct(block):
    """The 8 x 8 forward DCT of level-shifted samples, as the JPEG baseline defines it."""
    out = [[0.0] * 8 for _ in range(8)]
    for v in range(8):
        for u in range(8):
            total = 0.0
            for y in range(8):
                for x in range(8):
                    total += (block[y][x] - 128) * math.cos((2 * x + 1) * u * math.pi / 16) * \
                        math.cos((2 * y + 1) * v * math.pi / 16)
            cu = 1 / math.sqrt(2) if u == 0 else 1.0
            cv = 1 / math.sqrt(2) if v == 0 else 1.0
            out[v][u] = 0.25 * cu * cv * total
    return out


def category(value):
    size = abs(value).bit_length()
    return size, (value if value >= 0 else value + (1 << size) - 1)


def huffman_lengths(frequencies):
    """Code lengths of an optimal prefix code; a reserved symbol of the lowest weight takes the
    all-ones code, which JPEG forbids."""
    heap = [(0, 256, [256])]
    heap += [(f, s, [s]) for s, f in sorted(frequencies.items())]
    heapq.heapify(heap)
    lengths = {s: 0 for s in list(frequencies) + [256]}
    order = 257
    while len(heap) > 1:
        fa, _, a = heapq.heappop(heap)
        fb, _, b = heapq.heappop(heap)
        for s in a + b:
            lengths[s] += 1
        heapq.heappush(heap, (fa + fb, order, a + b))
        order += 1
    assert max(lengths.values()) <= 16
    return lengths


def huffman_table(frequencies):
    lengths = huffman_lengths(frequencies)
    symbols = sorted(lengths, key=lambda s: (lengths[s], s))
    codes = {}
    code = 0
    previous = lengths[symbols[0]]
    for s in symbols:
        code <<= lengths[s] - previous
        previous = lengths[s]
        codes[s] = (code, lengths[s])
        code += 1
    del codes[256]
    counts = [0] * 16
    for s in codes:
        counts[lengths[s] - 1] += 1
    table_bytes = bytes(counts) + bytes(sorted(codes, key=lambda s: (lengths[s], s)))
    return codes, table_bytes


class BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.bits = 0
        self.count = 0

    def write(self, value, length):
        for i in range(length - 1, -1, -1):
            self.bits = (self.bits << 1) | ((value >> i) & 1)
            self.count += 1
            if self.count == 8:
                self.out.append(self.bits)
                if self.bits == 0xFF:
                    self.out.append(0)
                self.bits = 0
                self.count = 0

    def flush(self):
        if self.count:
            self.write((1 << (8 - self.count)) - 1, 8 - self.count)


def segment(marker, payload):
    return bytes((0xFF, marker)) + struct.pack(">H", len(payload) + 2) + payload


def planes(pixels, width, height, colour):
    if not colour:
        return [[round(0.299 * r + 0.587 * g + 0.114 * b) for r, g, b in pixels]]
    ys, cbs, crs = [], [], []
    for r, g, b in pixels:
        ys.append(0.299 * r + 0.587 * g + 0.114 * b)
        cbs.append(128 - 0.168736 * r - 0.331264 * g + 0.5 * b)
        crs.append(128 + 0.5 * r - 0.418688 * g - 0.081312 * b)
    return [ys, cbs, crs]


def component_blocks(plane, width, height, h, v, hmax, vmax, quant):
    """Quantised zigzag blocks of one component, keyed by block row and column, sampled down by
    averaging and padded to whole MCUs by repeating the edge."""
    mcu_w = math.ceil(width / (8 * hmax))
    mcu_h = math.ceil(height / (8 * vmax))
    cw, ch = mcu_w * 8 * h, mcu_h * 8 * v
    sx, sy = hmax // h, vmax // v

    def sample(x, y):
        total = 0.0
        for dy in range(sy):
            for dx in range(sx):
                px = min(width - 1, x * sx + dx)
                py = min(height - 1, y * sy + dy)
                total += plane[py * width + px]
        return total / (sx * sy)
    blocks = {}
    for by in range(ch // 8):
        for bx in range(cw // 8):
            block = [[sample(bx * 8 + x, by * 8 + y) for x in range(8)] for y in range(8)]
            coefficients = fdct(block)
            blocks[(by, bx)] = [round(coefficients[y][x] / quant[i])
                                for i, (x, y) in enumerate(ZIGZAG)]
    return blocks


def code_blocks(sequence, tables, writer, ss=0, se=63, restart=0):
    """Codes a scan's blocks (component, block) in order with per-component DC prediction,
    coefficients ss..se, and a restart marker every `restart` units when asked. Returns the
    symbol frequencies when no writer is given."""
    dc_freq, ac_freq = {}, {}
    prediction = {}
    for unit, blocks in enumerate(sequence):
        if restart and unit and unit % restart == 0:
            prediction = {}
            if writer:
                writer.flush()
                writer.out += bytes((0xFF, 0xD0 + (unit // restart - 1) % 8))
        for component, coefficients in blocks:
            dc_codes, ac_codes = tables[component] if writer else (None, None)
            if ss == 0:
                diff = coefficients[0] - prediction.get(component, 0)
                prediction[component] = coefficients[0]
                size, bits = category(diff)
                if writer:
                    writer.write(*dc_codes[size])
                    writer.write(bits, size)
                else:
                    dc_freq.setdefault(component, {}).setdefault(size, 0)
                    dc_freq[component][size] += 1
            if se == 0:
                continue
            run = 0
            symbols = []
            for k in range(max(1, ss), se + 1):
                value = coefficients[k]
                if value == 0:
                    run += 1
                    continue
                while run > 15:
                    symbols.append((0xF0, 0, 0))
                    run -= 16
                size, bits = category(value)
                symbols.append(((run << 4) | size, bits, size))
                run = 0
            if run:
                symbols.append((0x00, 0, 0))
            for symbol, bits, size in symbols:
                if writer:
                    writer.write(*ac_codes[symbol])
                    writer.write(bits, size)
                else:
                    ac_freq.setdefault(component, {}).setdefault(symbol, 0)
                    ac_freq[component][symbol] += 1
    return dc_freq, ac_freq


def jpeg(width, height, colour=True, sampling=(1, 1), restart=0, progressive=False, app=b""):
    pixels = pattern(width, height, seed=width)
    luma_q = [max(1, 2 + k // 8) for k in range(64)]
    chroma_q = [max(1, 4 + k // 4) for k in range(64)]
    components = [(1, sampling[0], sampling[1], 0)]
    if colour:
        components += [(2, 1, 1, 1), (3, 1, 1, 1)]
    hmax = max(c[1] for c in components)
    vmax = max(c[2] for c in components)
    quant = [luma_q, chroma_q]
    blocks = [component_blocks(plane, width, height, c[1], c[2], hmax, vmax, quant[c[3]])
              for plane, c in zip(planes(pixels, width, height, colour), components)]
    table_of = [c[3] for c in components]

    data = bytearray(b"\xff\xd8")
    data += segment(0xE0, b"JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00")
    data += app
    for t, table in enumerate(quant[:2 if colour else 1]):
        data += segment(0xDB, bytes([t]) + bytes(table))
    frame = struct.pack(">BHHB", 8, height, width, len(components))
    for ident, h, v, q in components:
        frame += bytes((ident, (h << 4) | v, q))
    data += segment(0xC2 if progressive else 0xC0, frame)
    if restart:
        data += segment(0xDD, struct.pack(">H", restart))

    mcu_w = math.ceil(width / (8 * hmax))
    mcu_h = math.ceil(height / (8 * vmax))

    def interleaved():
        for my in range(mcu_h):
            for mx in range(mcu_w):
                unit = []
                for index, (_, h, v, _) in enumerate(components):
                    for by in range(v):
                        for bx in range(h):
                            unit.append((index, blocks[index][(my * v + by, mx * h + bx)]))
                yield unit

    def alone(index):
        # A scan of one component covers only the blocks inside the picture.
        h, v = components[index][1], components[index][2]
        bw = math.ceil(math.ceil(width * h / hmax) / 8)
        bh = math.ceil(math.ceil(height * v / vmax) / 8)
        return [[(index, blocks[index][(by, bx)])] for by in range(bh) for bx in range(bw)]

    def scan(sequence, indices, ss, se):
        dc_freq, ac_freq = code_blocks(sequence, None, None, ss, se, restart)
        coded = {}
        out = bytearray()
        for t in sorted(set(table_of[i] for i in indices)):
            members = [i for i in indices if table_of[i] == t]
            if ss == 0:
                merged = {}
                for i in members:
                    for s, f in dc_freq.get(i, {}).items():
                        merged[s] = merged.get(s, 0) + f
                dc_codes, dc_bytes = huffman_table(merged)
                out += segment(0xC4, bytes([t]) + dc_bytes)
            else:
                dc_codes = None
            if se > 0:
                merged = {}
                for i in members:
                    for s, f in ac_freq.get(i, {}).items():
                        merged[s] = merged.get(s, 0) + f
                ac_codes, ac_bytes = huffman_table(merged or {0: 1})
                out += segment(0xC4, bytes([0x10 | t]) + ac_bytes)
            else:
                ac_codes = None
            for i in members:
                coded[i] = (dc_codes, ac_codes)
        header = bytes([len(indices)])
        for i in indices:
            t = table_of[i]
            header += bytes((components[i][0], (t << 4) | t))
        out += segment(0xDA, header + bytes((ss, se, 0)))
        writer = BitWriter()
        code_blocks(sequence, coded, writer, ss, se, restart)
        writer.flush()
        return out + writer.out

    everything = list(range(len(components)))
    if progressive:
        data += scan(list(interleaved()), everything, 0, 0)
        for index in everything:
            data += scan(alone(index), [index], 1, 5)
            data += scan(alone(index), [index], 6, 63)
    else:
        data += scan(list(interleaved()), everything, 0, 63)
    data += b"\xff\xd9"
    return bytes(data)


def exif_orientation(value):
    tiff = b"II*\x00" + struct.pack("<I", 8) + struct.pack("<H", 1) + \
        struct.pack("<HHIHH", 0x0112, 3, 1, value, 0) + struct.pack("<I", 0)
    return segment(0xE1, b"Exif\x00\x00" + tiff)


def jpeg_seeds():
    yield "grey.jpg", jpeg(8, 8, colour=False)
    yield "ycc444_exif.jpg", jpeg(13, 9, app=exif_orientation(6) + segment(0xFE, b"seed"))
    yield "ycc420_restart.jpg", jpeg(24, 16, sampling=(2, 2), restart=1)
    yield "ycc422.jpg", jpeg(16, 8, sampling=(2, 1))
    yield "progressive.jpg", jpeg(16, 8, progressive=True)


# ---- PNG and PPM --------------------------------------------------------------------------

def png_chunk(kind, payload):
    return struct.pack(">I", len(payload)) + kind + payload + \
        struct.pack(">I", zlib.crc32(kind + payload) & 0xFFFFFFFF)


def other_seeds():
    w, h = 4, 3
    rows = b"".join(b"\x00" + bytes(((x + y) % 3 for x in range(w))) for y in range(h))
    yield "palette_trns.png", b"\x89PNG\r\n\x1a\n" + \
        png_chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 3, 0, 0, 0)) + \
        png_chunk(b"PLTE", bytes((255, 0, 0, 0, 255, 0, 0, 0, 255))) + \
        png_chunk(b"tRNS", bytes((0, 128))) + \
        png_chunk(b"IDAT", zlib.compress(rows, 9)) + png_chunk(b"IEND", b"")
    px = pattern(w, h, seed=3)
    yield "rgb.ppm", b"P6\n# seed\n%d %d\n255\n" % (w, h) + b"".join(bytes(p) for p in px)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "fixtures", "fuzz",
                                                                "picture")
    os.makedirs(folder, exist_ok=True)
    for seeds in (gif_seeds(), bmp_seeds(), jpeg_seeds(), other_seeds()):
        for name, data in seeds:
            with open(os.path.join(folder, name), "wb") as out:
                out.write(data)
            print(f"{name}: {len(data)} bytes")


if __name__ == "__main__":
    main()
