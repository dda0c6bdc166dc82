#!/usr/bin/env python3
"""Generates the search buffer's Unicode tables as C++ source.

Usage: gen_unicode_tables.py <unicode-dir> <out.cpp>

Reads CaseFolding.txt (simple folding: statuses C and S) and UnicodeData.txt
(general categories) from <unicode-dir>. The find relies on properties of the
folding that the data happens to have; each is asserted here so that a new
Unicode version that breaks one stops the build instead of the find.
"""

import os
import sys

BMP_LIMIT = 0x10000
MAX_CLASS = 4  # kFoldClassStride in UnicodeTables.h


def fail(message):
    sys.stderr.write("gen_unicode_tables: " + message + "\n")
    sys.exit(1)


def is_surrogate(cp):
    return 0xD800 <= cp <= 0xDFFF


def high_surrogate(cp):
    return 0xD800 + ((cp - BMP_LIMIT) >> 10)


def read_lines(path):
    with open(path, encoding="utf-8") as f:
        for raw in f:
            line = raw.split("#", 1)[0].strip()
            if line:
                yield line


def read_folding(path):
    folding = {}
    for line in read_lines(path):
        fields = [f.strip() for f in line.split(";")]
        if len(fields) < 3:
            fail("malformed line in CaseFolding.txt: " + line)
        status = fields[1]
        if status not in ("C", "S"):
            continue
        source = int(fields[0], 16)
        targets = fields[2].split()
        if len(targets) != 1:
            fail("simple folding of U+%04X maps to %d code points" % (source, len(targets)))
        target = int(targets[0], 16)
        if source in folding:
            fail("U+%04X has two simple foldings" % source)
        # The buffer compares folded UTF-16 unit by unit at the positions of
        # the content, which only works while folding keeps each code point's
        # length in code units.
        if (source < BMP_LIMIT) != (target < BMP_LIMIT):
            fail("folding U+%04X -> U+%04X changes its UTF-16 length" % (source, target))
        if is_surrogate(source) or is_surrogate(target):
            fail("folding involves a surrogate code point: U+%04X -> U+%04X" % (source, target))
        # A high surrogate in the needle is used as a search anchor that must
        # match exactly, which holds only while folding never moves a
        # supplementary code point to another block of 1024.
        if source >= BMP_LIMIT and high_surrogate(source) != high_surrogate(target):
            fail("folding U+%04X -> U+%04X changes the high surrogate" % (source, target))
        folding[source] = target
    if not folding:
        fail("no C or S mappings found in " + path)
    # A haystack unit equal to the folded needle's unit is taken as matching
    # without folding it, which needs folded text to fold to itself.
    for source, target in folding.items():
        if folding.get(target, target) != target:
            fail("folding is not idempotent at U+%04X" % source)
    return folding


def read_word_chars(path):
    """Returns the set of code points in L*, M*, N* or Pc."""
    words = set()
    range_start = None
    for line in read_lines(path):
        fields = line.split(";")
        if len(fields) < 3:
            fail("malformed line in UnicodeData.txt: " + line)
        cp = int(fields[0], 16)
        name = fields[1]
        category = fields[2]
        is_word = category[:1] in ("L", "M", "N") or category == "Pc"
        if name.startswith("<") and name.endswith(", First>"):
            range_start = (cp, is_word)
            continue
        if name.startswith("<") and name.endswith(", Last>"):
            if range_start is None:
                fail("range end without start at U+%04X" % cp)
            if range_start[1]:
                words.update(range(range_start[0], cp + 1))
            range_start = None
            continue
        if range_start is not None:
            fail("range start without end before U+%04X" % cp)
        if is_word:
            words.add(cp)
    return words


def ranges_of(sorted_cps):
    out = []
    for cp in sorted_cps:
        if out and out[-1][1] + 1 == cp:
            out[-1][1] = cp
        else:
            out.append([cp, cp])
    return out


def emit_array(out, ctype, name, values, per_line=12, fmt="0x%04X"):
    out.append("const %s %s[%d] = {" % (ctype, name, len(values)))
    for i in range(0, len(values), per_line):
        out.append("    " + ", ".join(fmt % v for v in values[i:i + per_line]) + ",")
    out.append("};")


def generate(unicode_dir, out_path):
    folding = read_folding(os.path.join(unicode_dir, "CaseFolding.txt"))
    words = read_word_chars(os.path.join(unicode_dir, "UnicodeData.txt"))

    # BMP folding as a two-stage table of deltas (mod 2^16): the many blocks
    # without folding all share one block of zeros.
    blocks = []
    block_index = {}
    stage1 = []
    for hi in range(256):
        block = tuple(((folding.get(cp, cp) - cp) & 0xFFFF) for cp in range(hi << 8, (hi + 1) << 8))
        if block not in block_index:
            block_index[block] = len(blocks)
            blocks.append(block)
        stage1.append(block_index[block])
    if len(blocks) > 256:
        fail("too many distinct folding blocks for an 8-bit stage 1")
    stage2 = [v for block in blocks for v in block]

    supp_fold = sorted((s, t) for s, t in folding.items() if s >= BMP_LIMIT)

    # BMP units grouped by what they fold to; a search anchor compares
    # against every member of its group.
    groups = {}
    for cp in range(BMP_LIMIT):
        if is_surrogate(cp):
            continue
        groups.setdefault(folding.get(cp, cp), []).append(cp)
    classes = sorted((key, members) for key, members in groups.items() if len(members) > 1)
    for key, members in classes:
        if len(members) > MAX_CLASS:
            fail("U+%04X has %d units folding to it, more than %d" % (key, len(members), MAX_CLASS))
    class_keys = [key for key, _ in classes]
    class_sizes = [len(members) for _, members in classes]
    class_members = []
    for _, members in classes:
        class_members.extend(members + [members[0]] * (MAX_CLASS - len(members)))

    word_bmp = [0] * (BMP_LIMIT // 32)
    for cp in words:
        if cp < BMP_LIMIT:
            word_bmp[cp >> 5] |= 1 << (cp & 31)
    word_supp = ranges_of(sorted(cp for cp in words if cp >= BMP_LIMIT))

    out = []
    out.append("// Generated by engine/text/unicode/gen_unicode_tables.py from CaseFolding.txt")
    out.append("// and UnicodeData.txt. Do not edit.")
    out.append('#include "engine/text/unicode/UnicodeTables.h"')
    out.append("")
    out.append("namespace quillet::unicode::tables {")
    out.append("")
    out.append("static_assert(kFoldClassStride == %d);" % MAX_CLASS)
    out.append("")
    emit_array(out, "std::uint8_t", "kFoldStage1", stage1, 16, "%d")
    emit_array(out, "std::uint16_t", "kFoldStage2", stage2)
    out.append("")
    emit_array(out, "std::uint32_t", "kSuppFoldFrom", [s for s, _ in supp_fold], 8, "0x%05X")
    emit_array(out, "std::uint32_t", "kSuppFoldTo", [t for _, t in supp_fold], 8, "0x%05X")
    out.append("const int kSuppFoldCount = %d;" % len(supp_fold))
    out.append("")
    emit_array(out, "std::uint16_t", "kFoldClassKey", class_keys)
    emit_array(out, "std::uint8_t", "kFoldClassSize", class_sizes, 16, "%d")
    emit_array(out, "std::uint16_t", "kFoldClassMembers", class_members, 8)
    out.append("const int kFoldClassCount = %d;" % len(classes))
    out.append("")
    emit_array(out, "std::uint32_t", "kWordBmp", word_bmp, 8, "0x%08X")
    emit_array(out, "std::uint32_t", "kWordSuppFirst", [r[0] for r in word_supp], 8, "0x%05X")
    emit_array(out, "std::uint32_t", "kWordSuppLast", [r[1] for r in word_supp], 8, "0x%05X")
    out.append("const int kWordSuppCount = %d;" % len(word_supp))
    out.append("")
    out.append("}  // namespace quillet::unicode::tables")
    out.append("")

    text = "\n".join(out)
    tmp = out_path + ".tmp"
    with open(tmp, "w", encoding="utf-8") as f:
        f.write(text)
    os.replace(tmp, out_path)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: gen_unicode_tables.py <unicode-dir> <out.cpp>\n")
        return 2
    generate(argv[1], argv[2])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
