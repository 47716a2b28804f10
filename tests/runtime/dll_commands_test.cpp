// Binding and calling DLL commands.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include <utility>
#include <vector>
#include "runtime/dll_commands.h"
#include "runtime/platform_text.h"
#include "runtime/runtime_app.h"
#include "runtime/runtime_interface.h"
#include "tests/runtime/test_program.h"

namespace velmora {
namespace {

using namespace testing;

uint32_t Call(int32_t index, std::initializer_list<uint32_t> words) {
    return Runtime().CallDllCommand(index, words.begin(), static_cast<int32_t>(words.size()));
}

// The runtime calls LoadLibraryW through this program's import slot; while a
// recorder lives, the slot leads through it and every name asked for is kept.
extern "C" void* loadLibraryImport asm("__imp__LoadLibraryW@4");
std::vector<std::string> namesLoaded;

class LoadRecorder {
public:
    LoadRecorder() {
        namesLoaded.clear();
        real_ = reinterpret_cast<decltype(real_)>(Swap(reinterpret_cast<void*>(Record)));
    }
    ~LoadRecorder() { Swap(reinterpret_cast<void*>(real_)); }

private:
    static HMODULE WINAPI Record(LPCWSTR name) {
        namesLoaded.push_back(TextFromWide(name));
        return real_(name);
    }
    static void* Swap(void* function) {
        DWORD protection = 0;
        VirtualProtect(&loadLibraryImport, sizeof loadLibraryImport, PAGE_READWRITE, &protection);
        void* old = std::exchange(loadLibraryImport, function);
        VirtualProtect(&loadLibraryImport, sizeof loadLibraryImport, protection, &protection);
        return old;
    }
    static inline HMODULE(WINAPI* real_)(LPCWSTR) = nullptr;
};

TEST(DllCommands, ArgumentsArriveInOrderAndBindingHappensOnce) {
    EXPECT_EQ(Call(DllAdd2, {40, 2}), 42u);
    EXPECT_EQ(Call(DllSum5, {1, 2, 3, 4, 5}), 54321u);
    ASSERT_NE(DllCommandAt(DllAdd2).module, nullptr);
    ASSERT_NE(DllCommandAt(DllAdd2).address, nullptr);

    // A second call must not load anything.
    LoadRecorder loads;
    EXPECT_EQ(Call(DllAdd2, {1, 1}), 2u);
    EXPECT_TRUE(namesLoaded.empty());
}

TEST(DllCommands, TwoIndexesOfOneExportBindIndependently) {
    EXPECT_EQ(DllCommandAt(DllAdd2Again).address, nullptr);
    EXPECT_EQ(Call(DllAdd2Again, {5, 6}), 11u);
    EXPECT_EQ(DllCommandAt(DllAdd2Again).address, DllCommandAt(DllAdd2).address);
    EXPECT_NE(DllCommandAt(DllAdd2Again).module, nullptr) << "each index holds its own reference";
}

TEST(DllCommands, OrdinalsAreTheLowSixteenBits) {
    EXPECT_EQ(Call(DllOrdinal12, {3}), 36u);
    EXPECT_EQ(Call(DllOrdinalWrapped, {2}), 24u) << "#65548 is ordinal 12";
}

TEST(DllCommands, EmptyLibraryNameWalksTheSystemList) {
    EXPECT_NE(Call(DllSystemGetTickCount, {}), 0u);
    EXPECT_EQ(DllCommandAt(DllSystemGetTickCount).module, GetModuleHandleA("kernel32.dll"));
    ASSERT_NE(ResolveDllCommand(DllSystemShellExecute), nullptr);
    EXPECT_EQ(DllCommandAt(DllSystemShellExecute).module, GetModuleHandleA("shell32.dll"))
        << "bound from the first library of the list that has it";
}

TEST(DllCommands, OnlyANameWithoutADriveIsLookedForBesideTheProgram) {
    LoadRecorder loads;
    EXPECT_EQ(Call(DllDriveColonProcessId, {}), GetCurrentProcessId());
    EXPECT_EQ(Call(DllAdd2BesideProgram, {1, 2}), 3u);
    const std::vector<std::string> expected = {"C:\\windows\\system32\\kernel32.dll",
                                               App().programDirectory + "\\dll_probe.dll"};
    EXPECT_EQ(namesLoaded, expected);
}

TEST(DllCommands, TheFunctionMayWriteIntoTheCallersText) {
    char text[] = "          ";
    int32_t length = 10;
    EXPECT_EQ(Call(DllFillText, {reinterpret_cast<uint32_t>(text), reinterpret_cast<uint32_t>(&length)}), 1u);
    EXPECT_STREQ(text, "filled    ");
    EXPECT_EQ(length, 6);
}

}  // namespace
}  // namespace velmora
