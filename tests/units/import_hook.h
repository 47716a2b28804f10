// Replaces a function this executable imports from a system DLL, for as long
// as the hook lives: the runtime is linked into the test executable, so its
// calls go through the same import table. Wine has no GetGuiResources; tests
// count GDI objects and window destructions this way instead.
#pragma once
#include <windows.h>
#include <cstring>

namespace velmora::testing {

class ImportHook {
    using Slot = decltype(IMAGE_THUNK_DATA::u1.Function);

public:
    ImportHook(const char* library, const char* function, void* replacement) {
        auto* base = reinterpret_cast<uint8_t*>(GetModuleHandleA(nullptr));
        auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
        auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
             ++entry) {
            if (lstrcmpiA(reinterpret_cast<const char*>(base + entry->Name), library) != 0) continue;
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(
                base + (entry->OriginalFirstThunk ? entry->OriginalFirstThunk : entry->FirstThunk));
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
            for (; names->u1.AddressOfData; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
                auto* byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
                slot_ = &slots->u1.Function;
                original = reinterpret_cast<void*>(*slot_);
                Write(reinterpret_cast<Slot>(replacement));
                return;
            }
        }
    }
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;
    ~ImportHook() {
        if (slot_) Write(reinterpret_cast<Slot>(original));
    }
    bool Installed() const { return slot_ != nullptr; }

    void* original = nullptr;

private:
    void Write(Slot value) {
        DWORD old = 0;
        VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &old);
        *slot_ = value;
        VirtualProtect(slot_, sizeof *slot_, old, &old);
    }
    Slot* slot_ = nullptr;
};

}  // namespace velmora::testing
