// Picture names a hostile page may carry, and the file name each must become
// (".jpg" is added after). Shared by the in-process table test and the
// end-to-end run that puts every page-borne name on one gallery page.
#pragma once
#include <string>
#include <vector>

namespace velmora::testing {

struct HostileName {
    std::string name;  // code page 936 bytes
    std::string file;  // with no length limit, or cut to `room` bytes
    int room = 0;      // the byte limit given to the shortening, 0 for none
    bool onPage = true;  // false: no page can carry it (markup, line breaks, invalid GBK)
};

inline std::vector<HostileName> HostileNames() {
    const std::string long300(300, 'A');
    std::string chinese300;
    for (int i = 0; i < 150; ++i) chinese300 += "图";
    return {
        // Path separators and traversal.
        {"a/b", "a_b"},
        {"a\\b", "a_b"},
        {"../../evil", ".._.._evil"},
        {"..\\..\\evil", ".._.._evil"},
        {"/etc/passwd", "_etc_passwd"},
        {"\\\\server\\share\\x", "__server_share_x"},
        {"a/./b/../c", "a_._b_.._c"},
        {"~/x", "~_x"},
        {"%USERPROFILE%\\x", "%USERPROFILE%_x"},
        {"..%2F..%2Fx", "..%2F..%2Fx"},
        // Drive letters and alternate data streams.
        {"C:\\Windows\\win", "C__Windows_win"},
        {"C:evil", "C_evil"},
        {"D:", "D_"},
        {"a:b", "a_b"},
        {"a.jpg:Zone.Identifier", "a.jpg_Zone.Identifier"},
        {"::$DATA", "__$DATA"},
        // Reserved device names, in any case, with extensions, blanks and dots.
        {"CON", "_CON"},
        {"con", "_con"},
        {"Con.txt", "_Con.txt"},
        {"PRN", "_PRN"},
        {"AUX.jpg", "_AUX.jpg"},
        {"nul", "_nul"},
        {"NUL.tar.gz", "_NUL.tar.gz"},
        {"COM1", "_COM1"},
        {"com9.png", "_com9.png"},
        {"COM0", "_COM0"},
        {"LPT1", "_LPT1"},
        {"lpt9.txt", "_lpt9.txt"},
        {"CONIN$", "_CONIN$"},
        {"conout$", "_conout$"},
        {"CONOUT$.log", "_CONOUT$.log"},
        {"CON ", "_CON"},
        {"CON.", "_CON"},
        {"aux .txt", "_aux .txt"},
        {"COM10", "COM10"},
        {"CONSOLE", "CONSOLE"},
        // Trailing dots and blanks, names made only of dots, the empty name.
        {"name.", "name"},
        {"name...", "name"},
        {"name   ", "name"},
        {"name . . ", "name"},
        {"name.jpg ", "name.jpg"},
        {".", "_"},
        {"..", "_"},
        {"...", "_"},
        {"", "_"},
        {"   ", "_"},
        {"  leading", "  leading"},
        // Characters Windows refuses in names, and control bytes.
        {"a*b", "a_b"},
        {"a?b", "a_b"},
        {"a\"b", "a_b"},
        {"a|b", "a_b"},
        {"a<b", "a_b", 0, false},
        {"a>b", "a_b", 0, false},
        {"a\tb", "a_b"},
        {"a\x01" "b", "a_b"},
        {"a\x1f" "b", "a_b"},
        {"a\x1a" "b", "a_b"},  // the byte that once ended a worker's record
        {"a\rb", "a_b", 0, false},
        {"a\nb", "a_b", 0, false},
        {"a\x7f" "b", "a\x7f" "b"},
        // GBK: trail bytes 0x5C and 0x7C belong to their character.
        {"乗俓僜", "乗俓僜"},
        {"亅倈億", "亅倈億"},
        {"乗\\亅", "乗_亅"},
        {"表\\示", "表_示"},
        {"中文名字", "中文名字"},
        {"壁纸 (1)", "壁纸 (1)"},
        // Bytes that are no GBK character.
        {"ab\x81", "ab_", 0, false},
        {"\x81/../x", "__.._x", 0, false},
        {"\x81\\x", "\x81\\x", 0, true},  // a whole character (trail 0x5C), not a separator
        {"\x80", "_", 0, false},
        {"\xff", "_", 0, false},
        // Long names: shortened at a character boundary.
        {long300, std::string(200, 'A'), 200},
        {chinese300, chinese300.substr(0, 200), 201},
        {long300 + "/x", std::string(200, 'A'), 200},
    };
}

}  // namespace velmora::testing
