#!/usr/bin/env python3
"""Writes the expected outputs of the whole-conversion test (ShgConversionTest):
plan.gif and plan.map for the 5 x 3 picture of 4 bits per pixel and the
three hotspots that the test builds into plan.shg.

The GIF is made here from the file format alone (GIF87a, global colour
table of 16 entries, one image, LZW with minimum code size 4, codes packed
least significant bit first into sub-blocks), independently of the library.
Run it from this folder: python3 make-expected.py
"""

# Colour table of the picture as blue, green, red (the DIB's order).
COLOURS_BGR = [((i * 16) & 0xFF, (i * 32) & 0xFF, (255 - i * 16) & 0xFF) for i in range(16)]
# Pixel indices, top row first.
ROWS = [
    [1, 2, 3, 4, 5],
    [1, 1, 1, 1, 1],
    [0, 15, 0, 15, 0],
]
WIDTH, HEIGHT = 5, 3


def lzw(pixels, min_code_size):
    clear = 1 << min_code_size
    end = clear + 1
    codes = []  # (code, width)

    def reset():
        return {}, clear + 2, min_code_size + 1

    table, next_code, width = reset()
    codes.append((clear, width))
    prefix = pixels[0]
    for x in pixels[1:]:
        if (prefix, x) in table:
            prefix = table[(prefix, x)]
            continue
        codes.append((prefix, width))
        k = next_code
        if k <= 4095:
            table[(prefix, x)] = k
            next_code = k + 1
        if k == (1 << width):
            if width < 12:
                width += 1
            else:
                codes.append((clear, width))
                table, next_code, width = reset()
        prefix = x
    codes.append((prefix, width))
    codes.append((end, width))
    bits = 0
    nbits = 0
    out = bytearray()
    for code, w in codes:
        bits |= code << nbits
        nbits += w
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
    if nbits:
        out.append(bits & 0xFF)
    data = bytearray([min_code_size])
    for i in range(0, len(out), 255):
        chunk = out[i:i + 255]
        data.append(len(chunk))
        data += chunk
    return bytes(data)


def gif():
    head = bytearray(b"GIF87a")
    head += WIDTH.to_bytes(2, "little") + HEIGHT.to_bytes(2, "little")
    head += bytes([0xB3, 0, 0])
    for b, g, r in COLOURS_BGR:
        head += bytes([r, g, b])
    head += bytes([0x2C]) + (0).to_bytes(2, "little") * 2
    head += WIDTH.to_bytes(2, "little") + HEIGHT.to_bytes(2, "little") + bytes([0])
    pixels = [p for row in ROWS for p in row]
    return bytes(head) + lzw(pixels, 4) + bytes([0x00, 0x3B])


MAP = (
    b'<MAP NAME="plan.map">\r\n'
    b'<AREA SHAPE=RECT COORDS="0,0,2,1" HREF=p00201.htm>\r\n'
    b'<AREA SHAPE=RECT COORDS="1,1,5,3" HREF=index.htm>\r\n'
    b'<AREA SHAPE=RECT COORDS="4,0,5,1" HREF="JumpId(`a.hlp\',`b\')">\r\n'
    b"</MAP>\r\n"
)

if __name__ == "__main__":
    with open("plan.gif", "wb") as f:
        f.write(gif())
    with open("plan.map", "wb") as f:
        f.write(MAP)
