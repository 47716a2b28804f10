#!/usr/bin/env python3
"""The form compiler (tools/form/compile_form.py): each unit's stream in the
layout of the version it declares, the program's own template unchanged, and
clear refusals of versions and settings a type does not have. Runs on the
build machine.

    compile_form_test.py
"""
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import tomllib
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tools", "form"))
import compile_form  # noqa: E402

# The program's template as the compiler wrote it before streams followed
# their versions; the program declares every type's newest version.
PROGRAM_TEMPLATE_SIZE = 11791
PROGRAM_TEMPLATE_SHA256 = "163f7ff19b03ed445f53e23c3794201c8c0e446ec6290b28c4a5cb1d79a8a298"


def streams(template):
    """The property streams of a compiled one-window template, by unit id."""
    at = 4 + struct.unpack_from("<I", template, 0)[0] + 8
    for _ in range(2):
        at += 4 + struct.unpack_from("<I", template, at)[0]
    count, length = struct.unpack_from("<II", template, at)
    table = template[at + 8:at + 8 + length]
    ids = struct.unpack_from("<%dI" % count, table, 0)
    offsets = struct.unpack_from("<%dI" % count, table, 4 * count)
    found = {}
    for unit_id, offset in zip(ids, offsets):
        size = struct.unpack_from("<I", table, 8 * count + offset)[0]
        record = table[8 * count + offset + 4:8 * count + offset + 4 + size]
        walk = record.index(b"\0", record.index(b"\0", 24) + 1) + 1 + 28  # name, second text, fields 6-9
        walk += 4 + 4 * struct.unpack_from("<I", record, walk)[0]  # child list
        walk += 4 + struct.unpack_from("<I", record, walk)[0]  # mouse pointer
        walk = record.index(b"\0", walk) + 1 + 12  # tag, spare word, flags, spare word
        walk += 4 + 8 * struct.unpack_from("<I", record, walk)[0] + 20  # events, reserved
        found[unit_id] = record[walk:]
    return found


def one_unit(kind, version, **settings):
    return {"window": {"id": 0x52010001, "identifier_a": 8, "identifier_b": 0},
            "unit": [{"id": 0x16010001, "type": kind, "name": "u", "rect": [0, 0, 10, 10],
                      "stream": dict(settings, version=version)}]}


def stream_of(kind, version, **settings):
    return streams(compile_form.form_template(one_unit(kind, version, **settings), "."))[0x16010001]


class VersionLayouts(unittest.TestCase):
    def test_a_lower_version_leaves_out_the_fields_it_lacks(self):
        # (type, version, bytes fewer than the newest layout)
        for kind, version, fewer in [("label", 1, 2), ("edit_box", 1, 2), ("list_box", 2, 4), ("list_box", 1, 6),
                                     ("super_button", 1, 8), ("window", 5, 1), ("window", 4, 5),
                                     ("window", 3, 9), ("window", 2, 17), ("window", 1, 21)]:
            newest = stream_of(kind, compile_form.NEWEST_VERSIONS[kind], caption="c")
            lower = stream_of(kind, version, caption="c")
            self.assertEqual(struct.unpack_from("<I", lower)[0], version)
            self.assertEqual(len(newest) - len(lower), fewer, (kind, version))

    def test_the_fields_left_out_are_the_newer_ones(self):
        label = stream_of("label", 2, caption="abc", link_text="L", setting_text="S")
        self.assertTrue(label.endswith(b"abc\0L\0S\0"))
        self.assertTrue(stream_of("label", 1, caption="abc").endswith(b"abc\0"))
        self.assertEqual(stream_of("label", 1, caption="abc")[4:], label[4:-4])
        window = stream_of("window", 1, caption="W")
        self.assertEqual(window[4:4 + 13 * 4], stream_of("window", 6, caption="W")[4:4 + 13 * 4])
        self.assertEqual(window[4 + 13 * 4:4 + 13 * 4 + 12], bytes(12), "picture, icon and sound right after field 13")
        button = stream_of("super_button", 1, caption="B")
        self.assertTrue(button.endswith("B".encode() + b"\0\0"), "ends with the caption and the tooltip")

    def test_the_programs_template_is_unchanged(self):
        folder = tempfile.mkdtemp()
        try:
            subprocess.run([sys.executable, os.path.join(ROOT, "tools", "form", "make_icon.py"), "background",
                            os.path.join(folder, "background.ico")], check=True)
            binary, source = os.path.join(folder, "form.bin"), os.path.join(folder, "form.cpp")
            subprocess.run([sys.executable, os.path.join(ROOT, "tools", "form", "compile_form.py"),
                            os.path.join(ROOT, "program", "main_window.toml"), binary, source], check=True)
            with open(binary, "rb") as f:
                data = f.read()
        finally:
            shutil.rmtree(folder, ignore_errors=True)
        self.assertEqual(len(data), PROGRAM_TEMPLATE_SIZE)
        self.assertEqual(hashlib.sha256(data).hexdigest(), PROGRAM_TEMPLATE_SHA256)
        with open(os.path.join(ROOT, "program", "main_window.toml"), "rb") as f:
            units = tomllib.load(f)["unit"]
        for unit in units:
            self.assertEqual(unit["stream"]["version"], compile_form.NEWEST_VERSIONS[unit["type"]], unit["name"])


class Refusals(unittest.TestCase):
    def refused(self, source):
        with self.assertRaises(SystemExit) as refusal:
            compile_form.form_template(source, ".")
        return str(refusal.exception)

    def test_versions_a_type_does_not_have(self):
        for version in (0, 3, -1, "2", None):
            message = self.refused(one_unit("label", version))
            self.assertIn("versions 1 to 2", message)
            self.assertIn("0x16010001", message)
        source = one_unit("label", 1)
        del source["unit"][0]["stream"]["version"]
        self.assertIn("versions 1 to 2", self.refused(source))
        self.assertIn("no unit type", self.refused(one_unit("picture_box", 1)))

    def test_a_setting_newer_than_the_declared_version(self):
        message = self.refused(one_unit("window", 3, topmost=1))
        self.assertIn("topmost needs stream version 4", message)
        self.assertIn("declares 3", message)
        self.assertIn("setting_text", self.refused(one_unit("list_box", 1, setting_text="x")))


if __name__ == "__main__":
    unittest.main()
