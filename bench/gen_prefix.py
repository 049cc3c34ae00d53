#!/usr/bin/env python3
"""Deterministic generator of large synthetic Wine registries.

Adds generated keys to a real system.reg (from `wineboot -i`) so that Wine
itself still starts on the result, and writes the whole file as wineserver
saves it: keys depth first with sub-keys in Wine's order (case-insensitive,
shorter name first), values in the same order, a key written only when it has
values or no sub-keys. With --append the generated keys are only appended
after Wine's own instead, out of order (a file not written by Wine). At
scale 1 it adds about 100 000 keys and 500 000 values, in a realistic mix:

  - class registrations under Software\\Classes\\CLSID (server paths, threading
    models, program ids, icons), some pointing at missing files;
  - App Paths entries, uninstall entries, startup entries (Run);
  - bulk vendor settings (strings, numbers, binary) that no check looks at.

About 2 % of the path-carrying entries point at files that do not exist;
--class-broken, --app-broken and --uninstall-broken set that share for the
class registrations' servers, the App Paths and the uninstall entries (e.g.
0.1, 0.2 and 1 for a registry with many problems, bench/json_bench.sh).

Usage: gen_prefix.py BASE_SYSTEM_REG OUT_SYSTEM_REG [--scale S] [--seed N] [--append]
                     [--class-broken F] [--app-broken F] [--uninstall-broken F]
Prints the number of keys and values added, and of planted problems.
"""
import argparse
import random

EXISTING = [
    "C:\\\\windows\\\\system32\\\\kernel32.dll",
    "C:\\\\windows\\\\system32\\\\ole32.dll",
    "C:\\\\windows\\\\system32\\\\shell32.dll",
    "C:\\\\windows\\\\notepad.exe",
    "C:\\\\windows\\\\regedit.exe",
]
BROKEN_SHARE = 0.02


def guid(rng):
    h = "%032x" % rng.getrandbits(128)
    return ("{%s-%s-%s-%s-%s}" % (h[:8], h[8:12], h[12:16], h[16:20], h[20:])).upper()


class Writer:
    """Collects the generated keys as blocks of lines, as system.reg holds them."""

    def __init__(self, rng):
        self.rng = rng
        self.blocks = []  # (path as written, [header and value lines])
        self.keys = self.values = self.broken = 0
        self.stamp = 1796797549  # the seconds of the #time below, as Wine writes them

    def key(self, path, values):
        lines = ["[%s] %d" % (path, self.stamp), "#time=1dd87a621b8daac"]
        lines += ["%s=%s" % ('@' if name is None else '"%s"' % name, data) for name, data in values]
        self.blocks.append((path, lines))
        self.keys += 1
        self.values += len(values)

    def path(self, kind, index, share=BROKEN_SHARE):
        if self.rng.random() < share:
            self.broken += 1
            return '"C:\\\\Program Files\\\\Gone%d\\\\%s%d.%s"' % (index, kind, index, kind)
        return '"%s"' % self.rng.choice(EXISTING)


def classes(w, n, broken=BROKEN_SHARE):
    for i in range(n):
        g = guid(w.rng)
        base = "Software\\\\Classes\\\\CLSID\\\\" + g
        w.key(base, [(None, '"Generated class %d"' % i)])
        w.key(base + "\\\\InprocServer32", [(None, w.path("dll", i, broken)), ("ThreadingModel", '"Apartment"')])
        w.key(base + "\\\\ProgID", [(None, '"Vendor.Class%d.1"' % i)])
        w.key(base + "\\\\DefaultIcon", [(None, '"C:\\\\windows\\\\system32\\\\shell32.dll,%d"' % (i % 40))])


def app_paths(w, n, broken=BROKEN_SHARE):
    for i in range(n):
        w.key("Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\tool%d.exe" % i,
              [(None, w.path("exe", i, broken)), ("Path", '"C:\\\\Program Files\\\\Tool%d"' % i)])


def uninstall(w, n, broken=BROKEN_SHARE):
    for i in range(n):
        w.key("Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Product%d" % i, [
            ("DisplayName", '"Product %d"' % i),
            ("DisplayVersion", '"1.%d"' % (i % 10)),
            ("Publisher", '"Vendor %d"' % (i % 50)),
            ("UninstallString", w.path("exe", i, broken)),
            ("DisplayIcon", w.path("exe", i, broken)),
            ("EstimatedSize", "dword:%08x" % (i * 13)),
        ])


def startup(w, n):
    w.key("Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run",
          [("Start%d" % i, w.path("exe", i)) for i in range(n)])


def vendors(w, keys, values_per_key):
    for i in range(keys):
        vals = []
        for j in range(values_per_key):
            r = (i * 31 + j) % 3
            if r == 0:
                vals.append(("Setting%d" % j, '"value %d of %d"' % (j, i)))
            elif r == 1:
                vals.append(("Count%d" % j, "dword:%08x" % ((i * j) & 0xffffffff)))
            else:
                vals.append(("Blob%d" % j, "hex:%02x,%02x,%02x,%02x" % (i & 255, j & 255, 1, 2)))
        w.key("Software\\\\Vendor%d\\\\Product%d\\\\Settings\\\\Group%d" % (i % 97, i % 13, i), vals)


# ---------------------------------------------------------------- Wine's order

def unescape(text):
    """The name behind its written form (wineserver's escapes, enough to order by)."""
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c != "\\" or i + 1 >= len(text):
            out.append(c)
            i += 1
            continue
        e = text[i + 1]
        if e == "x":
            j = i + 2
            while j < len(text) and j < i + 6 and text[j] in "0123456789abcdefABCDEF":
                j += 1
            out.append(chr(int(text[i + 2:j], 16)) if j > i + 2 else "x")
            i = j
            continue
        out.append(e)
        i += 2
    return "".join(out)


def order_of_name(name):
    return unescape(name).lower()


def order_of_path(path):
    return tuple(order_of_name(part) for part in path.split("\\\\"))


def value_name(line):
    """The written name of a value line, '' for the default value."""
    if line.startswith("@"):
        return ""
    i = 1
    while line[i] != '"':
        i += 2 if line[i] == "\\" else 1
    return line[1:i]


def read_blocks(text):
    """The lines before the first key, and the keys as (path, lines)."""
    head, blocks = [], []
    for line in text.split("\n"):
        if line.startswith("["):
            i = 1
            while line[i] != "]":
                i += 2 if line[i] == "\\" else 1
            blocks.append((line[1:i], [line]))
        elif blocks:
            if line:
                blocks[-1][1].append(line)
        else:
            head.append(line)
    while head and not head[-1]:
        head.pop()
    return head, blocks


def split_values(lines):
    """The option lines of a key and its values as {order: (name, lines)}."""
    options, values = [], {}
    for line in lines[1:]:
        if line.startswith(("@", '"')):
            name = value_name(line)
            values[order_of_name(name)] = [line]
        elif line.startswith("  ") and values:
            values[list(values)[-1]].append(line)  # a hex continuation line
        else:
            options.append(line)
    return options, values


def merged(base_blocks, new_blocks):
    """Every key once, in Wine's order; a generated key adds to a key of Wine's."""
    keys = {}
    for path, lines in base_blocks + new_blocks:
        order = order_of_path(path)
        options, values = split_values(lines)
        if order in keys:
            keys[order][2].update(values)
        else:
            keys[order] = (lines[0], options, values)
    ordered = sorted(keys)
    out = []
    for n, order in enumerate(ordered):
        header, options, values = keys[order]
        has_children = n + 1 < len(ordered) and ordered[n + 1][:len(order)] == order
        if has_children and not values and not any(o.startswith(("#class", "#link")) for o in options):
            continue  # wineserver writes a key with sub-keys only when it holds something
        block = [header] + options
        for name in sorted(values):
            block += values[name]
        out.append(block)
    return out


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("base")
    ap.add_argument("out")
    ap.add_argument("--scale", type=float, default=1.0)
    ap.add_argument("--seed", type=int, default=2006)
    ap.add_argument("--append", action="store_true", help="append the keys out of order")
    ap.add_argument("--class-broken", type=float, default=BROKEN_SHARE)
    ap.add_argument("--app-broken", type=float, default=BROKEN_SHARE)
    ap.add_argument("--uninstall-broken", type=float, default=BROKEN_SHARE)
    a = ap.parse_args()
    rng = random.Random(a.seed)
    s = a.scale
    w = Writer(rng)
    classes(w, int(12000 * s), a.class_broken)        # 48 000 keys, 60 000 values
    app_paths(w, int(3000 * s), a.app_broken)         #  3 000 keys,  6 000 values
    uninstall(w, int(4000 * s), a.uninstall_broken)   #  4 000 keys, 24 000 values
    startup(w, int(200 * s))             #      1 key,     200 values
    vendors(w, int(45000 * s), 9)        # 45 000 keys, 405 000 values
    with open(a.base, encoding="utf-8") as base:
        head, base_blocks = read_blocks(base.read())
    if a.append:
        blocks = [lines for _, lines in base_blocks + w.blocks]
    else:
        blocks = merged(base_blocks, w.blocks)
    with open(a.out, "w", encoding="utf-8", newline="\n") as out:
        out.write("\n".join(head) + "\n")
        for lines in blocks:
            out.write("\n" + "\n".join(lines) + "\n")
    print("keys=%d values=%d planted=%d" % (w.keys, w.values, w.broken))


if __name__ == "__main__":
    main()
