#!/usr/bin/env python3
"""check_floors.py on small trees of sources: it passes a tree whose folders
use their own floors and those below, and whose C++ sources are all built;
it names every use of a floor above, and every source that nothing builds."""
import os
import subprocess
import sys
import tempfile
import unittest

CHECKER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "check_floors.py")

# A tree in which every folder uses only what lies below it, and every
# source is built.
SOUND = {
    "base/Result.h": "#pragma once\n",
    "base/CMakeLists.txt": "add_library(quillet_base INTERFACE)\n",
    "platform/win32/Variant.h": '#include "base/Result.h"\n',
    "platform/win32/CMakeLists.txt": "add_library(quillet_platform_win32 STATIC Variant.cpp)\n",
    "engine/text/Position.h": "#pragma once\n",
    "engine/text/unicode/Unicode.h": "#pragma once\n",
    "engine/text/CMakeLists.txt": "add_library(quillet_text INTERFACE)\n",
    "engine/memory/StoryMemory.h": '#include "engine/text/Position.h"\n',
    "engine/memory/StoryMemory.cpp": '#include "engine/memory/StoryMemory.h"\n',
    "engine/memory/CMakeLists.txt": (
        "add_library(quillet_memory STATIC ${CMAKE_CURRENT_SOURCE_DIR}/StoryMemory.cpp)\n"
        "target_link_libraries(quillet_memory PUBLIC quillet_text)\n"
    ),
    "engine/Module1.h": '#include "base/Result.h"\n#include "engine/memory/StoryMemory.h"\n',
    "engine/Module1.cpp": '#include "engine/Module1.h"\n#include "text/unicode/Unicode.h"\n#include <vector>\n',
    "engine/CMakeLists.txt": (
        "# The engine.\n"
        "add_library(quillet_engine STATIC\n  Module1.cpp)\n"
        "target_link_libraries(quillet_engine PUBLIC quillet_base # the results\n  Threads::Threads)\n"
    ),
    "dialogs/frmFind.h": '#include "engine/Module1.h"\n',
    "dialogs/frmFind.cpp": '#include "dialogs/frmFind.h"\n',
    "dialogs/CMakeLists.txt": (
        "add_library(quillet_dialogs STATIC frmFind.cpp)\n"
        "target_link_libraries(quillet_dialogs PUBLIC quillet_engine)\n"
    ),
    "packaging/Module.cpp": '#include "Identity.h"\n#include "platform/win32/Variant.h"\n',
    "tests/unit/Find_test.cpp": '#include "dialogs/frmFind.h"\n',
    "tests/windows/Dialogs_test.cpp": '#include "dialogs/frmFind.h"\n',
    "tests/CMakeLists.txt": (
        "add_executable(quillet_tests unit/Find_test.cpp)\n"
        "target_sources(quillet_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/windows/Dialogs_test.cpp)\n"
    ),
    # The samples may hold a program that no target builds.
    "samples/sketch.cpp": "int main() {}\n",
}


class CheckFloors(unittest.TestCase):
    def check(self, changes):
        """The checker's exit status and the lines it printed, on SOUND with `changes`."""
        with tempfile.TemporaryDirectory() as root:
            for path, text in {**SOUND, **changes}.items():
                os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
                with open(os.path.join(root, path), "w", encoding="utf-8") as file:
                    file.write(text)
            run = subprocess.run([sys.executable, "-B", CHECKER, root], capture_output=True, text=True)
        return run.returncode, run.stdout.splitlines()

    def test_a_tree_that_uses_only_its_own_floors_and_those_below_passes(self):
        status, lines = self.check({})
        self.assertEqual(0, status, lines)
        # Neither <vector> nor Threads::Threads is the sources' own.
        self.assertIn("13 includes and 3 links", lines[0])

    def test_includes_of_a_floor_above_are_named_with_their_line(self):
        status, lines = self.check({
            "engine/Module1.h": '#include "base/Result.h"\n#include "dialogs/frmFind.h"\n',
            "base/Result.h": '#include "../tests/unit/Find_test.cpp"\n',
        })
        self.assertEqual(1, status)
        self.assertEqual([
            "base/Result.h:1: base includes tests/unit/Find_test.cpp, of tests, a floor above",
            "engine/Module1.h:2: engine includes dialogs/frmFind.h, of dialogs, a floor above",
        ], lines)

    def test_portable_code_may_not_include_windows_only_code_even_of_its_own_floor(self):
        status, lines = self.check({"platform/Window.h": '#include "platform/win32/Variant.h"\n'})
        self.assertEqual(1, status)
        self.assertEqual(["platform/Window.h:1: platform, portable, includes platform/win32/Variant.h, "
                          "of platform/win32, Windows-only"], lines)

    def test_an_include_that_lies_nowhere_is_a_failure(self):
        status, lines = self.check({"dialogs/frmFind.h": '#include "Missing.h"\n'})
        self.assertEqual(1, status)
        self.assertEqual(["dialogs/frmFind.h:1: dialogs includes Missing.h, which lies in no floor's folder"], lines)

    def test_a_target_that_links_one_of_a_floor_above_is_named(self):
        status, lines = self.check({
            "engine/CMakeLists.txt": (
                "add_library(quillet_engine STATIC Module1.cpp)\n"
                "target_link_libraries(quillet_engine\n  PUBLIC quillet_base\n  PRIVATE quillet_dialogs)\n"
            ),
        })
        self.assertEqual(1, status)
        self.assertEqual(["engine/CMakeLists.txt:2: engine links quillet_dialogs, of dialogs, a floor above"], lines)

    def test_the_engines_rooms_use_only_the_rooms_below_them(self):
        status, lines = self.check({
            "engine/text/Position.h": '#include "engine/memory/StoryMemory.h"\n#include "engine/Module1.h"\n',
            "engine/memory/StoryMemory.h": '#include "engine/text/Position.h"\n#include "engine/Module1.h"\n',
            "engine/text/CMakeLists.txt": (
                "add_library(quillet_text STATIC Position.cpp)\n"
                "target_link_libraries(quillet_text PUBLIC quillet_memory)\n"
            ),
        })
        self.assertEqual(1, status)
        self.assertEqual([
            "engine/memory/StoryMemory.h:2: engine/memory includes engine/Module1.h, of engine, a floor above",
            "engine/text/Position.h:1: engine/text includes engine/memory/StoryMemory.h, of engine/memory, a floor above",
            "engine/text/Position.h:2: engine/text includes engine/Module1.h, of engine, a floor above",
            "engine/text/CMakeLists.txt:2: engine/text links quillet_memory, of engine/memory, a floor above",
        ], lines)

    def test_a_source_that_no_target_builds_is_named(self):
        status, lines = self.check({
            "engine/memory/UndoneWrites.cpp": "\n",
            "dialogs/win32/Win32Windows.cpp": "\n",
            "tests/unit/Forgotten_test.cpp": "\n",
            # Built all the same where the CMakeLists.txt of another folder names it.
            "dialogs/CMakeLists.txt": (
                "add_library(quillet_dialogs STATIC frmFind.cpp ../tests/unit/Find_test.cpp)\n"
                "target_link_libraries(quillet_dialogs PUBLIC quillet_engine)\n"
            ),
            "tests/CMakeLists.txt": "add_executable(quillet_tests windows/Dialogs_test.cpp)\n",
        })
        self.assertEqual(1, status)
        self.assertEqual([
            "dialogs/win32/Win32Windows.cpp: no target of any CMakeLists.txt builds it",
            "engine/memory/UndoneWrites.cpp: no target of any CMakeLists.txt builds it",
            "tests/unit/Forgotten_test.cpp: no target of any CMakeLists.txt builds it",
        ], lines)


if __name__ == "__main__":
    unittest.main()
