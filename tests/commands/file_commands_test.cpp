// Memory files, disk files, folders, the environment, message boxes and
// starting programs.
#include <windows.h>
#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>
#include <utility>
#include "runtime/file_table.h"
#include "runtime/find_file.h"
#include "runtime/message_box.h"
#include "runtime/runtime_app.h"
#include "tests/commands/command_test_support.h"
#include "tools/driver/process_control.h"

namespace velmora::testing {
namespace {

int32_t NewMemoryFile() { return Int(Call(CmdOpenMemoryFile)); }

void PutBytes(int32_t file, const std::string& bytes) {
    Files().Find(file)->Write(bytes.data(), static_cast<uint32_t>(bytes.size()));
    Files().Find(file)->Seek(0, framework::FileObject::Begin);
}

std::string ReadAll(int32_t file) { return TakeText(Call(CmdReadText, I(file), None())); }

TEST(MemoryFiles, RecordWrittenAndReadBack) {
    int32_t file = NewMemoryFile();
    ASSERT_NE(file, 0);
    EXPECT_NE(NewMemoryFile(), file) << "file numbers are unique";
    EXPECT_EQ(Int(Call(CmdWriteText, I(file), T("秋天|http://h/a.jpg"))), 1);
    EXPECT_EQ(Int(Call(CmdSeekToFileStart, I(file))), 1);
    EXPECT_EQ(ReadAll(file), "秋天|http://h/a.jpg");
    EXPECT_EQ(ReadAll(file), "(null)") << "at the end nothing is left";
    EXPECT_EQ(Int(Call(CmdSeekToFileStart, I(file))), 1);
    EXPECT_EQ(TakeText(Call(CmdReadText, I(file), I(2))), "秋");
    EXPECT_EQ(TakeText(Call(CmdReadText, I(file), I(0))), "(null)");
}

TEST(MemoryFiles, WriteTextConvertsEachValueAndSkipsOthers) {
    int32_t file = NewMemoryFile();
    EXPECT_EQ(Int(Call(CmdWriteText, I(file), L(true), I(-3), B("xx"), T(""), L(false))), 1);
    Call(CmdSeekToFileStart, I(file));
    EXPECT_EQ(ReadAll(file), "真-3假");
    Call(CmdWriteText, I(file), Block(Type::Integer | Type::ArrayBit, {1, 1, 42}),
         Block(Type::Double | Type::ArrayBit, {1, 0}), T("|"));
    Call(CmdSeekToFileStart, I(file));
    EXPECT_EQ(ReadAll(file), "真-3假|") << "numeric arrays are skipped, not written as their address";
    std::string big(5000, 'z');
    Call(CmdWriteText, I(file), T(big.c_str()));
    FileHold hold = Files().Find(file);
    auto* memory = static_cast<framework::MemoryFile*>(hold.get());
    EXPECT_EQ(memory->Capacity() % 1024, 0u) << "grows in steps of 1024 bytes";
    EXPECT_GE(memory->Capacity(), memory->Length());
}

TEST(MemoryFiles, UnknownNumbersFailWithoutTouchingAnything) {
    EXPECT_EQ(Int(Call(CmdWriteText, I(987654), T("x"))), 0);
    EXPECT_EQ(Int(Call(CmdSeekToFileStart, I(987654))), 0);
    EXPECT_EQ(TakeText(Call(CmdReadText, I(987654), None())), "(null)");
    EXPECT_EQ(Int(Call(CmdWriteText, I(0), T("x"))), 0);
}

TEST(ReadText, StopsBeforeZeroAndEndOfFileMarkWithoutConsumingThem) {
    int32_t file = NewMemoryFile();
    PutBytes(file, std::string("ab\0cd", 5));
    EXPECT_EQ(ReadAll(file), "ab");
    EXPECT_EQ(Files().Find(file)->Position(), 2u);
    EXPECT_EQ(ReadAll(file), "(null)") << "the terminator is still there";

    int32_t marked = NewMemoryFile();
    PutBytes(marked, "xy\x1Az");
    EXPECT_EQ(ReadAll(marked), "xy");
    EXPECT_EQ(Files().Find(marked)->Position(), 2u);
}

TEST(ReadText, LeadByteFollowedByZeroEndsBeforeTheLeadByte) {
    int32_t file = NewMemoryFile();
    PutBytes(file, std::string("a\xB0\0z", 4));
    EXPECT_EQ(ReadAll(file), "a");
    EXPECT_EQ(Files().Find(file)->Position(), 2u) << "the lead byte is counted as read";
    int32_t trail = NewMemoryFile();
    PutBytes(trail, std::string("\xB0\x1A" "b", 3));
    EXPECT_EQ(ReadAll(trail), "\xB0\x1A" "b") << "0x1A as a trail byte is part of a character";
}

class TempFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        folder = std::string(base) + "velmora-files-" + std::to_string(GetTickCount()) + "\\";
        CreateDirectoryA(folder.c_str(), nullptr);
    }
    std::string Path(const std::string& name) const { return folder + name; }
    static std::string Content(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::string folder;
};

using DiskFiles = TempFolder;

TEST_F(DiskFiles, WriteToFileCreatesTruncatesAndRefusesSharedFiles) {
    std::string path = Path("picture.jpg");
    EXPECT_EQ(Int(Call(CmdWriteToFile, T(path.c_str()), B("abc"), B(""), B("de"))), 1);
    EXPECT_EQ(Content(path), "abcde");
    EXPECT_EQ(Int(Call(CmdWriteToFile, T(path.c_str()))), 1);
    EXPECT_EQ(Content(path), "") << "no byte sets truncates to zero";

    Call(CmdWriteToFile, T(path.c_str()), B("keep"));
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(Int(Call(CmdWriteToFile, T(path.c_str()), B("new"))), 0);
    CloseHandle(held);
    EXPECT_EQ(Content(path), "keep") << "a file that cannot be opened is not touched";

    EXPECT_EQ(Int(Call(CmdWriteToFile, T(""), B("x"))), 0);
    EXPECT_EQ(Int(Call(CmdWriteToFile, T(Path("missing\\a.jpg").c_str()), B("x"))), 0);
    EXPECT_EQ(Int(Call(CmdWriteToFile, T(Path("bad|name?.jpg").c_str()), B("x"))), 0);
}

TEST_F(DiskFiles, FileExistsSeesFilesFoldersAndWildcards) {
    Call(CmdWriteToFile, T(Path("one.txt").c_str()), B("1"));
    EXPECT_EQ(Int(Call(CmdFileExists, T(Path("one.txt").c_str()))), 1);
    EXPECT_EQ(Int(Call(CmdFileExists, T(folder.substr(0, folder.size() - 1).c_str()))), 1) << "a folder";
    EXPECT_EQ(Int(Call(CmdFileExists, T(Path("*.txt").c_str()))), 1);
    EXPECT_EQ(Int(Call(CmdFileExists, T(Path("*.png").c_str()))), 0);
    EXPECT_EQ(Int(Call(CmdFileExists, T(Path("none").c_str()))), 0);
    EXPECT_EQ(Int(Call(CmdFileExists, T(""))), 0);
}

TEST_F(DiskFiles, CreateDirectoryMakesOnlyTheLastLevel) {
    std::string sub = Path("Pictures");
    EXPECT_EQ(Int(Call(CmdCreateDirectory, T(sub.c_str()))), 1);
    EXPECT_EQ(Int(Call(CmdCreateDirectory, T(sub.c_str()))), 0) << "exists already";
    EXPECT_EQ(Int(Call(CmdCreateDirectory, T(Path("a\\b\\c").c_str()))), 0) << "missing parent";
    EXPECT_EQ(Int(Call(CmdCreateDirectory, T(""))), 0);
}

TEST_F(DiskFiles, FindFileServiceWalksTheMatches) {
    Call(CmdWriteToFile, T(Path("a.jpg").c_str()), B("1"));
    Call(CmdWriteToFile, T(Path("b.jpg").c_str()), B("2"));
    CreateDirectoryA(Path("c.jpg").c_str(), nullptr);
    std::string pattern = Path("*.jpg");
    uint32_t handle = 0;
    std::vector<std::string> names;
    while (char* name = FindNextFileName(pattern.c_str(), 0, true, &handle)) {
        names.push_back(name);
        FreeMemory(name);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.jpg", "b.jpg"}));
    EXPECT_EQ(handle, 0u) << "the finished search is closed";
}

TEST(Environment, ReadEnvironmentGivesTheValueOrNothing) {
    SetEnvironmentVariableA("VELMORA_TEST_VALUE", "C:\\users\\名字");
    EXPECT_EQ(TakeText(Call(CmdReadEnvironment, T("VELMORA_TEST_VALUE"))), "C:\\users\\名字");
    EXPECT_EQ(TakeText(Call(CmdReadEnvironment, T("VELMORA_NOT_SET"))), "(null)");
    EXPECT_EQ(TakeText(Call(CmdReadEnvironment, T(""))), "(null)");
    EXPECT_NE(TakeText(Call(CmdReadEnvironment, T("userprofile"))), "(null)");
}

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "#32770") *reinterpret_cast<HWND*>(found) = window;
    return *reinterpret_cast<HWND*>(found) == nullptr ? TRUE : FALSE;
}

// The box as the user meets it: the platform's real box, modal for the
// program's windows (they take no input while it shows), with the text and
// the caption given, or "信息："; the button pressed comes back as its code.
TEST(MessageBoxCommand, AModalBoxWithItsTextsAndTheButtonPressed) {
    HWND program = CreateWindowExA(0, "STATIC", "the program's window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                   nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(program, nullptr);
    struct Seen {
        std::string text, caption;
        bool programTookInput = true;
    };
    auto showAndPress = [&](ValueRecord text, ValueRecord caption, int button) {
        Seen seen;
        DWORD boxThread = GetCurrentThreadId();
        std::thread user([&, boxThread] {
            // The box of the thread that shows it, whatever its caption: one
            // with a wrong caption must still be closed, or the test would hang.
            HWND box = nullptr;
            for (int i = 0; i < 1000 && !box; ++i) {
                EnumThreadWindows(boxThread, FindDialog, reinterpret_cast<LPARAM>(&box));
                if (!box) Sleep(10);
            }
            if (!box) return;
            char caption[64] = {};
            GetWindowTextA(box, caption, sizeof caption);
            seen.caption = caption;
            seen.text = driver::MessageBoxText(box);
            seen.programTookInput = IsWindowEnabled(program) != FALSE;
            driver::PressDialogButton(box, button);
        });
        int32_t code = Int(Call(CmdMessageBox, text, I(button == IDOK ? 0 : 4), caption));
        user.join();
        return std::make_pair(seen, code);
    };
    auto [done, ok] = showAndPress(T("下载完成"), T("提示"), IDOK);
    EXPECT_EQ(done.text, "下载完成");
    EXPECT_EQ(done.caption, "提示");
    EXPECT_FALSE(done.programTookInput) << "the box is modal for the program's windows";
    EXPECT_EQ(ok, 0);
    EXPECT_TRUE(IsWindowEnabled(program)) << "and gives them back";
    auto [number, yes] = showAndPress(I(5), None(), IDYES);
    EXPECT_EQ(number.text, "5");
    EXPECT_EQ(number.caption, "信息：");
    EXPECT_EQ(yes, 5);
    auto [bytes, no] = showAndPress(B("bytes"), T("x"), IDNO);
    EXPECT_EQ(bytes.text, "") << "byte sets have no text";
    EXPECT_EQ(bytes.caption, "x");
    EXPECT_EQ(no, 6);
    DestroyWindow(program);
}

// Starts the probe, which writes down how it was asked to show itself.
std::string ShowCommandSeenBy(ValueRecord style) {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    std::string out = std::string(base) + "velmora-startup.txt";
    DeleteFileA(out.c_str());
    std::string line = "\"" + driver::OwnDirectory() + "runtime_probe.exe\" startup-info \"" + out + "\"";
    EXPECT_EQ(Int(Call(CmdRunProgram, T(line.c_str()), L(true), style)), 1);
    std::ifstream in(out);
    std::string flag, show;
    in >> flag >> show;
    return flag + " " + show;
}

TEST(RunProgram, WaitsWhenAskedAndClampsTheWindowStyle) {
    EXPECT_EQ(ShowCommandSeenBy(None()), "1 1") << "omitted: normal";
    EXPECT_EQ(ShowCommandSeenBy(I(0)), "1 0") << "below 1: hidden";
    EXPECT_EQ(ShowCommandSeenBy(I(9)), "1 6") << "above 6: minimised";
    EXPECT_EQ(ShowCommandSeenBy(I(5)), "1 4");
    EXPECT_EQ(Int(Call(CmdRunProgram, T("no_such_program_here.exe"), L(false), None())), 0);
    EXPECT_EQ(Int(Call(CmdRunProgram, T(""), L(false), None())), 0);
}

}  // namespace
}  // namespace velmora::testing
