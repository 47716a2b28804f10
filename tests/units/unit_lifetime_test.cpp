// What units hold and let go: sounds still playing, windows and properties of
// their own, records that move while a unit is made anew.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>
#include <algorithm>
#include <memory>
#include "runtime/memory.h"
#include "runtime/runtime_interface.h"
#include "tests/units/import_hook.h"
#include "tests/units/window_test_support.h"
#include "units/framework/font_properties.h"
#include "units/framework/pictures.h"
#include "units/framework/recreation.h"
#include "units/framework/sound.h"
#include "units/framework/unit_properties.h"
#include "units/stream_codec.h"

namespace velmora::testing {
namespace {

// The sounds units ask for, in order: buffer and flags; {null, 0} stops.
std::vector<std::pair<const void*, DWORD>> soundCalls;
BOOL WINAPI RecordSound(LPCSTR sound, HMODULE, DWORD flags) {
    soundCalls.emplace_back(sound, flags);
    return TRUE;
}
struct RecordedSounds {
    RecordedSounds() {
        soundCalls.clear();
        SetSoundPlayer(RecordSound);
    }
    ~RecordedSounds() { SetSoundPlayer(nullptr); }
    static bool LastIsAStop() { return !soundCalls.empty() && soundCalls.back() == std::pair<const void*, DWORD>{}; }
};

// A version 2 super button with system colours and the given sounds and tooltip.
std::vector<uint8_t> SuperButtonStream(const std::vector<uint8_t>& hover, const std::vector<uint8_t>& click,
                                       const std::string& tooltip = "") {
    StreamWriter stream;
    for (uint32_t field : {2u, 0u, 0u, 0u, 0u, 0u, 1u, 0u, 0xFF000000u, 0xFF000000u, 1u, 0u, 0u}) stream.Dword(field);
    for (int colour = 0; colour < 6; ++colour) stream.Dword(0xFF000000);
    for (int empty = 0; empty < 3; ++empty) stream.Block({});  // pictures 0 and 1, the font
    stream.Block(hover);
    stream.Block(click);
    stream.Text("按钮");
    stream.Text(tooltip);
    stream.Dword(0xFF000000);
    stream.Block({});
    return stream.bytes;
}

// A version 6 window, not shown, with a background sound and its class's name.
std::vector<uint8_t> WindowStream(const std::vector<uint8_t>& sound, uint32_t playSetting,
                                  const std::string& className = "") {
    StreamWriter stream;
    for (uint32_t field : {6u, 2u, 1u, 0xFF000000u, 0u, 1u, 1u, 0u, 1u, playSetting, 0u, 1u, 0u, 0u, 1u, 0u, 0u, 0u, 0u})
        stream.Dword(field);
    stream.Text(className);
    stream.Block({});
    stream.Block({});
    stream.Block(sound);
    stream.Text("a window with a sound");
    stream.Text("");
    return stream.bytes;
}

const std::vector<uint8_t> someWave(64, 0x52);

TEST(Sounds, AUnitStopsItsSoundBeforeItsBufferIsFreed) {
    OpenMainWindow();
    RecordedSounds recorded;
    UnitObject* first = MakeUnit(0x00040001, SuperButtonStream({}, someWave), superId, {8, 8, 80, 30});
    UnitObject* second = MakeUnit(0x00040001, SuperButtonStream({}, someWave), superId, {8, 40, 80, 62});
    ASSERT_TRUE(first && second);
    SendMessageA(first->Window(), BM_CLICK, 0, 0);
    SendMessageA(second->Window(), BM_CLICK, 0, 0);
    ASSERT_EQ(soundCalls.size(), 2u);
    EXPECT_TRUE(soundCalls[1].second & SND_MEMORY && soundCalls[1].second & SND_ASYNC);
    DestroyWindow(first->Window());
    EXPECT_EQ(soundCalls.size(), 2u) << "the sound playing is another button's: it plays on";
    DestroyWindow(second->Window());
    EXPECT_TRUE(RecordedSounds::LastIsAStop()) << "the button's own click may still be playing";

    auto create = UnitOperation<CreateOperation>(FindUnitType(0x00010001), UnitServiceCreate);
    std::vector<uint8_t> stream = WindowStream(someWave, 1);
    CreateParams params{stream.data(), static_cast<uint32_t>(stream.size()), 0, nullptr, 0, nullptr, 0, 0, 200, 100,
                        0x52FFFFFF, 0x06010000};
    UnitObject* window = create(params);
    ASSERT_NE(window, nullptr);
    ASSERT_FALSE(soundCalls.empty());
    EXPECT_TRUE(soundCalls.back().second & SND_LOOP) << "play setting 1 repeats the background sound";
    DestroyWindow(window->Window());
    EXPECT_TRUE(RecordedSounds::LastIsAStop()) << "a looping background sound ends with its window";
}

constexpr uint32_t windowRecord = 0x06010000;

void WriteTag(uint32_t unit, const std::string& tag) {
    Runtime().WriteUnitProperty(windowId, unit, 4, 0, reinterpret_cast<uint32_t>(tag.c_str()), 0);
}
size_t TagLength(uint32_t unit) {
    auto* tag = reinterpret_cast<char*>(static_cast<uint32_t>(Runtime().ReadUnitProperty(windowId, unit, 4, 0)));
    size_t length = tag ? std::strlen(tag) : 0;
    FreeMemory(tag);
    return length;
}

// Unit work from another thread, waiting for this thread to carry it out:
// it runs at this thread's next pump.
class WaitingWorker {
public:
    explicit WaitingWorker(std::function<void()> work) : work_(std::move(work)) {
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        for (DWORD start = GetTickCount(); GetTickCount() - start < 5000;) {
            if (HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) return;
            Sleep(1);
        }
        ADD_FAILURE() << "the worker's call never arrived";
    }
    ~WaitingWorker() {
        while (MsgWaitForMultipleObjects(1, &thread_, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) Pump(0);
        CloseHandle(thread_);
    }

private:
    static DWORD WINAPI Run(void* self) {
        static_cast<WaitingWorker*>(self)->work_();
        return 0;
    }
    std::function<void()> work_;
    HANDLE thread_ = nullptr;
};

void WriteSorted(uint32_t sorted) { Runtime().WriteUnitProperty(windowId, listId, 11, 0, sorted, 0); }

TEST(Recreation, WorkRunInThePumpMayMoveTheUnitTable) {
    OpenMainWindow();
    HWND before = UnitHandle(listId);
    const std::string longTag(65536, 't');  // the window's own record grows: the whole table moves
    {
        WaitingWorker worker([&] { WriteTag(windowRecord, longTag); });
        WriteSorted(1);  // sorting is fixed at creation: the list box is made anew
    }
    HWND after = UnitHandle(listId);
    EXPECT_TRUE(after && after != before && IsWindow(after) && !IsWindow(before));
    EXPECT_TRUE(GetWindowLongA(after, GWL_STYLE) & LBS_SORT);
    EXPECT_EQ(TagLength(windowRecord), longTag.size());
    WriteTag(windowRecord, "");
    WriteSorted(0);
    EXPECT_FALSE(GetWindowLongA(UnitHandle(listId), GWL_STYLE) & LBS_SORT);
}

// Whether each window made while the hook was set found its unit before its
// procedure saw WM_CREATE, by class name.
std::vector<std::pair<std::string, bool>> boundAtCreate;
LRESULT CALLBACK WatchCreation(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_CREATE) {
        char name[64] = {};
        GetClassNameA(call->hwnd, name, sizeof name);
        boundAtCreate.emplace_back(name, UnitOfWindow(call->hwnd) != nullptr);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(Creation, EveryUnitFindsItsObjectWhileItsWindowIsBeingMade) {
    CloseMainWindow();
    boundAtCreate.clear();
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, WatchCreation, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    HWND window = OpenMainWindow();
    UnhookWindowsHookEx(hook);
    ASSERT_NE(window, nullptr);
    char windowClass[64] = {}, labelClass[64] = {};
    GetClassNameA(window, windowClass, sizeof windowClass);
    GetClassNameA(UnitHandle(progressId), labelClass, sizeof labelClass);
    int windows = 0, labels = 0, controls = 0;
    for (const auto& [name, bound] : boundAtCreate) {
        if (name == windowClass) {
            ++windows;
            EXPECT_TRUE(bound) << "the window";
        }
        if (name == labelClass) {
            ++labels;
            EXPECT_TRUE(bound) << "a label";
        }
        // The platform's controls: edit box, buttons and the super button, list box.
        if (_stricmp(name.c_str(), "Edit") == 0 || _stricmp(name.c_str(), "Button") == 0 ||
            _stricmp(name.c_str(), "ListBox") == 0) {
            ++controls;
            EXPECT_TRUE(bound) << name;
        }
    }
    EXPECT_EQ(windows, 1);
    EXPECT_GE(labels, 1);
    EXPECT_GE(controls, 4);
}

// A template may name any class for its window: one that another procedure
// owns (the platform's static control, the label's own class) still gives a
// window bound to its unit, and neither procedure takes the other's object.
TEST(Creation, AWindowNamingAClassOfAnotherProcedureIsBoundOnceMade) {
    OpenMainWindow();  // the label's class exists
    auto create = UnitOperation<CreateOperation>(FindUnitType(0x00010001), UnitServiceCreate);
    for (const char* name : {"Static", "VelmoraLabel"}) {
        std::vector<uint8_t> stream = WindowStream({}, 2, name);
        CreateParams params{stream.data(), static_cast<uint32_t>(stream.size()), 0, nullptr, 0, nullptr, 0, 0, 200,
                            100, 0x52FFFFFF, 0x06010000};
        UnitObject* window = create(params);
        ASSERT_NE(window, nullptr) << name;
        ASSERT_NE(window->Window(), nullptr) << name;
        EXPECT_EQ(UnitOfWindow(window->Window()), window) << name;
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 100);
        HGDIOBJ old = SelectObject(memory, bitmap);
        SendMessageA(window->Window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT);  // no label paint
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        SetWindowTextA(window->Window(), "renamed");  // the unit keeps the caption it is told
        auto get = UnitOperation<GetPropertyOperation>(FindUnitType(0x00010001), UnitServiceGetProperty);
        uint32_t raw[2] = {0, 0};
        ASSERT_EQ(get(window, 0, raw), 1);
        EXPECT_STREQ(reinterpret_cast<const char*>(raw[0]), "renamed") << name;
        DestroyWindow(window->Window());
    }
}

TEST(Recreation, AWindowClosedInThePumpEndsItQuietly) {
    HWND window = OpenMainWindow();
    PostMessageA(window, WM_CLOSE, 0, 0);
    {
        WaitingWorker worker([&] { WriteTag(windowRecord, std::string(65536, 't')); });
        WriteSorted(1);
    }
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(UnitHandle(listId), nullptr);
    WriteTag(windowRecord, "");
    OpenMainWindow();
    EXPECT_FALSE(GetWindowLongA(UnitHandle(listId), GWL_STYLE) & LBS_SORT) << "made from the template again";
}

decltype(&DestroyWindow) originalDestroyWindow;
int deadWindowsDestroyed = 0;
BOOL WINAPI CountedDestroyWindow(HWND window) {
    if (!IsWindow(window)) ++deadWindowsDestroyed;
    return originalDestroyWindow(window);
}

HWND tooltipFound = nullptr;
BOOL CALLBACK FindTooltip(HWND window, LPARAM owner) {
    char name[64];
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, TOOLTIPS_CLASSA) == 0 && GetWindow(window, GW_OWNER) == reinterpret_cast<HWND>(owner))
        tooltipFound = window;
    return TRUE;
}

// A top-level window holding a super button with a tooltip; the tooltip's owner is that window.
struct ButtonWithTooltip {
    HWND top = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    UnitObject* button = MakeUnit(0x00040001, SuperButtonStream({}, {}, "a tip"), superId, {8, 8, 80, 30}, top);
    HWND tooltip = nullptr;
    ButtonWithTooltip() {
        tooltipFound = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), FindTooltip, reinterpret_cast<LPARAM>(top));
        if (!tooltipFound && button)
            EnumThreadWindows(GetCurrentThreadId(), FindTooltip, reinterpret_cast<LPARAM>(button->Window()));
        tooltip = tooltipFound;
    }
};

TEST(OwnedWindows, TheTooltipIsDestroyedOnceWhicheverGoesFirst) {
    ImportHook hook("user32.dll", "DestroyWindow", reinterpret_cast<void*>(CountedDestroyWindow));
    ASSERT_TRUE(hook.Installed());
    originalDestroyWindow = reinterpret_cast<decltype(&DestroyWindow)>(hook.original);
    deadWindowsDestroyed = 0;
    {
        ButtonWithTooltip whole;
        ASSERT_TRUE(whole.button && whole.tooltip);
        DestroyWindow(whole.top);
        EXPECT_FALSE(IsWindow(whole.tooltip));
        EXPECT_EQ(deadWindowsDestroyed, 0) << "the tooltip went with the top-level window, not again with the button";
    }
    {
        ButtonWithTooltip alone;
        ASSERT_TRUE(alone.button && alone.tooltip);
        DestroyWindow(alone.button->Window());
        EXPECT_FALSE(IsWindow(alone.tooltip)) << "a button destroyed alone takes its tooltip along";
        DestroyWindow(alone.top);
        EXPECT_EQ(deadWindowsDestroyed, 0);
    }
}

// A version 2 edit box with stepping arrows over [1, 10].
std::vector<uint8_t> EditBoxStream() {
    StreamWriter stream;
    for (uint32_t field : {2u, 5u, 0u, 0xFFFFFFu, 1u, 0u, 0u, 0u, 0u, 1u}) stream.Dword(field);
    stream.Word('*');
    for (uint32_t field : {0u, 1u, 1u, 10u, 0u, 0u}) stream.Dword(field);
    stream.Block({});
    for (const char* text : {"10", "", ""}) stream.Text(text);
    return stream.bytes;
}

UnitObject* unitAtDestruction = reinterpret_cast<UnitObject*>(1);
LRESULT CALLBACK WatchDestruction(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    if (message == WM_NCDESTROY) {
        unitAtDestruction = UnitOfWindow(window);
        RemoveWindowSubclass(window, WatchDestruction, id);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

TEST(OwnedWindows, TheArrowsLetGoOfTheirUnitWhenDestroyed) {
    UnitObject* box = MakeUnit(0x00010005, EditBoxStream(), countId, {8, 8, 80, 32});
    ASSERT_NE(box, nullptr);
    HWND arrows = GetWindow(box->Window(), GW_HWNDNEXT);
    char name[32] = {};
    GetClassNameA(arrows, name, sizeof name);
    ASSERT_EQ(lstrcmpiA(name, UPDOWN_CLASSA), 0) << name;
    ASSERT_EQ(UnitOfWindow(arrows), box);
    SetWindowSubclass(arrows, WatchDestruction, 1, 0);
    DestroyWindow(box->Window());
    EXPECT_FALSE(IsWindow(arrows));
    EXPECT_EQ(unitAtDestruction, nullptr) << "the arrows let go of their unit before they go";
    EXPECT_EQ(UnitOfWindow(arrows), nullptr);
}

TEST(Bounds, AFaceFieldWithoutItsNulIsReadWithinTheField) {
    struct {
        LOGFONTA font;
        char after[16];
    } description{};
    std::memset(description.font.lfFaceName, 'A', LF_FACESIZE);
    std::memset(description.after, 'x', sizeof description.after);
    EXPECT_EQ(FontFaceName(description.font), std::string(31, 'A'));
    // The face as a program reads it, alone and in the whole font's record.
    auto* face = reinterpret_cast<char*>(static_cast<uint32_t>(FontSubField(&description.font, 6)));
    EXPECT_EQ(std::string(face), std::string(31, 'A'));
    FreeMemory(face);
    auto* record = reinterpret_cast<uint32_t*>(static_cast<uint32_t>(FontSubField(&description.font, -1)));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record[6])), std::string(31, 'A'));
    FreeMemory(reinterpret_cast<void*>(record[6]));
    FreeMemory(record);
    std::strcpy(description.font.lfFaceName, "Tahoma");
    EXPECT_EQ(FontFaceName(description.font), "Tahoma");
}

// An icon or cursor file with one entry whose image header says what the test
// asks, followed by `payload` bytes of pixels: lying files of every kind.
std::vector<uint8_t> PictureFile(int32_t width, int32_t height, uint16_t bits, uint32_t payload, bool cursor) {
    StreamWriter file;
    file.Word(0);
    file.Word(cursor ? 2 : 1);
    file.Word(1);
    file.Word(0x2020);  // 32 x 32
    file.Word(0);       // colours, reserved
    file.Word(cursor ? 3 : 1);
    file.Word(cursor ? 3 : bits);
    file.Dword(40 + payload);
    file.Dword(22);
    file.Dword(40);
    file.Int(width);
    file.Int(height);
    file.Word(1);
    file.Word(bits);
    for (int field = 0; field < 6; ++field) file.Dword(0);
    file.bytes.resize(file.bytes.size() + payload, 0x5A);
    return file.bytes;
}

TEST(Bounds, DamagedPicturesAndPointersGiveNone) {
    for (bool cursor : {false, true})
        for (int32_t width : {0, -32, 32, 0x7FFFFFFF, static_cast<int32_t>(0x80000000)})
            for (int32_t height : {0, 64, -64, 0x7FFFFFFF})
                for (uint16_t bits : {0, 1, 7, 32, 0xFFFF})
                    for (uint32_t payload : {0u, 16u, 264u, 4224u}) {
                        std::vector<uint8_t> file = PictureFile(width, height, bits, payload, cursor);
                        HICON made = IconFromFileData(file.data(), static_cast<uint32_t>(file.size()), cursor);
                        // 32 x 32 (the header counts both masks' rows) with all its pixels
                        bool whole = width == 32 && height == 64 &&
                                     ((bits == 1 && payload >= 8 + 128 + 128) || (bits == 32 && payload >= 4096 + 128));
                        EXPECT_EQ(made != nullptr, whole) << width << " x " << height << " " << bits << " " << payload;
                        if (made) DestroyIcon(made);
                    }
    // An image that says it is PNG and is not.
    std::vector<uint8_t> png = PictureFile(32, 64, 32, 64, false);
    const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::copy(signature, signature + 8, png.begin() + 22);
    EXPECT_EQ(IconFromFileData(png.data(), static_cast<uint32_t>(png.size()), false), nullptr);

    // A mouse-pointer block of code -1 and a cursor file makes a cursor only whole.
    std::vector<uint8_t> block = {0xFF, 0xFF, 0xFF, 0xFF};
    std::vector<uint8_t> file = PictureFile(32, 64, 1, 8 + 128 + 128, true);
    block.insert(block.end(), file.begin(), file.end());
    for (size_t length = 0; length <= block.size(); ++length) {
        HCURSOR made = MakeUnitCursor(block.data(), static_cast<uint32_t>(length));
        EXPECT_EQ(made != nullptr, length == block.size()) << length;
        if (made) DestroyCursor(made);
    }
}

// Makes every window a unit asks for fail while it is being made, after the
// runtime has bound and subclassed it: refused by the creation hook, or a
// procedure of the test's on top answering WM_NCCREATE with FALSE or
// WM_CREATE with -1. The platform then destroys the half-made window.
enum class Refusal { Hook, NcCreate, Create };
Refusal refusal = Refusal::Create;
constexpr const char* beneathProperty = "TestBeneath";
LRESULT CALLBACK RefuseCreation(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE && refusal == Refusal::NcCreate) return FALSE;
    if (message == WM_CREATE && refusal == Refusal::Create) return -1;
    auto beneath = reinterpret_cast<WNDPROC>(GetPropA(window, beneathProperty));
    if (message == WM_NCDESTROY) RemovePropA(window, beneathProperty);
    return CallWindowProcA(beneath, window, message, wParam, lParam);
}
std::vector<HWND> refusedWindows;
LRESULT CALLBACK FailCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        refusedWindows.push_back(reinterpret_cast<HWND>(wParam));
        if (refusal == Refusal::Hook) return 1;
        auto window = reinterpret_cast<HWND>(wParam);
        SetPropA(window, beneathProperty,
                 reinterpret_cast<HANDLE>(
                     SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RefuseCreation))));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(Creation, AUnitWhoseWindowFailsWhileBeingMadeIsFreedOnceByItsCreator) {
    OpenMainWindow();
    auto create = UnitOperation<CreateOperation>(FindUnitType(0x00010001), UnitServiceCreate);
    std::vector<uint8_t> stream = WindowStream({}, 2);
    CreateParams params{stream.data(), static_cast<uint32_t>(stream.size()), 0, nullptr, 0, nullptr, 0, 0, 200, 100,
                        0x52FFFFFF, 0x06010000};
    for (Refusal way : {Refusal::Hook, Refusal::NcCreate, Refusal::Create}) {
        refusal = way;
        HHOOK failing = SetWindowsHookExA(WH_CBT, FailCreation, nullptr, GetCurrentThreadId());
        ASSERT_NE(failing, nullptr);
        UnitObject* box = MakeUnit(0x00010005, EditBoxStream(), countId, {8, 8, 80, 32});
        UnitObject* window = create(params);  // a class of its own: bound at WM_NCCREATE
        UnhookWindowsHookEx(failing);
        EXPECT_EQ(box, nullptr) << static_cast<int>(way);
        EXPECT_EQ(window, nullptr) << static_cast<int>(way);
        // A later window may be given a refused one's handle: it must not name the freed unit.
        for (HWND refused : refusedWindows) EXPECT_EQ(UnitOfWindow(refused), nullptr) << static_cast<int>(way);
        refusedWindows.clear();
    }
    // A unit deleted twice calls its destructor through freed memory: the
    // test crashes before it gets here. The next one is made and freed as usual.
    UnitObject* again = MakeUnit(0x00010005, EditBoxStream(), countId, {8, 8, 80, 32});
    ASSERT_NE(again, nullptr);
    DestroyWindow(again->Window());
}

}  // namespace
}  // namespace velmora::testing

namespace velmora::testing {
namespace {

// GDI and USER objects made and destroyed through the import table (Wine's
// GetGuiResources answers 0): each handle a hooked maker answers is live
// until a hooked destroyer takes it.
struct ObjectLedger {
    std::vector<HANDLE> live;
    int made = 0, destroyed = 0;
    void Made(HANDLE handle) {
        if (handle) ++made, live.push_back(handle);
    }
    void Destroyed(HANDLE handle, BOOL ok) {
        auto at = std::find(live.begin(), live.end(), handle);
        if (ok && at != live.end()) ++destroyed, live.erase(at);
    }
} ledger;

#define VELMORA_MAKER(Name, Result, Parameters, Arguments) \
    decltype(&::Name) original##Name;                        \
    Result WINAPI Counted##Name Parameters {                 \
        Result made = original##Name Arguments;              \
        ledger.Made(reinterpret_cast<HANDLE>(made));         \
        return made;                                         \
    }
#define VELMORA_DESTROYER(Name, Type)                                         \
    decltype(&::Name) original##Name;                                         \
    BOOL WINAPI Counted##Name(Type handle) {                                  \
        BOOL ok = original##Name(handle);                                     \
        ledger.Destroyed(reinterpret_cast<HANDLE>(handle), ok);               \
        return ok;                                                            \
    }
VELMORA_MAKER(CreateSolidBrush, HBRUSH, (COLORREF c), (c))
VELMORA_MAKER(CreateFontIndirectW, HFONT, (const LOGFONTW* f), (f))
VELMORA_MAKER(CreateCompatibleDC, HDC, (HDC dc), (dc))
VELMORA_MAKER(CreateCompatibleBitmap, HBITMAP, (HDC dc, int w, int h), (dc, w, h))
VELMORA_MAKER(CreateBitmap, HBITMAP, (int w, int h, UINT p, UINT b, const void* bits), (w, h, p, b, bits))
VELMORA_MAKER(CreateDIBSection, HBITMAP, (HDC dc, const BITMAPINFO* i, UINT u, void** bits, HANDLE s, DWORD o),
              (dc, i, u, bits, s, o))
VELMORA_MAKER(CreateIconIndirect, HICON, (PICONINFO i), (i))
VELMORA_MAKER(CreateIconFromResourceEx, HICON, (PBYTE b, DWORD n, BOOL i, DWORD v, int w, int h, UINT f),
              (b, n, i, v, w, h, f))
VELMORA_MAKER(CopyImage, HANDLE, (HANDLE h, UINT t, int w, int h2, UINT f), (h, t, w, h2, f))
VELMORA_MAKER(CopyIcon, HICON, (HICON h), (h))
VELMORA_MAKER(LoadImageW, HANDLE, (HINSTANCE m, LPCWSTR n, UINT t, int w, int h, UINT f), (m, n, t, w, h, f))
decltype(&::GetIconInfo) originalGetIconInfo;
// The two bitmaps GetIconInfo hands its caller are the caller's to delete.
BOOL WINAPI CountedGetIconInfo(HICON icon, PICONINFO info) {
    BOOL ok = originalGetIconInfo(icon, info);
    if (ok && info) {
        ledger.Made(info->hbmMask);
        ledger.Made(info->hbmColor);
    }
    return ok;
}
VELMORA_DESTROYER(DeleteObject, HGDIOBJ)
VELMORA_DESTROYER(DeleteDC, HDC)
VELMORA_DESTROYER(DestroyIcon, HICON)
VELMORA_DESTROYER(DestroyCursor, HCURSOR)
#undef VELMORA_MAKER
#undef VELMORA_DESTROYER

// Installs every counting hook for as long as it lives.
class CountedObjects {
public:
    CountedObjects() {
        Hook("gdi32.dll", "CreateSolidBrush", CountedCreateSolidBrush, originalCreateSolidBrush);
        Hook("gdi32.dll", "CreateFontIndirectW", CountedCreateFontIndirectW, originalCreateFontIndirectW);
        Hook("gdi32.dll", "CreateCompatibleDC", CountedCreateCompatibleDC, originalCreateCompatibleDC);
        Hook("gdi32.dll", "CreateCompatibleBitmap", CountedCreateCompatibleBitmap, originalCreateCompatibleBitmap);
        Hook("gdi32.dll", "CreateBitmap", CountedCreateBitmap, originalCreateBitmap);
        Hook("gdi32.dll", "CreateDIBSection", CountedCreateDIBSection, originalCreateDIBSection);
        Hook("user32.dll", "CreateIconIndirect", CountedCreateIconIndirect, originalCreateIconIndirect);
        Hook("user32.dll", "CreateIconFromResourceEx", CountedCreateIconFromResourceEx, originalCreateIconFromResourceEx);
        Hook("user32.dll", "CopyImage", CountedCopyImage, originalCopyImage);
        Hook("user32.dll", "CopyIcon", CountedCopyIcon, originalCopyIcon);
        Hook("user32.dll", "LoadImageW", CountedLoadImageW, originalLoadImageW);
        Hook("user32.dll", "GetIconInfo", CountedGetIconInfo, originalGetIconInfo);
        Hook("gdi32.dll", "DeleteObject", CountedDeleteObject, originalDeleteObject);
        Hook("gdi32.dll", "DeleteDC", CountedDeleteDC, originalDeleteDC);
        Hook("user32.dll", "DestroyIcon", CountedDestroyIcon, originalDestroyIcon);
        Hook("user32.dll", "DestroyCursor", CountedDestroyCursor, originalDestroyCursor);
        ledger = ObjectLedger{};
    }
    size_t Installed() const { return installed_; }

private:
    template <class Function>
    void Hook(const char* library, const char* name, Function counted, Function& original) {
        hooks_.push_back(std::make_unique<ImportHook>(library, name, reinterpret_cast<void*>(counted)));
        if (!hooks_.back()->Installed()) return;
        original = reinterpret_cast<Function>(hooks_.back()->original);
        ++installed_;
    }
    std::vector<std::unique_ptr<ImportHook>> hooks_;
    size_t installed_ = 0;
};

BOOL CALLBACK CountChild(HWND, LPARAM count) {
    ++*reinterpret_cast<size_t*>(count);
    return TRUE;
}

BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
    ++*reinterpret_cast<size_t*>(count);
    EnumChildWindows(window, CountChild, count);
    return TRUE;
}

// Every window of this thread, children included.
size_t WindowsOfThisThread() {
    size_t count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
}

// Painting every unit 10,000 times, re-creating each 1,000 times and
// re-opening the window with a pointer written while it was closed make
// nothing that stays: what is live after the second half of each is what
// was live after the first (the objects the units hold), and no window is
// left behind.
constexpr int PaintsEach = 10000, RecreationsEach = 1000, Reopenings = 6;

void PaintEveryUnit(const uint32_t (&units)[8], int times) {
    for (uint32_t unit : units) {
        HWND handle = unit == windowId ? MainTemplate().window : UnitHandle(unit);
        for (int paint = 0; paint < times; ++paint)
            RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_NOCHILDREN);
    }
}

void RecreateEveryUnit(const uint32_t (&units)[8], int times) {
    for (uint32_t unit : units) {
        int32_t index = MainTemplate().IndexOf(unit);
        UnitRecordRef record;
        if (unit == windowId || index <= 0 || !MainTemplate().Record(static_cast<uint32_t>(index), record)) continue;
        const UnitTypeDescriptor* type = FindUnitType(record.TypeKey());
        for (int again = 0; again < times; ++again) Recreate(windowId, unit, type);
    }
}

void ReopenWithAPointerWrittenWhileClosed(int times) {
    const std::vector<uint8_t> arrow = {1, 0, 0, 0};  // pointer code 1: a copy of a system cursor
    for (int reopen = 0; reopen < times; ++reopen) {
        CloseMainWindow();
        WriteBytes(buttonId, 7, arrow);
        OpenMainWindow();
    }
}

TEST(ObjectBalance, PaintsRecreationsAndReopeningsLeaveNothingBehind) {
    OpenMainWindow();
    const uint32_t units[8] = {windowId, buttonId, listId, progressId, countId, superId, noteId, captionId};
    size_t windowsBefore = WindowsOfThisThread();
    CountedObjects counted;
    ASSERT_GE(counted.Installed(), 12u) << "the hooks must see the makers and the destroyers";

    PaintEveryUnit(units, PaintsEach / 2);
    size_t halfway = ledger.live.size();
    PaintEveryUnit(units, PaintsEach / 2);
    EXPECT_GT(ledger.destroyed, 0) << "the counters move: painting makes and destroys objects";
    EXPECT_LE(ledger.live.size(), halfway) << "painting left objects, of " << ledger.made << " made";

    int made = ledger.made;
    RecreateEveryUnit(units, RecreationsEach / 2);
    halfway = ledger.live.size();
    RecreateEveryUnit(units, RecreationsEach / 2);
    EXPECT_GT(ledger.made, made + RecreationsEach) << "the counters move: re-created units make fonts and brushes";
    EXPECT_LE(ledger.live.size(), halfway) << "re-creation left objects, of " << ledger.made << " made";
    EXPECT_EQ(WindowsOfThisThread(), windowsBefore) << "every re-created unit's old window went";

    ReopenWithAPointerWrittenWhileClosed(Reopenings / 2);
    halfway = ledger.live.size();
    ReopenWithAPointerWrittenWhileClosed(Reopenings / 2);
    EXPECT_LE(ledger.live.size(), halfway) << "closing and re-opening left objects, of " << ledger.made << " made";
    EXPECT_EQ(WindowsOfThisThread(), windowsBefore);
}

}  // namespace
}  // namespace velmora::testing
