// What a Windows user downloads: Velmora.exe as built for release. Its file
// (imports, subsystem, size, version resource, manifest), its indifference to
// the test-only settings, and hostile gallery addresses.
#include <gtest/gtest.h>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <cstring>
#include <map>
#include <set>
#include "tests/app/app_test_support.h"
#include "units/framework/runtime_resources.h"

namespace velmora::testing {
namespace {

using driver::OwnDirectory;

std::string ReleaseProgram() { return OwnDirectory() + "Velmora.exe"; }

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return text;
}

// The PE file as it lies on disk, read by its headers.
class PortableExecutable {
public:
    explicit PortableExecutable(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    size_t Size() const { return bytes_.size(); }
    const IMAGE_NT_HEADERS32* Headers() const {
        if (bytes_.size() < sizeof(IMAGE_DOS_HEADER)) return nullptr;
        auto offset = static_cast<size_t>(reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes_.data())->e_lfanew);
        if (offset + sizeof(IMAGE_NT_HEADERS32) > bytes_.size()) return nullptr;
        return reinterpret_cast<const IMAGE_NT_HEADERS32*>(bytes_.data() + offset);
    }
    const std::string& Bytes() const { return bytes_; }
    // The import directory: each DLL with the functions imported from it by name.
    std::map<std::string, std::vector<std::string>> Imports() const {
        std::map<std::string, std::vector<std::string>> imports;
        const IMAGE_DATA_DIRECTORY& directory = Headers()->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (size_t at = FileOffset(directory.VirtualAddress); at && at + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= bytes_.size();
             at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(bytes_.data() + at);
            size_t name = entry->Name ? FileOffset(entry->Name) : 0;
            if (!name) break;
            std::vector<std::string>& functions = imports[Lower(bytes_.c_str() + name)];
            uint32_t thunks = entry->OriginalFirstThunk ? entry->OriginalFirstThunk : entry->FirstThunk;
            for (size_t thunk = FileOffset(thunks); thunk && thunk + 4 <= bytes_.size(); thunk += 4) {
                uint32_t value = *reinterpret_cast<const uint32_t*>(bytes_.data() + thunk);
                if (value == 0) break;
                size_t byName = value & IMAGE_ORDINAL_FLAG32 ? 0 : FileOffset(value);
                if (byName) functions.push_back(bytes_.c_str() + byName + 2);  // after the hint
            }
        }
        return imports;
    }

private:
    size_t FileOffset(uint32_t rva) const {
        const IMAGE_NT_HEADERS32* nt = Headers();
        auto* section = IMAGE_FIRST_SECTION(nt);
        for (int i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section)
            if (rva >= section->VirtualAddress && rva < section->VirtualAddress + section->Misc.VirtualSize)
                return rva - section->VirtualAddress + section->PointerToRawData;
        return 0;
    }
    std::string bytes_;
};

TEST(ReleaseFile, ImportsOnlySystemDllsOfEveryWindowsAndIsASmallLargeAddressAwareGuiProgram) {
    PortableExecutable exe(ReleaseProgram());
    const IMAGE_NT_HEADERS32* nt = exe.Headers();
    ASSERT_NE(nt, nullptr);
    // Present on every Windows from 7 to 11: the platform the program is built on, and the C runtime.
    const std::set<std::string> everywhere = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll",
                                              "ole32.dll",    "msvcrt.dll", "shell32.dll", "wininet.dll",
                                              "winmm.dll",    "ws2_32.dll"};
    // Functions that came after Windows 7, which a newer toolchain might pull in.
    const std::set<std::string> afterWindows7 = {"GetSystemTimePreciseAsFileTime", "CreateFile2",
                                                 "GetCurrentThreadStackLimits", "SetThreadInformation",
                                                 "GetProcessMitigationPolicy", "SetProcessMitigationPolicy",
                                                 "WaitOnAddress", "WakeByAddressSingle", "WakeByAddressAll",
                                                 "SetThreadDescription", "GetThreadDescription",
                                                 // DPI: the program asks for them by name where Windows has them.
                                                 "GetDpiForWindow", "GetDpiForSystem", "GetSystemMetricsForDpi",
                                                 "AdjustWindowRectExForDpi", "EnableNonClientDpiScaling",
                                                 "SetProcessDpiAwarenessContext", "SetThreadDpiAwarenessContext",
                                                 "GetDpiForMonitor", "SetProcessDpiAwareness"};
    auto imports = exe.Imports();
    EXPECT_FALSE(imports.empty());
    for (const auto& [dll, functions] : imports) {
        EXPECT_TRUE(everywhere.count(dll)) << dll << " is not on every Windows";
        EXPECT_FALSE(functions.empty()) << dll;
        for (const std::string& function : functions)
            EXPECT_FALSE(afterWindows7.count(function)) << function << " is not on Windows 7";
    }
    EXPECT_TRUE(imports.count("kernel32.dll") && imports.count("user32.dll")) << "the import directory was not read";
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    EXPECT_TRUE(nt->FileHeader.Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE);
    EXPECT_LT(exe.Size(), 2u << 20);
    EXPECT_EQ(nt->FileHeader.PointerToSymbolTable, 0u) << "the release is stripped";
}

// A resource of the file, as bytes.
std::string ResourceOf(const std::string& path, LPCSTR type, int id = 1) {
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    std::string bytes;
    if (!module) return bytes;
    if (HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type))
        if (HGLOBAL loaded = LoadResource(module, found))
            bytes.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
    FreeLibrary(module);
    return bytes;
}

// A string value of the version resource, as ASCII: a String entry is {length,
// value length in characters, type, UTF-16 key, padding to 32 bits, UTF-16 value}.
std::string VersionValue(const std::string& resource, const std::string& key) {
    std::string wideKey;
    for (char c : key) wideKey += std::string{c, '\0'};
    size_t at = resource.find(wideKey + std::string(2, '\0'));
    if (at == std::string::npos || at < 6) return "";
    uint16_t characters = 0;
    std::memcpy(&characters, resource.data() + at - 4, 2);
    at += wideKey.size() + 2;
    at = (at + 3) & ~size_t{3};
    std::string value;
    for (uint16_t i = 0; i + 1 < characters && at + 1 < resource.size(); ++i, at += 2) value += resource[at];
    return value;
}

TEST(ReleaseFile, CarriesItsVersionAndAManifestThatAsksForNoRights) {
    std::string version = ResourceOf(ReleaseProgram(), MAKEINTRESOURCEA(16));  // RT_VERSION
    ASSERT_FALSE(version.empty());
    EXPECT_EQ(VersionValue(version, "ProductVersion"), VELMORA_EXPECTED_VERSION);
    EXPECT_EQ(VersionValue(version, "FileVersion"), VELMORA_EXPECTED_VERSION);
    EXPECT_EQ(VersionValue(version, "ProductName"), "Velmora");
    EXPECT_EQ(VersionValue(version, "OriginalFilename"), "Velmora.exe");
    EXPECT_NE(VersionValue(version, "LegalCopyright"), "");
    std::string manifest = ResourceOf(ReleaseProgram(), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos) << manifest;
    for (const char* os : {"35138b9a-5d96-4fbd-8e2d-a2440225f93a", "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38",
                           "1f676c76-80e1-4239-95bb-83d0f6d0da78", "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_NE(manifest.find(os), std::string::npos) << "supportedOS " << os;
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos) << "the look stays as it is";
    // The system reads it as the program starts: a manifest it refused would stop the start.
    std::string path = ReleaseProgram();
    ACTCTXA context{};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = path.c_str();
    context.lpResourceName = MAKEINTRESOURCEA(1);
    HANDLE activation = CreateActCtxA(&context);
    EXPECT_NE(activation, INVALID_HANDLE_VALUE) << "the manifest does not parse: " << GetLastError();
    if (activation != INVALID_HANDLE_VALUE) ReleaseActCtx(activation);
}

TEST(ReleaseFile, CarriesTheRuntimesHandCursorAndWindowIcon) {
    // The group resources; the images they name come with them.
    EXPECT_FALSE(ResourceOf(ReleaseProgram(), MAKEINTRESOURCEA(12), VELMORA_HAND_CURSOR).empty());  // RT_GROUP_CURSOR
    EXPECT_FALSE(ResourceOf(ReleaseProgram(), MAKEINTRESOURCEA(14), VELMORA_DEFAULT_ICON).empty());  // RT_GROUP_ICON
}

TEST(ReleaseFile, HoldsNoTestOnlySettingNotEvenItsName) {
    const std::string release = PortableExecutable(ReleaseProgram()).Bytes();
    const std::string testBuild = PortableExecutable(OwnDirectory() + "Velmora-test.exe").Bytes();
    for (const char* name : {"VELMORA_NET_TIMEOUT_MS", "VELMORA_TEST_DISK_ROOM", "VELMORA_FAIL_ALLOCATION",
                             "VELMORA_ALLOCATION_LIMIT", "VELMORA_HEAP_STATISTICS"}) {
        EXPECT_EQ(release.find(name), std::string::npos) << name << " is in the release";
        EXPECT_NE(testBuild.find(name), std::string::npos) << name << " is missing from the test build";
    }
    EXPECT_NE(release.find("VELMORA_GALLERY_URL"), std::string::npos) << "the user's setting stays";
}

void UseSampleGallery() { UseGallery(ServerUrl("/zh-CN/windows/wallpaper/?T1=all")); }

driver::RunResult RunSample(const std::string& program) {
    ClearPictures();
    Session session(program);
    driver::RunResult run = session.Run(10, 120000);
    EXPECT_EQ(session.Close(), 0u);
    return run;
}

TEST(ReleaseProgram, IgnoresEveryTestOnlySetting) {
    UseSampleGallery();
    const std::pair<const char*, const char*> settings[] = {
        {"VELMORA_FAIL_ALLOCATION", "1"}, {"VELMORA_ALLOCATION_LIMIT", "1"}, {"VELMORA_TEST_DISK_ROOM", "0"},
        {"VELMORA_NET_TIMEOUT_MS", "1"},  {"VELMORA_HEAP_STATISTICS", "1"}};
    for (const auto& [name, value] : settings) {
        ScopedEnvironment set(name, value);
        driver::RunResult run = RunSample(ReleaseProgram());
        ASSERT_TRUE(run.completed) << name;
        EXPECT_EQ(run.progress, "24 / 24") << name;
        EXPECT_EQ(std::count_if(run.log.begin(), run.log.end(),
                                [](const std::string& line) { return line.rfind("下载完成：", 0) == 0; }),
                  24)
            << name;
        EXPECT_EQ(FilesIn(PicturesFolder()).size(), 24u) << name;
    }
    // The test build does read them: with no room on the disk nothing is saved.
    ScopedEnvironment full("VELMORA_TEST_DISK_ROOM", "0");
    driver::RunResult run = RunSample(OwnDirectory() + "Velmora-test.exe");
    ASSERT_TRUE(run.completed);
    EXPECT_TRUE(FilesIn(PicturesFolder()).empty());
    ClearPictures();
}

TEST(ReleaseProgram, KeepsItsOwnNetworkTimeOut) {
    // Pictures that answer after 2 s: within the shipped 30 s, beyond the 0.5 s the setting asks for.
    UseGallery(PutPage("slow", "<html>" + Entry("Slow1", "{{BASE}}/r?size=3000&seed=1&stallhead=2&x=.jpg") +
                                   Entry("Slow2", "{{BASE}}/r?size=3000&seed=2&stallhead=2&x=.jpg") + "</html>"));
    ScopedEnvironment shortTimeOut("VELMORA_NET_TIMEOUT_MS", "500");
    EXPECT_EQ(RunSample(ReleaseProgram()).progress, "2 / 2");
    EXPECT_EQ(FilesIn(PicturesFolder()).size(), 2u) << "the release waited for its pictures";
    RunSample(OwnDirectory() + "Velmora-test.exe");
    EXPECT_TRUE(FilesIn(PicturesFolder()).empty()) << "the test build gave up after 0.5 s";
    ClearPictures();
}

TEST(ReleaseProgram, AGalleryAddressThatLeadsNowhereIsAnEmptyRunThatSaysSo) {
    const std::string addresses[] = {"not a url at all", ServerUrl("/" + std::string(10240, 'a')),
                                     "http://" + std::string(10240, 'b') + "/", "\x81\xFF%%%://::"};
    for (const std::string& address : addresses) {
        UseGallery(address);
        driver::RunResult run = RunSample(ReleaseProgram());
        ASSERT_TRUE(run.completed) << address.substr(0, 40);
        EXPECT_EQ(run.progress, "0 / 0") << address.substr(0, 40);
        EXPECT_EQ(run.boxText, "下载完成");
        ASSERT_EQ(run.log.size(), 1u) << address.substr(0, 40);
        EXPECT_EQ(run.log[0].rfind("无法读取图库页面（", 0), 0u) << driver::GbkToUtf8(run.log[0]);
    }
    // Set but empty is the same as not set: the built-in gallery, whatever the network here makes of it.
    UseGallery("");
    EXPECT_TRUE(RunSample(ReleaseProgram()).completed);
    ClearPictures();
}

}  // namespace
}  // namespace velmora::testing
