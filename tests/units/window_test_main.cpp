#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include "program/program_header.h"
#include "runtime/memory.h"
#include "runtime/runtime_interface.h"
#include "tests/units/window_test_support.h"
#include "units/framework/window_creation.h"
#include "units/framework/window_map.h"

extern "C" {
int startClicks = 0, windowCreatedEvents = 0, openFolderClicks = 0;
void CountStartClicked() { ++startClicks; }
void CountWindowCreated() { ++windowCreatedEvents; }
void CountOpenFolderClicked() { ++openFolderClicks; }
extern const uint8_t testHandlerBase[];
}

namespace velmora::testing {

WindowTemplate& MainTemplate() { return *ProgramWindows().Find(windowId); }

HWND OpenMainWindow() {
    WindowTemplate& window = MainTemplate();
    if (!window.window || !IsWindow(window.window)) {
        EXPECT_TRUE(CreateWindowFromTemplate(window, false, nullptr));
    }
    Pump();
    return window.window;
}

void CloseMainWindow() {
    if (HWND window = MainTemplate().window) DestroyWindow(window);
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

HWND UnitHandle(uint32_t unitId) {
    WindowTemplate& window = MainTemplate();
    UnitRecordRef record;
    window.Record(static_cast<uint32_t>(window.IndexOf(unitId)), record);
    return record.Object() ? record.Object()->Window() : nullptr;
}

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

void WriteBytes(uint32_t unitId, int32_t property, const std::vector<uint8_t>& bytes) {
    auto* block = static_cast<ByteSetBlock*>(AllocMemory(8 + static_cast<uint32_t>(bytes.size())));
    block->dimensions = 1;
    block->length = static_cast<uint32_t>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), block->data());
    Runtime().WriteUnitProperty(windowId, unitId, property, 0, reinterpret_cast<uint32_t>(block), 0);
    FreeMemory(block);
}

HCURSOR RecordCursor(uint32_t unitId) {
    UnitRecordRef record;
    MainTemplate().Record(static_cast<uint32_t>(MainTemplate().IndexOf(unitId)), record);
    return record.Cursor();
}

void Pump(DWORD milliseconds) {
    DWORD start = GetTickCount();
    MSG message;
    do {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(1);
    } while (GetTickCount() - start < milliseconds);
}

UnitObject* MakeUnit(uint32_t typeKey, const std::vector<uint8_t>& stream, uint32_t unitId, RECT place, HWND parent) {
    auto create = UnitOperation<CreateOperation>(FindUnitType(typeKey), UnitServiceCreate);
    if (!create) return nullptr;
    CreateParams params{stream.data(), static_cast<uint32_t>(stream.size()), WS_VISIBLE, parent ? parent : OpenMainWindow(), 900,
                        nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                        windowId, unitId};
    UnitObject* unit = create(params);
    if (unit) SetWindowPos(unit->Window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return unit;
}

namespace {
DWORD WINAPI RunWork(void* parameter) {
    (*static_cast<const std::function<void()>*>(parameter))();
    return 0;
}
}  // namespace

void OnOtherThread(const std::function<void()>& work) {
    auto run = RunWork;
    HANDLE thread = CreateThread(nullptr, 0, run, const_cast<std::function<void()>*>(&work), 0, nullptr);
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) Pump(0);
    CloseHandle(thread);
}

}  // namespace velmora::testing

namespace {
velmora::ProgramHeader testHeader;
std::unique_ptr<velmora::RuntimeApp> app;
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    testHeader = velmora::program::header;
    testHeader.handlerBase = testHandlerBase;
    app = std::make_unique<velmora::RuntimeApp>(&testHeader, nullptr);
    velmora::InitializeRuntime();
    int result = RUN_ALL_TESTS();
    // The windows go before the runtime object they report to.
    for (auto& window : velmora::ProgramWindows().templates)
        if (window->window && IsWindow(window->window)) DestroyWindow(window->window);
    return result;
}
