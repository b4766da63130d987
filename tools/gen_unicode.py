#!/usr/bin/env python3
"""Writes src/sys_unicode_tables.inc: case mappings and character classes.

Uses only the standard library (unicodedata), so the tables follow the Unicode
version of the Python that runs it; rerun and commit the output after an upgrade:

    python3 tools/gen_unicode.py > src/sys_unicode_tables.inc

Definitions used:
  * Case mappings: the full default mappings, i.e. UnicodeData simple mappings
    overridden by the unconditional SpecialCasing entries. Python's
    str.lower()/str.upper() on a single character give exactly these
    (U+0130 -> "i" U+0307, U+00DF -> "SS"); the one conditional rule Python
    applies (final sigma) does not fire on a lone character.
  * White_Space: general categories Zs, Zl, Zp plus U+0009..U+000D and U+0085.
    This equals the White_Space property of PropList.txt, which unicodedata
    does not expose.
  * Alphabetic: categories Lu, Ll, Lt, Lm, Lo, Nl, plus an approximation of
    Other_Alphabetic (also not exposed by unicodedata):
      - combining marks (Mn, Mc) named as vowel signs or syllable modifiers
        ("VOWEL SIGN", "CONSONANT SIGN", "ANUSVARA", "VISARGA", "CANDRABINDU"),
      - every other spacing mark (Mc) except viramas and musical symbols,
      - Hebrew, Arabic and Syriac points (Mn with combining class 10..36),
      - U+0345 COMBINING GREEK YPOGEGRAMMENI,
      - enclosed Latin letters (So named "... LATIN CAPITAL/SMALL LETTER ...").
    A few rarer Other_Alphabetic marks are missed; generic diacritics
    (U+0300..U+036F, nuktas, viramas) are excluded, as in Unicode.
  * Numeric: categories Nd, Nl, No.
"""
import sys
import unicodedata

MAX_CP = 0x10FFFF


def code_points():
    for cp in range(MAX_CP + 1):
        if 0xD800 <= cp <= 0xDFFF:
            continue
        yield cp


def is_white_space(cp, cat):
    return cat in ("Zs", "Zl", "Zp") or 0x09 <= cp <= 0x0D or cp == 0x85


MARK_NAME_WORDS = ("VOWEL SIGN", "CONSONANT SIGN", "ANUSVARA", "VISARGA", "CANDRABINDU")


def is_other_alphabetic(cp, cat):
    if cp == 0x0345:
        return True
    name = unicodedata.name(chr(cp), "")
    if cat in ("Mn", "Mc"):
        if any(w in name for w in MARK_NAME_WORDS):
            return True
        if cat == "Mc" and "VIRAMA" not in name and "MUSICAL SYMBOL" not in name:
            return True
        if cat == "Mn" and 10 <= unicodedata.combining(chr(cp)) <= 36:
            return True
        return False
    if cat == "So":
        return "LATIN CAPITAL LETTER" in name or "LATIN SMALL LETTER" in name
    return False


def is_alphabetic(cp, cat):
    return cat in ("Lu", "Ll", "Lt", "Lm", "Lo", "Nl") or is_other_alphabetic(cp, cat)


def is_numeric(cp, cat):
    return cat in ("Nd", "Nl", "No")


def class_ranges(pred):
    ranges = []
    for cp in code_points():
        if pred(cp, unicodedata.category(chr(cp))):
            if ranges and ranges[-1][1] == cp - 1:
                ranges[-1][1] = cp
            else:
                ranges.append([cp, cp])
    return ranges


def case_tables(method):
    """Single-code-point mappings as (first, last, delta, stride) runs, and the
    multi-code-point mappings as a separate sorted list."""
    singles = []
    multi = []
    for cp in code_points():
        mapped = method(chr(cp))
        if mapped == chr(cp):
            continue
        if len(mapped) == 1:
            singles.append((cp, ord(mapped) - cp))
        else:
            assert len(mapped) <= 3, (hex(cp), mapped)
            assert "\0" not in mapped
            multi.append((cp, [ord(c) for c in mapped]))
    runs = []
    i = 0
    while i < len(singles):
        first, delta = singles[i]
        last, stride = first, 1
        j = i + 1
        if j < len(singles) and singles[j][1] == delta and singles[j][0] - first in (1, 2):
            stride = singles[j][0] - first
            while j < len(singles) and singles[j][1] == delta and singles[j][0] == last + stride:
                last = singles[j][0]
                j += 1
        runs.append((first, last, delta, stride))
        i = j
    return runs, multi


def self_check(white, alpha, numeric):
    def inside(ranges, cp):
        return any(a <= cp <= b for a, b in ranges)
    expected_white = {0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x20, 0x85, 0xA0, 0x1680,
                      *range(0x2000, 0x200B), 0x2028, 0x2029, 0x202F, 0x205F, 0x3000}
    got_white = {cp for a, b in white for cp in range(a, b + 1)}
    assert got_white == expected_white, sorted(got_white ^ expected_white)
    for cp in (0x41, 0xE7, 0x131, 0x915, 0x93E, 0x902, 0x5D0, 0x5B8, 0x64E, 0x345, 0x24B6, 0x2160, 0x4E00):
        assert inside(alpha, cp), hex(cp)
    for cp in (0x30, 0x20, 0x300, 0x307, 0x94D, 0x93C, 0xFE0F, 0x1D165, 0x5F):
        assert not inside(alpha, cp), hex(cp)
    for cp in (0x30, 0x660, 0xBD, 0x2160, 0xFF19):
        assert inside(numeric, cp), hex(cp)


def emit_ranges(out, name, ranges):
    out.append(f"static constexpr CodeRange {name}[] = {{")
    for a, b in ranges:
        out.append(f"    {{0x{a:04X}, 0x{b:04X}}},")
    out.append("};")


def emit_case(out, name, runs, multi):
    out.append(f"static constexpr CaseRun {name}Runs[] = {{")
    for a, b, d, s in runs:
        out.append(f"    {{0x{a:04X}, 0x{b:04X}, {d}, {s}}},")
    out.append("};")
    out.append(f"static constexpr CaseMulti {name}Multi[] = {{")
    for cp, seq in multi:
        cells = ", ".join(f"0x{c:04X}" for c in seq + [0] * (3 - len(seq)))
        out.append(f"    {{0x{cp:04X}, {{{cells}}}}},")
    out.append("};")


def main():
    white = class_ranges(is_white_space)
    alpha = class_ranges(is_alphabetic)
    numeric = class_ranges(is_numeric)
    self_check(white, alpha, numeric)
    lower_runs, lower_multi = case_tables(str.lower)
    upper_runs, upper_multi = case_tables(str.upper)
    assert (0x130, [0x69, 0x307]) in lower_multi
    assert (0xDF, [0x53, 0x53]) in upper_multi

    out = [
        "// Generated by tools/gen_unicode.py; do not edit by hand.",
        f"// Unicode {unicodedata.unidata_version} (Python unicodedata).",
        "// Needs CodeRange {first, last}, CaseRun {first, last, delta, stride} and",
        "// CaseMulti {code_point, out[3]} declared before inclusion; all tables are sorted.",
        "",
    ]
    emit_ranges(out, "kWhiteSpace", white)
    out.append("")
    emit_ranges(out, "kAlphabetic", alpha)
    out.append("")
    emit_ranges(out, "kNumeric", numeric)
    out.append("")
    emit_case(out, "kLower", lower_runs, lower_multi)
    out.append("")
    emit_case(out, "kUpper", upper_runs, upper_multi)
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
