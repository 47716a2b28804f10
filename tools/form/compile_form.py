#!/usr/bin/env python3
"""Compiles the readable window description (program/main_window.toml) into
the binary form template the runtime loads, and into a C++ source that
embeds it.

    compile_form.py SOURCE.toml OUT.bin OUT.cpp

Layout: a window map (byte block of ids and placeholder pointers), then per
window its identifiers, two texts, the unit count and the unit table (ids,
offsets, records). Inside unit records texts end with NUL; elsewhere they
carry a length. All integers are little-endian dwords.

Each unit's property stream is written in the layout of the version its
source declares: fields newer than that version are left out, and setting
one of them, or declaring a version the type does not have, is an error."""
import os
import struct
import sys
import tomllib

TYPE_KEYS = {"window": 0x00010001, "edit_box": 0x00010005, "label": 0x0001000A, "button": 0x0001000B,
             "list_box": 0x0001000F, "super_button": 0x00040001}
FLAG_BITS = {"visible": 1, "disabled": 2, "tab_stop": 4}
NEWEST_VERSIONS = {"window": 6, "edit_box": 2, "label": 2, "button": 1, "list_box": 3, "super_button": 2}
COMMON_FONT = {"face": "微软雅黑", "height": -12, "weight": 400, "charset": 0x86, "underline": 0}


def gbk(text):
    return text.encode("gbk")


def dword(value):
    return struct.pack("<I", value & 0xFFFFFFFF)


def word(value):
    return struct.pack("<H", value & 0xFFFF)


def ztext(text):
    return gbk(text) + b"\0"


def lentext(text):
    data = gbk(text)
    return dword(len(data)) + data


def block(data):
    return dword(len(data)) + data


class Stream:
    """Reads a unit's stream settings with their defaults, in field order.
    A field given `since` a version is written only from that version on."""

    def __init__(self, settings, folder, version, unit):
        self.settings, self.folder, self.version, self.unit, self.out = settings, folder, version, unit, b""

    def has(self, name, since):
        if self.version >= since:
            return True
        if name in self.settings:
            raise SystemExit("%s: %s needs stream version %d, the unit declares %d"
                             % (self.unit, name, since, self.version))
        return False

    def d(self, name, default=0, since=1):
        if self.has(name, since):
            self.out += dword(self.settings.get(name, default))

    def w(self, name, default=0):
        self.out += word(self.settings.get(name, default))

    def t(self, name, default="", since=1):
        if self.has(name, since):
            self.out += ztext(self.settings.get(name, default))

    def dwords(self, name, default, since=1):
        if self.has(name, since):
            for value in self.settings.get(name, default):
                self.out += dword(value)

    def data(self, name, since=1):
        if not self.has(name, since):
            return
        value = self.settings.get(name, "")
        if value.startswith("@"):
            with open(os.path.join(self.folder, value[1:]), "rb") as f:
                value = f.read()
        else:
            value = value.encode("latin-1")
        self.out += block(value)

    def font(self, name="font"):
        font = dict(COMMON_FONT, **self.settings.get(name, {}))
        face = gbk(font["face"])[:31]
        logfont = struct.pack("<iiiiiBBBBBBBB", font["height"], 0, 0, 0, font["weight"], 0, font["underline"], 0,
                              font["charset"], 3, 2, 1, 0x22) + face + bytes(32 - len(face))
        assert len(logfont) == 60
        self.out += block(logfont)


def window_stream(s):
    for name, default in [("border", 2), ("picture_mode", 1), ("background", 0xFF000000), ("maximize_box", 0),
                          ("minimize_box", 1), ("control_box", 1), ("start_position", 0), ("movable", 1),
                          ("sound_play", 0)]:
        s.d(name, default)
    s.dwords("settings", [0, 1, 0, 0])
    s.d("in_taskbar", 1, since=2)
    s.dwords("settings_v3", [0, 0], since=3)
    s.d("topmost", since=4)
    s.d("setting_v5", since=5)
    s.t("class_name", since=6)
    s.data("picture")
    s.data("icon")
    s.data("sound")
    s.t("caption")
    s.t("setting_text")


def label_stream(s):
    for name, default in [("effect", 0), ("frame_width", 8), ("border", 0), ("frame_colour1", 0x808080),
                          ("frame_colour2", 0xFFFFFF), ("frame_colour3", 0x808080), ("text_colour", 0),
                          ("background", 0xFF000000), ("picture_mode", 1), ("shade_mode", 0),
                          ("shade_colour1", 0x808080), ("shade_colour2", 0xFFFFFF), ("shade_colour3", 0x808080),
                          ("horizontal_alignment", 0), ("vertical_alignment", 1), ("word_wrap", 1)]:
        s.d(name, default)
    s.font()
    s.data("picture")
    s.t("caption")
    s.t("link_text", since=2)
    s.t("setting_text", since=2)


def button_stream(s):
    s.d("button_type", 0)
    s.d("horizontal_alignment", 1)
    s.d("vertical_alignment", 1)
    s.data("picture")
    s.font()
    s.t("caption")


def edit_box_stream(s):
    for name, default in [("border", 5), ("text_colour", 0), ("background", 0xFFFFFF), ("hide_selection", 1),
                          ("max_length", 0), ("multi_line", 0), ("scroll_bars", 0), ("alignment", 0),
                          ("input_mode", 0)]:
        s.d(name, default)
    s.w("password_char", 42)
    for name, default in [("case", 0), ("adjuster", 0), ("adjuster_min", 1), ("adjuster_max", 100),
                          ("selection_start", 0), ("selection_length", 0)]:
        s.d(name, default)
    s.font()
    s.t("content")
    s.t("link_text", since=2)
    s.t("setting_text", since=2)


def list_box_stream(s):
    for name, default in [("border", 1), ("sorted", 0), ("multi_column", 0), ("extra_height", 0),
                          ("text_colour", 0), ("background", 0xFFFFFF), ("extended_selection", 0),
                          ("selection", -1)]:
        s.d(name, default)
    s.font()
    s.out += block(b"")  # item data
    s.out += word(0)  # no items
    s.t("link_text", since=2)
    s.t("setting_text", since=2)
    s.d("setting_v3", since=3)


def super_button_stream(s):
    for name, default in [("look", 0), ("check_mode", 0), ("checked", 0), ("picture_position", 0),
                          ("pressed_shift", 0), ("hot_border", 1), ("flat_focus", 0),
                          ("transparent0", 0xFF000000), ("transparent1", 0xFF000000), ("system_colours", 1),
                          ("builtin_sound", 0), ("default_button", 0)]:
        s.d(name, default)
    s.dwords("colours", [0] * 6)
    s.data("picture0")
    s.data("picture1")
    s.font()
    s.data("hover_sound")
    s.data("click_sound")
    s.t("caption")
    s.t("tooltip")
    s.d("transparent2", 0xFF000000, since=2)
    s.data("picture2", since=2)


STREAMS = {"window": window_stream, "label": label_stream, "button": button_stream,
           "edit_box": edit_box_stream, "list_box": list_box_stream, "super_button": super_button_stream}


def unit_record(unit, folder):
    name = "unit 0x%08X" % unit["id"]
    kind, settings = unit["type"], unit.get("stream", {})
    if kind not in NEWEST_VERSIONS:
        raise SystemExit("%s: no unit type %r" % (name, kind))
    version = settings.get("version")
    if not isinstance(version, int) or not 1 <= version <= NEWEST_VERSIONS[kind]:
        raise SystemExit("%s: a %s stream has versions 1 to %d, not %r" % (name, kind, NEWEST_VERSIONS[kind], version))
    stream = Stream(settings, folder, version, name)
    stream.out = dword(version)
    STREAMS[kind](stream)
    flags = sum(FLAG_BITS[name] for name in unit.get("flags", []))
    record = dword(TYPE_KEYS[unit["type"]]) + dword(unit.get("event_sharing", 0)) + bytes(16)
    record += ztext(unit["name"]) + ztext("")
    record += dword(0) + b"".join(dword(v) for v in unit["rect"]) + dword(0) + dword(unit.get("container", 0))
    record += dword(0)  # no child list
    record += block(dword(unit.get("mouse_pointer", 0)))
    record += ztext(unit.get("tag", ""))
    record += dword(0) + dword(flags) + dword(0)
    events = unit.get("events", [])
    record += dword(len(events)) + b"".join(dword(n) + dword(h) for n, h in events)
    record += bytes(20)
    return record + stream.out


def form_template(source, folder):
    window, units = source["window"], source["unit"]
    records = [unit_record(unit, folder) for unit in units]
    ids = b"".join(dword(unit["id"]) for unit in units)
    offsets, body = b"", b""
    for record in records:
        offsets += dword(len(body))
        body += block(record)
    table = ids + offsets + body
    template = dword(window["identifier_a"]) + dword(window["identifier_b"]) + lentext("") + lentext("")
    template += dword(len(units)) + block(table)
    return block(dword(window["id"]) + dword(0)) + template


def main():
    source_path, bin_path, cpp_path = sys.argv[1:4]
    with open(source_path, "rb") as f:
        source = tomllib.load(f)
    data = form_template(source, os.path.dirname(bin_path))
    with open(bin_path, "wb") as f:
        f.write(data)
    rows = [", ".join("0x%02X" % b for b in data[i:i + 16]) for i in range(0, len(data), 16)]
    with open(cpp_path, "w") as f:
        f.write("// Generated from program/main_window.toml by tools/form/compile_form.py.\n")
        f.write("#include <cstdint>\n\nnamespace velmora::program {\n\n")
        f.write("alignas(4) extern const uint8_t formTemplate[%d] = {\n    %s,\n};\n" % (len(data), ",\n    ".join(rows)))
        f.write("extern const uint32_t formTemplateSize = %d;\n\n}  // namespace velmora::program\n" % len(data))


if __name__ == "__main__":
    main()
