#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpora (tests/fuzz/corpus/*) from the cases below.
Run it again after changing a case; the files it writes are committed."""
import os
import struct

here = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(here, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


# History values: count, then length and text per entry.
def history(entries, count=None):
    out = struct.pack("<i", len(entries) if count is None else count)
    for e in entries:
        out += struct.pack("<I", len(e)) + e
    return out


write("history_codec_fuzz", "example", history([b"abc", b"x"]))
write("history_codec_fuzz", "empty", history([]))
write("history_codec_fuzz", "nul_inside", history([b"a\0b", b""]))
write("history_codec_fuzz", "count_past_size", history([b"abc"], count=5))
write("history_codec_fuzz", "negative_count", history([b"abc"], count=-1))
write("history_codec_fuzz", "sixteen", history([b"text %d" % i for i in range(17)]))


# Dialog templates, classic layout.
def utf16z(text):
    return text.encode("utf-16-le") + b"\0\0"


def name_or_ordinal(value):
    return struct.pack("<HH", 0xFFFF, value) if isinstance(value, int) else utf16z(value)


def template(style, title, items, menu="", cls="", font=None):
    out = struct.pack("<IIHhhhh", style, 0, len(items), 0, 0, 120, 60)
    out += name_or_ordinal(menu) + name_or_ordinal(cls) + utf16z(title)
    if font:
        out += struct.pack("<H", font[0]) + utf16z(font[1])
    for item_class, item_title, data in items:
        out += b"\0" * (-len(out) % 4)
        out += struct.pack("<IIhhhhH", 0x50000000, 0, 7, 7, 50, 14, 1001)
        out += name_or_ordinal(item_class) + name_or_ordinal(item_title)
        out += struct.pack("<H", len(data)) + data
    return out


def template_input(face, points, tmpl):
    return bytes([len(face)]) + struct.pack("<H", points) + face.encode("utf-16-le") + tmpl


progress = template(0x80C80880, "Replacing...",
                    [(0x82, "Replaced strings:", b""), (0x82, "0", b""), (0x80, "&Cancel", b"")],
                    font=(8, "MS Sans Serif"))
write("dialog_template_fuzz", "progress_system", template_input("System", 10, progress))
write("dialog_template_fuzz", "longest_face",
      template_input("Abcdefghijklmnopqrstuvwxyz01234", 9, progress))
write("dialog_template_fuzz", "no_font",
      template_input("MS UI Gothic", 9, template(0x80C80080, "No font", [(0x80, "Close", b"")])))
write("dialog_template_fuzz", "ordinals",
      template_input("System", 10, template(0x80C000C0, "Ord", [(0x80, 5, b"")], menu=7, cls=0x20,
                                            font=(8, "MS Sans Serif"))))
write("dialog_template_fuzz", "creation_data",
      template_input("System", 10, template(0x80C000C0, "Data",
                                            [("BUTTON", "Go", b"\1\2\3"), (0x82, "x", b"")],
                                            font=(8, "MS Sans Serif"))))
write("dialog_template_fuzz", "no_items",
      template_input("System", 10, template(0x80C000C0, "Empty", [], font=(8, "MS Sans Serif"))))
write("dialog_template_fuzz", "cut_short", template_input("System", 10, progress[:70]))


# Rewrite cases: code page index (0 1252, 1 932, 2 936, 3 950, 4 1361), options, texts.
def rewrite(page, find, replace, data, match_case=False, whole_words=False, other_count=None):
    flags = page | (8 if match_case else 0) | (16 if whole_words else 0)
    flags |= 32 if other_count is not None else 0
    head = bytes([flags, len(find) - 1, len(replace), other_count or 0])
    return head + find + replace + data


write("rewrite_passes_fuzz", "grow", rewrite(0, b"a", b"bb", b"a a"))
write("rewrite_passes_fuzz", "not_scanned_again", rewrite(0, b"aa", b"X", b"aaa"))
write("rewrite_passes_fuzz", "delete", rewrite(0, b"ab", b"", b"xabyabz"))
write("rewrite_passes_fuzz", "dash_words", rewrite(0, b"-a", b"X", b"-a-a x -a", whole_words=True))
write("rewrite_passes_fuzz", "foofoo_words", rewrite(0, b"foo", b"bar", b"foofoo", whole_words=True))
write("rewrite_passes_fuzz", "fold_1252", rewrite(0, b"ABC", b"q", b"xabcx xAbCx \xe9\xc9"))
write("rewrite_passes_fuzz", "trail_932", rewrite(1, b"a", b"Z", b"\x82a \x82ax \x82a"))
write("rewrite_passes_fuzz", "fold_932", rewrite(1, b"\x82\x81", b"\x82\xa0", b"x\x82\x60\x82\x81"))
write("rewrite_passes_fuzz", "lone_lead_932", rewrite(1, b"\x82A", b"-", b"ab\x82"))
write("rewrite_passes_fuzz", "last_char_932",
      rewrite(1, b"x\x82\xa0", b"y", b"x\x82\xa0 x\x82\xa0a", whole_words=True))
write("rewrite_passes_fuzz", "fold_936", rewrite(2, b"\xa3\xe1", b"!", b"\xa3\xc1\xa3\xe1"))
write("rewrite_passes_fuzz", "fold_950", rewrite(3, b"\xa3\x40", b"!", b"\xa2\xe5\xa2\xcf"))
write("rewrite_passes_fuzz", "trail_1361", rewrite(4, b"1", b"22", b"\x81\x311"))
write("rewrite_passes_fuzz", "changed_between_passes",
      rewrite(0, b"ab", b"abc", b"ab ab ab", other_count=5))
