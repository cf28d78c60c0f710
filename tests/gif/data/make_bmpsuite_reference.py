#!/usr/bin/env python3
"""Prints a reference line for every BMP Suite file in g/ that can be read:

    g/NAME WIDTH HEIGHT CHECKSUM READER

CHECKSUM is the FNV-1a 64-bit hash (16 hex digits) of the picture's pixels
as RGB, three bytes per pixel, top row first, as an independent BMP reader
decodes them: Pillow, except for run-length files of 4 bits per pixel, whose
absolute runs Pillow 9 reads wrongly (its g/pal4rle.bmp differs from
g/pal4.bmp, the same picture stored plainly); those are read with
ImageMagick's convert. The GIF tests decode the GIFs the library writes with
giflib and compare the same checksum.

    make_bmpsuite_reference.py BMPSUITE-FOLDER > bmpsuite-reference.txt
"""
import pathlib
import struct
import subprocess
import sys

from PIL import Image


def fnv1a64(data):
    h = 0xCBF29CE484222325
    for b in data:
        h = ((h ^ b) * 0x100000001B3) & 0xFFFFFFFFFFFFFFFF
    return h


def is_rle4(data):
    return (len(data) >= 34 and struct.unpack("<I", data[14:18])[0] >= 40
            and struct.unpack("<I", data[30:34])[0] == 2)


def read_with_pillow(path):
    with Image.open(path) as image:
        rgb = image.convert("RGB")
        return rgb.size, rgb.tobytes()


def read_with_imagemagick(path):
    size = subprocess.run(["convert", str(path), "-format", "%w %h", "info:"],
                          check=True, capture_output=True, text=True).stdout.split()
    data = subprocess.run(["convert", str(path), "-depth", "8", "rgb:-"],
                          check=True, capture_output=True).stdout
    return (int(size[0]), int(size[1])), data


def main():
    folder = pathlib.Path(sys.argv[1])
    for path in sorted((folder / "g").glob("*.bmp")):
        reader = "imagemagick" if is_rle4(path.read_bytes()) else "pillow"
        try:
            if reader == "pillow":
                (width, height), data = read_with_pillow(path)
            else:
                (width, height), data = read_with_imagemagick(path)
        except Exception:  # a file the reader cannot read has no reference
            continue
        print(f"g/{path.name} {width} {height} {fnv1a64(data):016x} {reader}")


if __name__ == "__main__":
    main()
