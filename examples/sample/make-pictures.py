#!/usr/bin/env python3
"""Draws the sample publication's pictures and writes them as files:

  mainwindow.shg  the main window, 8 bits per pixel, run-length packed,
                  hotspots of all three kinds (jumps, pop-ups, a macro)
  reconcile.shg   the reconciliation screen, 4 bits per pixel, run-length
                  packed, visible and invisible hotspots
  setup.shg       the setup steps, 1 bit per pixel, stored, jumps and a pop-up
  logo.bmp        the product logo, 4 bits per pixel (for bmp2gif)

SHG files get the 38-byte picture header: compressed numbers in their long
forms where the header has room, 16-bit fields holding twice the value, a
32-bit data size holding twice the value plus one. Hotspot names start with
one character that is not part of the heading name ("!" here); the target
string is what the help compiler stored and is kept only by macro hotspots.

Run from this folder: python3 make-pictures.py (the outputs are checked in).
"""

import struct

# 5 x 7 glyphs, one string of 7 rows of 5 pixels each ("#" set).
FONT = {
    "A": " ### #   ##   #######   ##   ##   #", "B": "#### #   ##   ##### #   ##   ##### ",
    "C": " ### #   ##    #    #    #   # ### ", "D": "#### #   ##   ##   ##   ##   ##### ",
    "E": "######    #    #### #    #    #####", "F": "######    #    #### #    #    #    ",
    "G": " ### #   ##    # ####   ##   # ####", "H": "#   ##   ##   #######   ##   ##   #",
    "I": " ###   #    #    #    #    #   ### ", "J": "  ###   #    #    #    #  # #   ## ",
    "K": "#   ##  # # #  ##   # #  #  # #   #", "L": "#    #    #    #    #    #    #####",
    "M": "#   ### ### # ##   ##   ##   ##   #", "N": "#   ###  ## # ##  ###   ##   ##   #",
    "O": " ### #   ##   ##   ##   ##   # ### ", "P": "#### #   ##   ##### #    #    #    ",
    "Q": " ### #   ##   ##   ## # ##  #  ## #", "R": "#### #   ##   ##### # #  #  # #   #",
    "S": " #####    #     ###     #    ##### ", "T": "#####  #    #    #    #    #    #  ",
    "U": "#   ##   ##   ##   ##   ##   # ### ", "V": "#   ##   ##   ##   ##   # # #   #  ",
    "W": "#   ##   ##   ## # ## # ## # # # # ", "X": "#   ##   # # #   #   # # #   ##   #",
    "Y": "#   ##   # # #   #    #    #    #  ", "Z": "#####    #   #   #   #   #    #####",
    "0": " ### #   ##  ### # ###  ##   # ### ", "1": "  #   ##    #    #    #    #   ### ",
    "2": " ### #   #    #   #   #   #   #####", "3": "#####   #   #     #     ##   # ### ",
    "4": "   #   ##  # # #  ######   #    #  ", "5": "######    ####     #    ##   # ### ",
    "6": "  ##  #   #    #### #   ##   # ### ", "7": "#####    #   #   #   #    #    #   ",
    "8": " ### #   ##   # ### #   ##   # ### ", "9": " ### #   ##   # ####    #   #  ##  ",
    " ": " " * 35, ".": " " * 25 + "   ##   ##", ",": " " * 25 + "   ##  #  ",
    "-": " " * 15 + "#####" + " " * 15, "?": " ### #   #    #   #   #         #  ",
    "%": "##   ##  #   #   #   #   #  ##   ##", "/": "         #   #   #   #   #         ",
    ":": "      ##   ##        ##   ##       ", "+": "       #    #  #####  #    #       ",
}


class Canvas:
    def __init__(self, width, height, background=0):
        self.width = width
        self.height = height
        self.pixels = [[background] * width for _ in range(height)]

    def fill(self, left, top, right, bottom, colour):
        for y in range(max(top, 0), min(bottom, self.height)):
            row = self.pixels[y]
            for x in range(max(left, 0), min(right, self.width)):
                row[x] = colour

    def frame(self, left, top, right, bottom, colour):
        self.fill(left, top, right, top + 1, colour)
        self.fill(left, bottom - 1, right, bottom, colour)
        self.fill(left, top, left + 1, bottom, colour)
        self.fill(right - 1, top, right, bottom, colour)

    def text(self, x, y, string, colour, scale=1):
        for ch in string.upper():
            glyph = FONT.get(ch, FONT["?"])
            for row in range(7):
                for col in range(5):
                    if glyph[row * 5 + col] == "#":
                        self.fill(x + col * scale, y + row * scale, x + (col + 1) * scale,
                                  y + (row + 1) * scale, colour)
            x += 6 * scale

    def dib_rows(self, bits):
        """Pixel rows bottom row first, packed, each padded to 4 bytes."""
        stride = ((self.width * bits + 31) // 32) * 4
        out = bytearray()
        for row in reversed(self.pixels):
            packed = bytearray(stride)
            for x, p in enumerate(row):
                bit = x * bits
                packed[bit // 8] |= p << (8 - bits - bit % 8)
            out += packed
        return bytes(out)


def pack_run_length(data):
    out = bytearray()
    i = 0
    while i < len(data):
        run = 1
        while i + run < len(data) and data[i + run] == data[i] and run < 128:
            run += 1
        if run >= 3:
            out += bytes([run, data[i]])
            i += run
            continue
        start = i
        while i < len(data) and i - start < 127:
            if i + 2 < len(data) and data[i] == data[i + 1] == data[i + 2]:
                break
            i += 1
        out.append(0x80 + (i - start))
        out += data[start:i]
    return bytes(out)


# Hotspot type bytes.
POPUP, JUMP, MACRO = 0xE2, 0xE3, 0xC8
INVISIBLE = 0x04


def shg(canvas, bits, palette, hotspots, packing):
    colours = 1 << bits
    assert len(palette) == colours
    raw = canvas.dib_rows(bits)
    data = pack_run_length(raw) if packing == 1 else raw
    table = b"".join(bytes([b, g, r, 0]) for (r, g, b) in palette)
    section = bytearray([0x01]) + struct.pack("<HI", len(hotspots), 0)
    strings = bytearray()
    for kind, (left, top, right, bottom), name, target in hotspots:
        section += bytes([kind]) + struct.pack("<HHHHHI", 0, left, top, right - left,
                                               bottom - top, 0)
        strings += name.encode("cp1252") + b"\0" + target.encode("cp1252") + b"\0"
    section += strings
    assert len(section) < 0x8000 and len(data) < 0x40000000
    data_offset = 30 + len(table)
    header = struct.pack("<HHI", 0x706C, 1, 8)
    header += struct.pack("<BBHHBBHHHHIHII", 6, packing, 2 * 96, 2 * 96, 2, 2 * bits,
                          2 * canvas.width, 2 * canvas.height, 2 * colours, 0,
                          2 * len(data) + 1, 2 * len(section), data_offset,
                          data_offset + len(data))
    assert len(header) == 38
    return header + table + data + bytes(section)


def bmp(canvas, bits, palette):
    rows = canvas.dib_rows(bits)
    table = b"".join(bytes([b, g, r, 0]) for (r, g, b) in palette)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, bits, 0, len(rows),
                       3780, 3780, 0, 0)
    offset = 14 + len(info) + len(table)
    return b"BM" + struct.pack("<IHHI", offset + len(rows), 0, 0, offset) + info + table + rows


# A 16-colour palette shared by the pictures (rest of a 256 palette grey).
BASE = [(255, 255, 255), (0, 0, 0), (0, 84, 147), (220, 232, 244), (192, 192, 192),
        (128, 128, 128), (46, 139, 87), (200, 240, 210), (178, 34, 34), (250, 220, 220),
        (255, 215, 0), (255, 248, 220), (70, 70, 70), (235, 235, 235), (30, 144, 255),
        (255, 140, 0)]
WHITE, BLACK, BLUE, PALEBLUE, SILVER, GREY, GREEN, PALEGREEN = range(8)
RED, PALERED, GOLD, CREAM, DARK, LIGHT, SKY, ORANGE = range(8, 16)


def main_window():
    c = Canvas(400, 260, LIGHT)
    c.frame(0, 0, 400, 260, DARK)
    c.fill(1, 1, 399, 19, BLUE)
    c.text(8, 6, "Ledgerline - Household.ldg", WHITE)
    c.fill(1, 19, 399, 33, SILVER)
    x = 8
    menu = []
    for word in ["File", "Edit", "View", "Ledger", "Reports", "Help"]:
        c.text(x, 23, word, BLACK)
        menu.append((x - 3, 20, x + 6 * len(word) + 2, 32))
        x += 6 * len(word) + 14
    c.fill(1, 33, 399, 61, CREAM)
    buttons = [("Pay", GREEN), ("Invoice", SKY), ("Reconcile", ORANGE)]
    rects = []
    x = 8
    for label, colour in buttons:
        w = 6 * len(label) + 16
        c.fill(x, 37, x + w, 57, colour)
        c.frame(x, 37, x + w, 57, DARK)
        c.text(x + 8, 44, label, WHITE)
        rects.append((x, 37, x + w, 57))
        x += w + 8
    c.fill(8, 68, 392, 226, WHITE)
    c.frame(8, 68, 392, 226, GREY)
    c.fill(9, 69, 391, 83, PALEBLUE)
    for col, title in [(14, "Date"), (80, "Account"), (200, "Memo"), (320, "Amount")]:
        c.text(col, 73, title, BLUE)
    entries = [("03-01", "Groceries", "Market", "-42.10"),
               ("03-02", "Salary", "March", "2400.00"),
               ("03-04", "Rent", "Flat 3B", "-850.00"),
               ("03-07", "Utilities", "Power", "-61.35"),
               ("03-09", "Savings", "Transfer", "-300.00")]
    y = 90
    for i, (date, account, memo, amount) in enumerate(entries):
        if i % 2:
            c.fill(9, y - 3, 391, y + 11, LIGHT)
        c.text(14, y, date, DARK)
        c.text(80, y, account, DARK)
        c.text(200, y, memo, DARK)
        c.text(320, y, amount, RED if amount.startswith("-") else GREEN)
        y += 18
    c.fill(1, 236, 399, 259, SILVER)
    c.text(8, 244, "Balance 1146.55", BLACK)
    c.fill(300, 240, 392, 256, GOLD)
    c.frame(300, 240, 392, 256, DARK)
    c.text(310, 245, "Calc", BLACK)
    hotspots = [
        (JUMP, (1, 1, 399, 19), "!Welcome to Ledgerline", "welcome"),
        (JUMP, (menu[0][0], 20, menu[-1][2], 32), "!Menu commands", "menus"),
        (JUMP, rects[0], "!Recording a payment", "pay"),
        (JUMP, rects[1], "!Issuing an invoice", "invoice"),
        (JUMP, rects[2], "!Reconciling a bank statement", "reconcile"),
        (POPUP, (78, 69, 190, 83), "!Account", "account"),
        (POPUP | INVISIBLE, (8, 84, 392, 226), "!Ledger", "ledger"),
        (MACRO, (300, 240, 392, 256), "!Calculator", "calc.html"),
        (JUMP | INVISIBLE, (8, 236, 200, 259), "!Keyboard shortcuts", "keys"),
    ]
    palette = BASE + [(i, i, i) for i in range(16, 256)]
    return shg(c, 8, palette, hotspots, packing=1)


def reconcile():
    c = Canvas(360, 180, WHITE)
    c.frame(0, 0, 360, 180, DARK)
    c.text(10, 8, "Reconcile: Bank statement March", BLUE)
    c.fill(10, 26, 170, 150, PALEBLUE)
    c.frame(10, 26, 170, 150, BLUE)
    c.text(16, 32, "Statement", BLUE)
    c.fill(190, 26, 350, 150, PALEGREEN)
    c.frame(190, 26, 350, 150, GREEN)
    c.text(196, 32, "Ledger", GREEN)
    rows = ["2400.00", "-850.00", "-42.10", "-61.35"]
    for i, amount in enumerate(rows):
        y = 50 + i * 22
        c.text(20, y, amount, DARK)
        c.text(200, y, amount if i < 3 else "-61.53", DARK if i < 3 else RED)
        c.fill(122, y + 3, 240 - 52, y + 4, GREEN if i < 3 else RED)
    c.fill(10, 156, 120, 174, GREEN)
    c.text(18, 162, "Auto match", WHITE)
    c.fill(130, 156, 260, 174, ORANGE)
    c.text(138, 162, "Fix by hand", WHITE)
    c.text(272, 162, "Diff 0.18", RED)
    hotspots = [
        (POPUP, (10, 4, 350, 20), "!Reconciliation", "reconciliation"),
        (JUMP, (10, 156, 120, 174), "!Matching entries automatically", "auto"),
        (JUMP, (130, 156, 260, 174), "!Clearing differences by hand", "hand"),
        (POPUP | INVISIBLE, (10, 26, 170, 150), "!Opening balance", "opening"),
        (JUMP | INVISIBLE, (190, 26, 350, 150), "!Recording a payment", "pay"),
    ]
    return shg(c, 4, BASE, hotspots, packing=1)


def setup():
    c = Canvas(320, 112, 0)
    c.frame(0, 0, 320, 112, 1)
    c.text(10, 8, "Setting up Ledgerline", 1)
    steps = [("1 Install", 10), ("2 New ledger", 112), ("3 Balances", 222)]
    boxes = []
    for label, x in steps:
        c.frame(x, 34, x + 90, 74, 1)
        c.text(x + 6, 50, label, 1)
        boxes.append((x, 34, x + 90, 74))
    c.fill(100, 53, 112, 55, 1)
    c.fill(202, 53, 222, 55, 1)
    c.text(10, 90, "What is an invoice?", 1)
    hotspots = [
        (JUMP, boxes[0], "!Installing Ledgerline", "install"),
        (JUMP, boxes[1], "!Creating your first ledger", "ledger"),
        (JUMP, boxes[2], "!Entering opening balances", "balances"),
        (POPUP, (8, 86, 126, 100), "!Invoice", "invoice"),
        (JUMP, (8, 4, 150, 18), "!Getting started", "start"),
    ]
    return shg(c, 1, [(255, 255, 255), (0, 0, 0)], hotspots, packing=0)


def logo():
    c = Canvas(120, 40, WHITE)
    c.fill(0, 0, 40, 40, BLUE)
    c.fill(8, 8, 14, 32, WHITE)
    c.fill(8, 26, 30, 32, WHITE)
    c.text(48, 10, "Ledger", BLUE, 1)
    c.text(48, 22, "line", ORANGE, 1)
    return bmp(c, 4, BASE)


if __name__ == "__main__":
    for name, data in [("mainwindow.shg", main_window()), ("reconcile.shg", reconcile()),
                       ("setup.shg", setup()), ("logo.bmp", logo())]:
        with open(name, "wb") as f:
            f.write(data)
        print(name, len(data), "bytes")
