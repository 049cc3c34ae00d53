#!/usr/bin/env python3
"""Deterministic generator of a large folder tree for the shortcut walk bench.

Writes FILES files in FOLDERS folders below OUT (default 200 000 files in
20 000 folders, three levels: 20 top folders of 10 folders of 99), the files
spread evenly, one file in a hundred a .lnk (2 000 at the default size): half
of them broken (their relative target is missing), half pointing at the first file
of their folder. The other files are small text files of a few bytes, a tenth of
them without a dot in the name.

Usage: gen_tree.py OUT [--files N] [--folders N]
Prints the number of folders, files and links written.
"""
import argparse
import os
import struct


def link_bytes(name, target):
    """A shell link holding a name and a relative path, in ANSI: the smallest
    link the reader takes (the same layout the unit tests build)."""
    head = bytearray(0x4C)
    head[0:20] = bytes([0x4C, 0, 0, 0, 0x01, 0x14, 0x02, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46])
    head[0x14] = 0x0C  # has a name and a relative path
    out = bytes(head)
    for text in (name, target):
        data = text.encode("latin-1")
        out += struct.pack("<H", len(data)) + data
    return out + bytes(4)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("--files", type=int, default=200_000)
    parser.add_argument("--folders", type=int, default=20_000)
    args = parser.parse_args()

    # Three levels: top / middle / leaf; every folder holds files.
    tops, middles = 20, 10
    leaves = max(0, -(-(args.folders - tops - tops * middles) // (tops * middles)))
    folders = []
    for t in range(tops):
        top = os.path.join(args.out, "Top %02d" % t)
        folders.append(top)
        for m in range(middles):
            middle = os.path.join(top, "middle%02d" % m)
            folders.append(middle)
            for leaf in range(leaves):
                folders.append(os.path.join(middle, "Leaf folder %03d" % leaf))
    folders = folders[: args.folders]
    per_folder, extra = divmod(args.files, len(folders))
    written = links = 0

    def file_name(number):
        return "file%06d.txt" % number if number % 10 else "README%06d" % number
    for index, folder in enumerate(folders):
        os.makedirs(folder, exist_ok=True)
        count = per_folder + (1 if index < extra else 0)
        for i in range(count):
            number = written + i
            if number % 100 == 50:
                broken = (number // 100) % 2 == 0
                first = written if written != number else written + 1
                target = "gone%06d.exe" % number if broken else file_name(first)
                with open(os.path.join(folder, "Link %06d.lnk" % number), "wb") as f:
                    f.write(link_bytes("Link %d" % number, target))
                links += 1
            else:
                with open(os.path.join(folder, file_name(number)), "w") as f:
                    f.write("x")
        written += count
    print("%d folders, %d files, %d links" % (len(folders), written, links))


if __name__ == "__main__":
    main()
