"""Prints every name in an ISO 9660 image's own directory tree (not its
Joliet tree) that a reader without Joliet cannot take: MS-DOS, and Windows 95
before its CD-ROM driver loads, need level 1 names: 8.3 in A-Z, 0-9 and _,
files with version ";1", directories at most 8 levels deep.

    iso-names.py IMAGE
"""
import re
import struct
import sys

SECTOR = 2048
FILE_NAME = re.compile(rb'[A-Z0-9_]{1,8}(\.[A-Z0-9_]{0,3})?;1$')
DIR_NAME = re.compile(rb'[A-Z0-9_]{1,8}$')


def extent_of(record):
    # Both-endian fields: the little-endian half comes first.
    return struct.unpack_from('<I', record, 2)[0], struct.unpack_from('<I', record, 10)[0]


def walk(data, extent, size, path, depth, bad):
    at, end = extent * SECTOR, extent * SECTOR + size
    while at < end:
        length = data[at]
        if length == 0:  # a record never crosses a sector: the rest is padding
            at = (at // SECTOR + 1) * SECTOR
            continue
        record = data[at:at + length]
        at += length
        ident = record[33:33 + record[32]]
        if ident in (b'\x00', b'\x01'):  # "." and ".."
            continue
        name = path + '/' + ident.decode('latin-1')
        if record[25] & 2:
            if not DIR_NAME.match(ident) or depth > 8:
                bad.append(name)
            walk(data, *extent_of(record), name, depth + 1, bad)
        elif not FILE_NAME.match(ident):
            bad.append(name)


def main():
    data = open(sys.argv[1], 'rb').read()
    pvd = data[16 * SECTOR:17 * SECTOR]
    if pvd[0:6] != b'\x01CD001':
        sys.exit('%s: no primary volume descriptor' % sys.argv[1])
    bad = []
    walk(data, *extent_of(pvd[156:156 + 34]), '', 2, bad)
    for name in bad:
        print(name)


main()
