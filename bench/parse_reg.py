#!/usr/bin/env python3
"""An independent parse of a Wine .reg file, the yardstick of json_bench.sh.

Reads the whole file into a dict of keys (lower-cased path -> dict of values:
lower-cased name -> (type, data text)), undoing the escapes of key and value
names, joining continued hex lines, and telling the value's type from its
prefix (str:, str(2):, dword:, hex:, hex(N):, or a quoted string). It checks
nothing; it is what reading a registry costs a plain Python program.

Usage: parse_reg.py FILE...   prints keys and values read
"""
import sys


def unescape(text):
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if c != "\\" or i + 1 >= n:
            out.append(c)
            i += 1
            continue
        e = text[i + 1]
        if e == "x":
            j = i + 2
            while j < n and j < i + 6 and text[j] in "0123456789abcdefABCDEF":
                j += 1
            out.append(chr(int(text[i + 2:j], 16)) if j > i + 2 else "x")
            i = j
        else:
            out.append({"n": "\n", "r": "\r", "t": "\t", "0": "\0"}.get(e, e))
            i += 2
    return "".join(out)


def quoted_end(line, start):
    """The index of the quote closing the string that starts after `start`."""
    i = start + 1
    while line[i] != '"':
        i += 2 if line[i] == "\\" else 1
    return i


def parse(path, keys):
    values = 0
    current = None
    pending = None  # (name, kind, parts) of a hex value continued on the next line
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        for raw in f:
            line = raw.rstrip("\n")
            if pending:
                name, kind, parts = pending
                part = line.strip()
                if part.endswith("\\"):
                    parts.append(part[:-1])
                    continue
                parts.append(part)
                current[name] = (kind, "".join(parts))
                pending = None
                continue
            if not line or line[0] in ";#":
                continue
            if line[0] == "[":
                i = 1
                while line[i] != "]":
                    i += 2 if line[i] == "\\" else 1
                name = unescape(line[1:i]).lower()
                current = keys.setdefault(name, {})
                continue
            if current is None:
                continue
            if line[0] == "@":
                name, rest = "", line[2:]
            elif line[0] == '"':
                end = quoted_end(line, 0)
                name, rest = unescape(line[1:end]).lower(), line[end + 2:]
            else:
                continue
            values += 1
            if rest.startswith('"'):
                current[name] = ("str", unescape(rest[1:-1]))
            elif rest.startswith("str(2):") or rest.startswith("str(7):"):
                current[name] = (rest[:6], unescape(rest[8:-1]))
            elif rest.startswith("dword:"):
                current[name] = ("dword", int(rest[6:], 16))
            else:
                colon = rest.find(":")
                kind, data = rest[:colon], rest[colon + 1:]
                if data.endswith("\\"):
                    pending = (name, kind, [data[:-1]])
                else:
                    current[name] = (kind, data)
    return values


def main():
    keys = {}
    values = sum(parse(path, keys) for path in sys.argv[1:])
    print("keys=%d values=%d" % (len(keys), values))


if __name__ == "__main__":
    main()
