#!/usr/bin/env python3
"""Generates the constant tables of the Blowfish and Twofish ciphers.

  engine/processing/BlowfishTables.cpp  initial P-array and S-boxes: the
                                         fractional hex digits of pi
  engine/processing/TwofishTables.cpp   permutations q0, q1 and the MDS
                                         column multiplication tables

Run once from the repository root:  python3 tools/gen/cipher_tables.py
The build does not run it; the generated files are committed. Everything is
computed from first principles (pi by Machin's formula in Python integers,
q0/q1 from their 4-bit t-tables, MDS from its matrix over GF(2^8)), and the
results are checked against well-known values before anything is written.
"""

import os
import sys

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
OUT_DIR = os.path.join(ROOT, "engine", "processing")

# ---------------------------------------------------------------- Blowfish

BLOWFISH_P_WORDS = 18
BLOWFISH_S_WORDS = 4 * 256


def arctan_inverse(x, scale):
    """arctan(1/x) * scale, by the alternating Taylor series in integers."""
    total = term = scale // x
    x2 = x * x
    n = 1
    sign = -1
    while term:
        term //= x2
        n += 2
        total += sign * (term // n)
        sign = -sign
    return total


def pi_hex_words(count):
    """The first |count| 32-bit words of the fractional part of pi."""
    digits = 8 * count
    guard = 16  # extra hex digits against truncation error of the series
    scale = 1 << (4 * (digits + guard))
    pi = 16 * arctan_inverse(5, scale) - 4 * arctan_inverse(239, scale)
    frac = (pi - 3 * scale) >> (4 * guard)
    words = []
    for i in range(count):
        shift = 32 * (count - 1 - i)
        words.append((frac >> shift) & 0xFFFFFFFF)
    return words


def blowfish_tables():
    words = pi_hex_words(BLOWFISH_P_WORDS + BLOWFISH_S_WORDS)
    p = words[:BLOWFISH_P_WORDS]
    s = [words[BLOWFISH_P_WORDS + 256 * k:BLOWFISH_P_WORDS + 256 * (k + 1)]
         for k in range(4)]
    # Well-known first and last words of the published tables.
    assert p[0] == 0x243F6A88 and p[1] == 0x85A308D3, "P-array start"
    assert p[17] == 0x8979FB1B, "P-array end"
    assert s[0][0] == 0xD1310BA6 and s[0][255] == 0x6E85076A, "S-box 0"
    assert s[1][0] == 0x4B7A70E9 and s[1][255] == 0xDB83ADF7, "S-box 1"
    assert s[2][0] == 0xE93D5A68 and s[2][255] == 0x406000E0, "S-box 2"
    assert s[3][0] == 0x3A39CE37 and s[3][255] == 0x3AC372E6, "S-box 3"
    return p, s


# ----------------------------------------------------------------- Twofish

# The 4-bit permutations t0..t3 that build q0 and q1.
Q0_T = [
    [0x8, 0x1, 0x7, 0xD, 0x6, 0xF, 0x3, 0x2, 0x0, 0xB, 0x5, 0x9, 0xE, 0xC, 0xA, 0x4],
    [0xE, 0xC, 0xB, 0x8, 0x1, 0x2, 0x3, 0x5, 0xF, 0x4, 0xA, 0x6, 0x7, 0x0, 0x9, 0xD],
    [0xB, 0xA, 0x5, 0xE, 0x6, 0xD, 0x9, 0x0, 0xC, 0x8, 0xF, 0x3, 0x2, 0x4, 0x7, 0x1],
    [0xD, 0x7, 0xF, 0x4, 0x1, 0x2, 0x6, 0xE, 0x9, 0xB, 0x3, 0x0, 0x8, 0x5, 0xC, 0xA],
]
Q1_T = [
    [0x2, 0x8, 0xB, 0xD, 0xF, 0x7, 0x6, 0xE, 0x3, 0x1, 0x9, 0x4, 0x0, 0xA, 0xC, 0x5],
    [0x1, 0xE, 0x2, 0xB, 0x4, 0xC, 0x3, 0x7, 0x6, 0xD, 0xA, 0x5, 0xF, 0x9, 0x0, 0x8],
    [0x4, 0xC, 0x7, 0x5, 0x1, 0x6, 0x9, 0xA, 0x0, 0xE, 0xD, 0x8, 0x2, 0xB, 0x3, 0xF],
    [0xB, 0x9, 0x5, 0x1, 0xC, 0x3, 0xD, 0xE, 0x6, 0x4, 0x7, 0xF, 0x2, 0x0, 0x8, 0xA],
]

# MDS matrix, row by row, over GF(2^8) mod x^8 + x^6 + x^5 + x^3 + 1.
MDS = [
    [0x01, 0xEF, 0x5B, 0x5B],
    [0x5B, 0xEF, 0xEF, 0x01],
    [0xEF, 0x5B, 0x01, 0xEF],
    [0xEF, 0x01, 0xEF, 0x5B],
]
MDS_POLY = 0x169


def ror4(x, n):
    return ((x >> n) | (x << (4 - n))) & 0xF


def q_permutation(t):
    out = []
    for x in range(256):
        a0, b0 = x >> 4, x & 0xF
        a1 = a0 ^ b0
        b1 = a0 ^ ror4(b0, 1) ^ ((8 * a0) & 0xF)
        a2, b2 = t[0][a1], t[1][b1]
        a3 = a2 ^ b2
        b3 = a2 ^ ror4(b2, 1) ^ ((8 * a2) & 0xF)
        a4, b4 = t[2][a3], t[3][b3]
        out.append(16 * b4 + a4)
    return out


def gf_mul(a, b, poly):
    r = 0
    while b:
        if b & 1:
            r ^= a
        a <<= 1
        if a & 0x100:
            a ^= poly
        b >>= 1
    return r


def mds_tables():
    """Table j, entry x: column j of the MDS matrix times x, as a word whose
    byte i (least significant first) is MDS[i][j] * x."""
    tables = []
    for j in range(4):
        col = []
        for x in range(256):
            w = 0
            for i in range(4):
                w |= gf_mul(MDS[i][j], x, MDS_POLY) << (8 * i)
            col.append(w)
        tables.append(col)
    return tables


def twofish_tables():
    q0 = q_permutation(Q0_T)
    q1 = q_permutation(Q1_T)
    assert sorted(q0) == list(range(256)) and sorted(q1) == list(range(256))
    assert q0[:4] == [0xA9, 0x67, 0xB3, 0xE8], "q0 start"
    assert q1[:4] == [0x75, 0xF3, 0xC6, 0xF4], "q1 start"
    mds = mds_tables()
    assert mds[0][1] == 0xEFEF5B01 and mds[1][1] == 0x015BEFEF
    return q0, q1, mds


# ------------------------------------------------------------------ output

HEADER = "// Generated by tools/gen/cipher_tables.py; do not edit.\n"


def word_rows(words, indent="    ", per_row=6):
    lines = []
    for i in range(0, len(words), per_row):
        row = ", ".join("0x%08X" % w for w in words[i:i + per_row])
        lines.append(indent + row + ",")
    return "\n".join(lines)


def byte_rows(values, indent="    ", per_row=12):
    lines = []
    for i in range(0, len(values), per_row):
        row = ", ".join("0x%02X" % v for v in values[i:i + per_row])
        lines.append(indent + row + ",")
    return "\n".join(lines)


def write_blowfish(p, s):
    parts = [HEADER, '#include "processing/BlowfishTables.h"\n\n',
             "namespace tinydb {\n\n",
             "const uint32_t kBlowfishInitialP[kBlowfishPWords] = {\n",
             word_rows(p, "    "), "\n};\n\n",
             "const uint32_t kBlowfishInitialS[4][256] = {\n"]
    for k in range(4):
        parts += ["  {\n", word_rows(s[k], "    "), "\n  },\n"]
    parts += ["};\n\n", "}  // namespace tinydb\n"]
    with open(os.path.join(OUT_DIR, "BlowfishTables.cpp"), "w") as f:
        f.write("".join(parts))


def write_twofish(q0, q1, mds):
    parts = [HEADER, '#include "processing/TwofishTables.h"\n\n',
             "namespace tinydb {\n\n",
             "const uint8_t kTwofishQ0[256] = {\n", byte_rows(q0), "\n};\n\n",
             "const uint8_t kTwofishQ1[256] = {\n", byte_rows(q1), "\n};\n\n",
             "const uint32_t kTwofishMds[4][256] = {\n"]
    for j in range(4):
        parts += ["  {\n", word_rows(mds[j], "    "), "\n  },\n"]
    parts += ["};\n\n", "}  // namespace tinydb\n"]
    with open(os.path.join(OUT_DIR, "TwofishTables.cpp"), "w") as f:
        f.write("".join(parts))


def main():
    p, s = blowfish_tables()
    q0, q1, mds = twofish_tables()
    write_blowfish(p, s)
    write_twofish(q0, q1, mds)
    return 0


if __name__ == "__main__":
    sys.exit(main())
