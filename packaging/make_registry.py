#!/usr/bin/env python3
"""Makes the component's registry rows (Registry.rows.in as the build filled
it in; its head says how a row is written) into the two forms that write them:
  - TABLE, the C++ tables kTreeKeys and kRegistry, for the registration in
    Quillet.dll (Registration.cpp includes it);
  - INCLUDE, the same rows as a WiX include for the installer's component
    (Quillet.wxs), which defines ModulePath and ModuleFolder for it.
    make_registry.py ROWS TABLE INCLUDE"""
import shlex
import sys
from dataclasses import dataclass, field
from xml.sax.saxutils import quoteattr

NONE = "-"
KEY_PATH = "keypath"
# TYPE: (the registration's Data, the installer's Type, whether DATA follows).
TYPES = {
    "text": ("Data::Text", "string", True),
    "number": ("Data::Number", "integer", True),
    "file": ("Data::ModulePath", "string", False),
    "folder": ("Data::ModuleFolder", "string", False),
}
# What the installer writes for a value without DATA: preprocessor variables
# that Quillet.wxs defines.
INSTALLED = {"file": "$(var.ModulePath)", "folder": "$(var.ModuleFolder)"}


@dataclass
class Value:
    subkey: str
    name: str
    kind: str
    data: str = ""
    key_path: bool = False


@dataclass
class Key:
    tree: str
    path: str
    values: list = field(default_factory=list)


class RowError(Exception):
    pass


def parse_value(line):
    lexer = shlex.shlex(line, posix=True)
    lexer.whitespace_split = True
    lexer.escape = ""
    words = list(lexer)
    if len(words) < 3 or words[2] not in TYPES:
        raise RowError("a value is SUBKEY NAME TYPE [DATA] [keypath], TYPE one of " + ", ".join(TYPES))
    subkey, name, kind, rest = words[0], words[1], words[2], words[3:]
    value = Value(subkey, name, kind)
    if TYPES[kind][2]:
        if not rest:
            raise RowError(f"a {kind} value needs its data")
        value.data = rest.pop(0)
    if rest == [KEY_PATH]:
        value.key_path = True
    elif rest:
        raise RowError("more than a value: " + " ".join(rest))
    if kind == "number" and not (value.data.isdigit() and int(value.data) < 2**32):
        raise RowError(f"{value.data} is no DWORD")
    # Windows Installer would read these as its own: a property, or a number.
    if kind == "text" and ("[" in value.data or value.data.startswith("#")):
        raise RowError(f"the installer would not write {value.data} as it stands")
    return value


def parse(rows, lines):
    keys = []
    for number, line in enumerate(lines, 1):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        try:
            if line.startswith("["):
                tree, bracket, path = line[1:].partition("]")
                if not bracket or not tree.isidentifier() or not path.strip():
                    raise RowError("a key is [Tree] PATH")
                if any(key.tree == tree for key in keys):
                    raise RowError(f"a second key {tree}")
                keys.append(Key(tree, path.strip()))
            elif not keys:
                raise RowError("a value before the first key")
            else:
                keys[-1].values.append(parse_value(line))
        except RowError as error:
            raise SystemExit(f"{rows}:{number}: {error}")
    return keys


def wide(text):
    """`text` as a C++ wide string literal."""
    return 'L"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def wide_or_null(part):
    """A subkey or a name, nullptr for none."""
    return "nullptr" if part == NONE else wide(part)


def table(keys):
    lines = ["// Made by make_registry.py from Registry.rows.in: the rows are changed there.",
             "constexpr TreeKey kTreeKeys[] = {"]
    lines += [f"    {{Tree::{key.tree}, {wide(key.path)}}}," for key in keys]
    lines += ["};", "", "constexpr RegistryValue kRegistry[] = {"]
    for key in keys:
        for value in key.values:
            row = [f"Tree::{key.tree}", wide_or_null(value.subkey), wide_or_null(value.name), TYPES[value.kind][0]]
            if value.kind == "text":
                row.append(wide(value.data))
            elif value.kind == "number":
                row += ["nullptr", value.data]
            lines.append("    {" + ", ".join(row) + "},")
    lines.append("};")
    return "\n".join(lines) + "\n"


def attributes(**names):
    return "".join(f" {name}={quoteattr(text)}" for name, text in names.items() if text)


def wix_value(value, below):
    """One RegistryValue element; `below` is the path of the key below the
    element's RegistryKey, if any."""
    subkey = "\\".join(part for part in (below, value.subkey) if part and part != NONE)
    name = "" if value.name == NONE else value.name
    text = value.data if TYPES[value.kind][2] else INSTALLED[value.kind]
    key_path = "yes" if value.key_path else ""
    return (f"    <RegistryValue{attributes(Key=subkey, Name=name)}"
            f"{attributes(Type=TYPES[value.kind][1], Value=text, KeyPath=key_path)}/>")


def include(keys):
    """The WiX include. A key below the one before it goes into that key's
    RegistryKey element, with its path relative to it."""
    lines = ['<?xml version="1.0" encoding="utf-8"?>',
             "<!-- Made by make_registry.py from Registry.rows.in: the rows are changed there. -->",
             "<Include>"]
    open_path = None
    for key in keys:
        below = ""
        if open_path and key.path.startswith(open_path + "\\"):
            below = key.path[len(open_path) + 1:]
        else:
            if open_path:
                lines.append("  </RegistryKey>")
            lines.append(f"  <RegistryKey{attributes(Root='HKCU', Key=key.path)}>")
            open_path = key.path
        lines += [wix_value(value, below) for value in key.values]
    if open_path:
        lines.append("  </RegistryKey>")
    lines.append("</Include>")
    return "\n".join(lines) + "\n"


def main():
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    rows, table_file, include_file = sys.argv[1:]
    with open(rows, encoding="utf-8") as f:
        keys = parse(rows, f)
    if sum(value.key_path for key in keys for value in key.values) != 1:
        raise SystemExit(f"{rows}: one value, no more, is the installer's keypath")
    with open(table_file, "w", encoding="utf-8") as f:
        f.write(table(keys))
    with open(include_file, "w", encoding="utf-8") as f:
        f.write(include(keys))


if __name__ == "__main__":
    main()
