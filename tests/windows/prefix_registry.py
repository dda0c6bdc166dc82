#!/usr/bin/env python3
"""Reads the registry of a Wine prefix from its files, for the install tests.

  prefix_registry.py keys PREFIX NAME...
      prints every key whose path names one of NAME (case does not count),
      with its values, sorted: what the component wrote.
  prefix_registry.py unchanged BEFORE_DIR PREFIX NAME...
      fails when the prefix's registry still names one of NAME anywhere, or
      holds a key with values that BEFORE_DIR (a copy of system.reg and
      user.reg taken earlier) did not have. Keys that Wine itself changes
      meanwhile (devices, caches) may change; new empty keys, such as the
      installer's own folders, may stay.
  prefix_registry.py product PREFIX {PRODUCT-CODE}
      succeeds when Windows Installer has the product registered: its code,
      as is or in the installer's packed form, names a key or a value.
"""
import os
import re
import sys

HIVES = (("system.reg", "HKLM"), ("user.reg", "HKCU"))
KEY_LINE = re.compile(r"^\[(.*)\](?: \d+)?$")


def read_hive(path, hive):
    keys = {}
    current = None
    with open(path, encoding="utf-8", errors="replace") as lines:
        for line in lines:
            line = line.rstrip("\n")
            found = KEY_LINE.match(line)
            if found:
                current = hive + "\\" + found.group(1)
                keys[current] = []
            elif current is not None and line and not line.startswith(("#", ";")):
                keys[current].append(line)
    return keys


def read_registry(folder):
    keys = {}
    for file, hive in HIVES:
        keys.update(read_hive(os.path.join(folder, file), hive))
    return keys


def names_one(text, names):
    lowered = text.lower()
    return any(name.lower() in lowered for name in names)


def keys(prefix, names):
    registry = read_registry(prefix)
    for key in sorted(registry):
        if names_one(key, names):
            print(key)
            for value in sorted(registry[key]):
                print("  " + value)


def unchanged(before_dir, prefix, names):
    before = read_registry(before_dir)
    after = read_registry(prefix)
    left = []
    for key, values in sorted(after.items()):
        if names_one(key, names) or any(names_one(value, names) for value in values):
            left.append("still names the component: " + key)
        elif key not in before and values:
            left.append("new key with values: " + key)
    for line in left:
        print(line)
    return 1 if left else 0


def packed(guid):
    """A GUID as Windows Installer writes it in its keys: each part's hex
    digits reversed, the last two parts byte by byte."""
    parts = guid.strip("{}").upper().split("-")
    head = "".join(part[::-1] for part in parts[:3])
    tail = "".join(pair[::-1] for pair in re.findall("..", parts[3] + parts[4]))
    return head + tail


def product(prefix, code):
    registry = read_registry(prefix)
    names = (code.strip("{}"), packed(code))
    return 0 if any(names_one(key, names) or any(names_one(value, names) for value in values)
                    for key, values in registry.items()) else 1


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "keys":
        keys(sys.argv[2], sys.argv[3:])
        return 0
    if len(sys.argv) >= 4 and sys.argv[1] == "unchanged":
        return unchanged(sys.argv[2], sys.argv[3], sys.argv[4:])
    if len(sys.argv) == 4 and sys.argv[1] == "product":
        return product(sys.argv[2], sys.argv[3])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main())
