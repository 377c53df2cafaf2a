#!/usr/bin/env python3
"""Writes corpus/lv0_lh5_codes_to_16_bits.lzh: one "-lh5-" block whose codes
run from 1 to 16 bits, so that decoding walks the trees below both lookup
tables (characters longer than 12 bits, code-length codes longer than 8).
jlha never writes codes that long, so this seed is made by hand.

    make_long_codes.py [OUTPUT]
"""
import os
import struct
import sys

NT, TBIT, NP, PBIT, CBIT = 19, 5, 14, 4, 9


class Bits:
    def __init__(self):
        self.bits = []

    def put(self, value, n):
        self.bits += [(value >> (n - 1 - i)) & 1 for i in range(n)]

    def data(self):
        bits = self.bits + [0] * (-len(self.bits) % 8)
        return bytes(int("".join(map(str, bits[i:i + 8])), 2) for i in range(0, len(bits), 8))


def canonical(lengths):
    """Code of every symbol: shorter codes first, then symbol order."""
    codes, code = {}, 0
    for length in range(1, 17):
        for sym, l in enumerate(lengths):
            if l == length:
                codes[sym] = (code, length)
                code += 1
        code <<= 1
    return codes


def put_length(out, c):
    # 0-6 in three bits; 7 and more as 111, then c - 7 ones and a zero.
    if c < 7:
        out.put(c, 3)
    else:
        out.put(7, 3)
        out.put((1 << (c - 7 + 1)) - 2, c - 7 + 1)


def crc16(data):
    crc = 0
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "corpus", "lv0_lh5_codes_to_16_bits.lzh")
    first = ord("A")
    # Characters: 'A'.. get lengths 1, 2, ..., 16, 16 (a complete code).
    char_lengths = [0] * first + list(range(1, 17)) + [16]
    # Code-length code: symbol 2 (a run of 20 or more zeros) and 3..18 (lengths 1..16).
    t_lengths = [0, 0] + list(range(1, 17)) + [16]
    t_codes, c_codes = canonical(t_lengths), canonical(char_lengths)

    text = bytes(first + i for i in range(17)) * 3 + b"QQQQ"
    out = Bits()
    out.put(len(text), 16)

    out.put(NT, TBIT)
    for i, length in enumerate(t_lengths):
        put_length(out, length)
        if i == 2:
            out.put(0, 2)  # no extra zero lengths after the third

    out.put(len(char_lengths), CBIT)
    out.put(*t_codes[2])
    out.put(first - 20, CBIT)  # 'A' zero lengths
    for length in char_lengths[first:]:
        out.put(*t_codes[length + 2])

    out.put(0, PBIT)  # a one-symbol position code: no matches follow
    out.put(0, PBIT)
    for b in text:
        out.put(*c_codes[b])

    packed = out.data()
    name = b"largos.txt"
    body = (b"-lh5-" + struct.pack("<II", len(packed), len(text)) + struct.pack("<HH", 0x6000, 0x2A21) +
            bytes([0x20, 0, len(name)]) + name + struct.pack("<H", crc16(text)))
    with open(target, "wb") as f:
        f.write(bytes([len(body), sum(body) & 0xFF]) + body + packed + b"\0")


if __name__ == "__main__":
    main()
