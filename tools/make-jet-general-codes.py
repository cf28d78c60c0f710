#!/usr/bin/env python3
"""Writes projectdb/JetGeneralCodes.cpp: what each UTF-16 code unit adds to a
Jet text index key in the "General" sort order, as runs of code units.

Usage: tools/make-jet-general-codes.py ../shared/testdata/mdb/general-keys.tsv \
           projectdb/JetGeneralCodes.cpp

The input lists the index key of every one-character text U+0020..U+FFFD. A
key is 7F, the inline (primary) bytes, 01, then what follows: extra (accent)
bytes, or the trailer of an unprintable character (01 01 01 80 07 06 code), or
the kana flags (01 01, flag bytes, FF 02 80 FF 80); then 00. Each character
is one of these kinds:

  ignored      adds nothing (key 7F 01 00)
  simple       inline bytes only
  accented     inline bytes and extra bytes
  modifier     no inline bytes; adds its byte to the extra byte before it
  unprintable  no inline bytes; a trailer entry with its code
  kana         inline bytes, extra bytes and a kana flag (2 or 3)

What a one-character key cannot show is filled in here: the space (its only
key is the trimmed one; it is simple 07 inside a text), the control
characters below U+0020 (tab 08 03, LF 08 04, CR 08 07 and U+0001 are seen in
the two-character texts of the same file; VT and FF take the two codes between
LF and CR, the others the unprintable codes that run on to U+007F's 1D), and
the surrogates: D83D and DE00 as seen in the file, every other one a
distinct code after all others; the noncharacters U+FFFE and U+FFFF are
ignored, as U+FFFD is.
"""
import sys

KINDS = {"ignored": 0, "simple": 1, "accented": 2, "modifier": 3, "unprintable": 4, "kana": 5}


def parse_key(key):
    assert key[0] == 0x7F and key[-1] == 0 and 0 not in key[:-1], key.hex()
    body = key[1:-1]
    cut = body.index(1)
    inline, rest = body[:cut], body[cut + 1:]
    if rest.startswith(b"\x01\x01\x01"):
        assert not inline and rest[3:6] == b"\x80\x07\x06" and len(rest) == 7, key.hex()
        return ("unprintable", b"", rest[6:], 0)
    if rest.endswith(b"\xff\x02\x80\xff\x80"):
        extra, flags = rest.split(b"\x01\x01", 1)
        flag = 3 if flags.startswith(b"\xff") else (flags[0] >> 4) & 3
        return ("kana", inline, extra, flag)
    if not inline:
        if not rest:
            return ("ignored", b"", b"", 0)
        assert len(rest) == 1, key.hex()
        return ("modifier", b"", rest, 0)
    return ("accented", inline, rest, 0) if rest else ("simple", inline, b"", 0)


def read_codes(path):
    codes = {}
    for line in open(path, encoding="ascii"):
        fields = line.rstrip("\n").split("\t")
        if fields[0].startswith("U+"):
            codes[int(fields[0][2:], 16)] = parse_key(bytes.fromhex(fields[1]))
    codes[0x20] = ("simple", b"\x07", b"", 0)
    codes[0x00] = ("unprintable", b"", b"\x02", 0)
    for unit in range(0x01, 0x09):
        codes[unit] = ("unprintable", b"", bytes([unit + 2]), 0)
    for unit in range(0x0E, 0x20):
        codes[unit] = ("unprintable", b"", bytes([unit - 0x0E + 0x0B]), 0)
    for unit, code in ((0x09, 3), (0x0A, 4), (0x0B, 5), (0x0C, 6), (0x0D, 7)):
        codes[unit] = ("simple", bytes([0x08, code]), b"", 0)
    for unit in range(0xD800, 0xE000):
        n = unit - 0xD800
        codes[unit] = ("accented", bytes([0xFF, 0xFF, 0x02 + (n >> 7), 0x02 + (n & 0x7F)]), b"\x3f", 0)
    codes[0xD83D] = ("accented", b"\xb0\x3f", b"\x3f", 0)
    codes[0xDE00] = ("accented", b"\xb6\xfc", b"\x3f", 0)
    codes[0xFFFE] = codes[0xFFFF] = ("ignored", b"", b"", 0)
    assert sorted(codes) == list(range(0x10000))
    return codes


def stepping_bytes(code):
    """The bytes whose last byte may rise by one from unit to unit in a run."""
    kind = code[0]
    if kind in ("simple", "accented", "kana"):
        return 1
    if kind == "unprintable":
        return 2
    return None


def follows(run_start, count, code):
    """True when code continues the run that starts with run_start."""
    if code[0] != run_start[0]:
        return False
    field = stepping_bytes(code)
    if field is None:
        return code == run_start
    for i in range(1, 4):
        if i == field:
            a, b = run_start[i], code[i]
            if len(a) != len(b) or a[:-1] != b[:-1] or b[-1] != a[-1] + count:
                return False
        elif run_start[i] != code[i]:
            return False
    return True


def make_runs(codes):
    runs = []
    for unit in range(0x10000):
        code = codes[unit]
        if runs and follows(runs[-1][1], unit - runs[-1][0], code):
            continue
        runs.append((unit, code))
    return runs


def c_bytes(data, width):
    assert len(data) <= width
    padded = list(data) + [0] * (width - len(data))
    return "{" + ", ".join("0x%02x" % b for b in padded) + "}"


def c_entry(unit, code):
    kind, inline, extra, flag = code
    return "{0x%04x, %d, %d, %s, %d, %s, %d}," % (
        unit, KINDS[kind], len(inline), c_bytes(inline, 4), len(extra), c_bytes(extra, 2), flag)


def main():
    source, target = sys.argv[1], sys.argv[2]
    codes = read_codes(source)
    runs = make_runs(codes)
    lines = [
        "// Generated by tools/make-jet-general-codes.py from general-keys.tsv; do not edit.",
        "// What each UTF-16 code unit adds to a Jet text index key in the \"General\"",
        "// sort order, as runs of code units (see JetGeneralCodes.h).",
        "// clang-format off",
        '#include "projectdb/JetGeneralCodes.h"',
        "",
        "namespace vd::jet {",
        "",
        "const CGeneralCodeRun kGeneralCodeRuns[] = {",
    ]
    for unit, code in runs:
        lines.append("    " + c_entry(unit, code))
    lines += [
        "};",
        "",
        "const std::size_t kGeneralCodeRunCount = sizeof kGeneralCodeRuns / sizeof kGeneralCodeRuns[0];",
        "",
        "const CGeneralCodeRun kGeneralCodesLatin1[256] = {",
    ]
    for unit in range(256):
        lines.append("    " + c_entry(unit, codes[unit]))
    lines += [
        "};",
        "",
        "}  // namespace vd::jet",
        "",
    ]
    with open(target, "w", encoding="ascii", newline="\n") as out:
        out.write("\n".join(lines))


if __name__ == "__main__":
    main()
