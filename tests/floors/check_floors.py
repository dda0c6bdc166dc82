#!/usr/bin/env python3
"""Checks that each folder of the sources uses only its own floor and those
below it: no #include of a project file, and no CMake target linked, from a
floor above; and that every C++ source of the engine, the dialogs and the
tests is built by some target.

    check_floors.py SOURCES

Prints every upward use as FILE:LINE: ..., and every source that nothing
builds as FILE: ..., and exits with 1 when there is one."""
import os
import re
import sys
from pathlib import PurePosixPath

# Each folder's floor, lowest first, and whether it is Windows-only code. A
# folder may use its own floor and the floors below; Windows-only code sits
# beside the portable code of its floor and may use Windows-only code too,
# which portable code never does. A subfolder stands on its folder's floor.
FLOORS = {
    "base": (0, False),
    "platform": (1, False),
    "platform/win32": (1, True),
    "host": (2, False),
    "host/com": (2, True),
    # The engine's rooms: matching, then what the engine remembers, then the
    # rest of the engine over both.
    "engine/text": (3, False),
    "engine/memory": (4, False),
    "engine": (5, False),
    "dialogs": (6, False),
    "dialogs/win32": (6, True),
    "addin": (7, False),
    "addin/win32": (7, True),
    "packaging": (8, True),
    # On top, free to use anything.
    "simhost": (9, True),
    "samples": (9, True),
    "bench": (9, True),
    "tests": (9, True),
}

# The folders whose every C++ source some target must build. A source that
# none names still compiles in an editor and reads as part of the system, yet
# its tests never run and its code never ships. The check reads every
# CMakeLists.txt, those of the Windows build too, which a configure-time check
# in CMake could not: it sees only the targets of the platform it configures.
BUILT = ("engine", "dialogs", "tests")

# Files that the build makes, by the name that they are included by, and the
# folder whose CMakeLists.txt makes them.
GENERATED = {
    "AddInDesigner.h": "host/com",  # widl, from AddInDesigner.idl
    "Quillet.h": "addin/win32",  # widl, from Quillet.idl.in
    "Identity.h": "packaging",  # from Identity.h.in
    "RegistryRows.inc": "packaging",  # make_registry.py, from Registry.rows.in
}

SOURCE_SUFFIXES = (".h", ".cpp", ".c", ".idl", ".rc", ".in")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
TARGET_COMMAND = re.compile(r"\b(add_library|add_executable|target_sources|target_link_libraries)\s*\(")
DEFINING = {"add_library", "add_executable"}
# Where a source named by these stands, relative to its CMakeLists.txt's folder or to the root.
FOLDER_VARIABLES = {"${CMAKE_CURRENT_SOURCE_DIR}/": False, "${PROJECT_SOURCE_DIR}/": True}
LINK_KEYWORDS = {"PUBLIC", "PRIVATE", "INTERFACE", "LINK_PUBLIC", "LINK_PRIVATE", "debug", "optimized", "general"}


def folder_of(path):
    """The folder of FLOORS that `path` (relative to the sources) lies in, or None."""
    parts = PurePosixPath(path).parts
    for length in range(len(parts), 0, -1):
        folder = "/".join(parts[:length])
        if folder in FLOORS:
            return folder
    return None


def source_files(root):
    """Every file of the floors' folders, relative to `root`, in order."""
    for top in sorted({folder.split("/")[0] for folder in FLOORS}):
        for directory, subdirectories, files in os.walk(os.path.join(root, top)):
            subdirectories.sort()
            for name in sorted(files):
                yield os.path.relpath(os.path.join(directory, name), root).replace(os.sep, "/")


def included_file(root, includer, name):
    """Where `#include "name"` in `includer` lies, relative to `root`: beside
    the includer, from the root, or made by the build; None when nowhere."""
    for candidate in (os.path.join(os.path.dirname(includer), name), name):
        candidate = os.path.normpath(candidate).replace(os.sep, "/")
        if not candidate.startswith("../") and os.path.isfile(os.path.join(root, candidate)):
            return candidate
    if name in GENERATED:
        return GENERATED[name] + "/" + name
    return None


def includes(root, files):
    """(where, user, included, used) of every #include of the sources: `used`
    is the folder of FLOORS that the included file lies in, or None."""
    for path in files:
        if not path.endswith(SOURCE_SUFFIXES):
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as source:
            for number, line in enumerate(source, start=1):
                match = INCLUDE.match(line)
                if match:
                    included = included_file(root, path, match.group(1)) or match.group(1)
                    yield f"{path}:{number}", folder_of(path), included, folder_of(included)


def cmake_commands(text):
    """(name, line, arguments) of every target command in a CMake file."""
    text = re.sub(r"#[^\n]*", "", text)
    for match in TARGET_COMMAND.finditer(text):
        depth, end = 1, match.end()
        while depth and end < len(text):
            depth += {"(": 1, ")": -1}.get(text[end], 0)
            end += 1
        yield match.group(1), text.count("\n", 0, match.start()) + 1, text[match.end() : end - 1].split()


def target_commands(root, files):
    """(CMakeLists.txt, name, line, arguments) of every target command of the
    sources that names a target."""
    for path in files:
        if os.path.basename(path) != "CMakeLists.txt":
            continue
        with open(os.path.join(root, path), encoding="utf-8") as cmake:
            for command, number, arguments in cmake_commands(cmake.read()):
                if arguments:
                    yield path, command, number, arguments


def links(commands):
    """(where, user, target linked, used) of every link between two targets of
    the sources, each in the folder that defines it."""
    defined = {}
    linking = []
    for path, command, number, arguments in commands:
        if command == "target_link_libraries":
            linking.append((f"{path}:{number}", arguments[0], arguments[1:]))
        elif command in DEFINING:
            defined[arguments[0]] = folder_of(path)
    for where, target, dependencies in linking:
        for dependency in dependencies:
            if target in defined and dependency in defined and dependency not in LINK_KEYWORDS:
                yield where, defined[target], dependency, defined[dependency]


def named_source(cmake, argument):
    """The source that `argument` of a target command in `cmake` names,
    relative to the root; None for what the build makes."""
    folder = os.path.dirname(cmake)
    for variable, from_root in FOLDER_VARIABLES.items():
        if argument.startswith(variable):
            argument = argument[len(variable) :]
            folder = "" if from_root else folder
    if "${" in argument:
        return None
    return os.path.normpath(os.path.join(folder, argument)).replace(os.sep, "/")


def unbuilt(files, commands):
    """The C++ sources of BUILT that no target command names."""
    built = {
        named_source(path, argument)
        for path, command, _, arguments in commands
        if command != "target_link_libraries"
        for argument in arguments[1:]
    }
    for path in files:
        if path.endswith(".cpp") and path.split("/")[0] in BUILT and path not in built:
            yield f"{path}: no target of any CMakeLists.txt builds it"


def upward(uses, verb):
    """What of `uses` goes to a floor above its user's, to Windows-only code
    from portable code, or to no floor."""
    for where, user, used_file, used in uses:
        if used is None:
            yield f"{where}: {user} {verb} {used_file}, which lies in no floor's folder"
        elif FLOORS[used][0] > FLOORS[user][0]:
            yield f"{where}: {user} {verb} {used_file}, of {used}, a floor above"
        elif FLOORS[used][1] and not FLOORS[user][1]:
            yield f"{where}: {user}, portable, {verb} {used_file}, of {used}, Windows-only"


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: check_floors.py SOURCES")
    root = sys.argv[1]
    files = list(source_files(root))
    included = list(includes(root, files))
    commands = list(target_commands(root, files))
    linked = list(links(commands))
    wrong = list(upward(included, "includes")) + list(upward(linked, "links"))
    orphans = list(unbuilt(files, commands))
    for line in wrong + orphans:
        print(line)
    if wrong or orphans:
        sys.exit(f"includes and links that go up a floor: {len(wrong)}, sources that nothing builds: {len(orphans)} "
                 "(the floors: tests/floors/check_floors.py)")
    print(f"{len(included)} includes and {len(linked)} links between the sources' own files and targets: "
          "each goes to its user's floor or below; every C++ source of " + ", ".join(BUILT) + " is built")


if __name__ == "__main__":
    main()
