#!/usr/bin/python3
"""Prints the icon groups of a Windows program, one line per image:
"GROUP: WIDTHxHEIGHT COLOURS colours BITS bpp", read from the resources of
the PE file (32- or 64-bit) and checked against the image each entry names."""
import struct
import sys

RT_ICON, RT_GROUP_ICON = 3, 14


def resources(data):
    """{(type, id): bytes} of the resource section."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    sections, optional_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    resource_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]
    table = []
    for i in range(sections):
        at = optional + optional_size + 40 * i
        size, rva, raw_size, raw = struct.unpack_from("<IIII", data, at + 8)
        table.append((rva, max(size, raw_size), raw))

    def offset(rva):
        for start, size, raw in table:
            if start <= rva < start + size:
                return rva - start + raw
        raise ValueError("RVA %#x outside every section" % rva)

    base = offset(resource_rva)

    def entries(directory):
        named, ids = struct.unpack_from("<HH", data, base + directory + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", data, base + directory + 16 + 8 * i)
            yield name, target

    found = {}
    for kind, to_names in entries(0):
        for name, to_languages in entries(to_names & 0x7FFFFFFF):
            for _, leaf in entries(to_languages & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", data, base + leaf)
                found[(kind, name)] = data[offset(rva):offset(rva) + size]
    return found


def main():
    data = open(sys.argv[1], "rb").read()
    found = resources(data)
    for (kind, group), body in sorted(found.items()):
        if kind != RT_GROUP_ICON:
            continue
        count = struct.unpack_from("<H", body, 4)[0]
        for i in range(count):
            width, height, colours, _, _, bits, _, image = struct.unpack_from("<BBBBHHIH", body, 6 + 14 * i)
            header = found.get((RT_ICON, image))
            if header is None:
                raise ValueError("group %d names the missing image %d" % (group, image))
            own_width, own_height, _, own_bits = struct.unpack_from("<iiHH", header, 4)
            if (own_width, own_height // 2, own_bits) != (width or 256, height or 256, bits):
                raise ValueError("image %d is not what group %d says" % (image, group))
            print("%d: %dx%d %d colours %d bpp" % (group, width, height, colours, bits))


if __name__ == "__main__":
    main()
