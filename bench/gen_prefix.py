#!/usr/bin/env python3
"""Deterministic generator of large synthetic Wine registries.

Appends generated keys to a real system.reg (from `wineboot -i`) so that Wine
itself still starts on the result. At scale 1 it adds about 100 000 keys and
500 000 values, in a realistic mix:

  - class registrations under Software\\Classes\\CLSID (server paths, threading
    models, program ids, icons), some pointing at missing files;
  - App Paths entries, uninstall entries, startup entries (Run);
  - bulk vendor settings (strings, numbers, binary) that no check looks at.

About 2 % of the path-carrying entries point at files that do not exist.

Usage: gen_prefix.py BASE_SYSTEM_REG OUT_SYSTEM_REG [--scale S] [--seed N]
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
    def __init__(self, out, rng):
        self.out, self.rng = out, rng
        self.keys = self.values = self.broken = 0
        self.stamp = 1796797548

    def key(self, path, values):
        self.out.write("\n[%s] %d\n#time=1dd87a621b8daac\n" % (path, self.stamp))
        for name, data in values:
            self.out.write("%s=%s\n" % ('@' if name is None else '"%s"' % name, data))
        self.keys += 1
        self.values += len(values)

    def path(self, kind, index):
        if self.rng.random() < BROKEN_SHARE:
            self.broken += 1
            return '"C:\\\\Program Files\\\\Gone%d\\\\%s%d.%s"' % (index, kind, index, kind)
        return '"%s"' % self.rng.choice(EXISTING)


def classes(w, n):
    for i in range(n):
        g = guid(w.rng)
        base = "Software\\\\Classes\\\\CLSID\\\\" + g
        w.key(base, [(None, '"Generated class %d"' % i)])
        w.key(base + "\\\\InprocServer32", [(None, w.path("dll", i)), ("ThreadingModel", '"Apartment"')])
        w.key(base + "\\\\ProgID", [(None, '"Vendor.Class%d.1"' % i)])
        w.key(base + "\\\\DefaultIcon", [(None, '"C:\\\\windows\\\\system32\\\\shell32.dll,%d"' % (i % 40))])


def app_paths(w, n):
    for i in range(n):
        w.key("Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\App Paths\\\\tool%d.exe" % i,
              [(None, w.path("exe", i)), ("Path", '"C:\\\\Program Files\\\\Tool%d"' % i)])


def uninstall(w, n):
    for i in range(n):
        w.key("Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Product%d" % i, [
            ("DisplayName", '"Product %d"' % i),
            ("DisplayVersion", '"1.%d"' % (i % 10)),
            ("Publisher", '"Vendor %d"' % (i % 50)),
            ("UninstallString", w.path("exe", i)),
            ("DisplayIcon", w.path("exe", i)),
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


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("base")
    ap.add_argument("out")
    ap.add_argument("--scale", type=float, default=1.0)
    ap.add_argument("--seed", type=int, default=2006)
    a = ap.parse_args()
    rng = random.Random(a.seed)
    s = a.scale
    with open(a.base, encoding="utf-8") as base, open(a.out, "w", encoding="utf-8", newline="\n") as out:
        out.write(base.read().rstrip("\n") + "\n")
        w = Writer(out, rng)
        classes(w, int(12000 * s))           # 48 000 keys, 60 000 values
        app_paths(w, int(3000 * s))          #  3 000 keys,  6 000 values
        uninstall(w, int(4000 * s))          #  4 000 keys, 24 000 values
        startup(w, int(200 * s))             #      1 key,     200 values
        vendors(w, int(45000 * s), 9)        # 45 000 keys, 405 000 values
    print("keys=%d values=%d planted=%d" % (w.keys, w.values, w.broken))


if __name__ == "__main__":
    main()
