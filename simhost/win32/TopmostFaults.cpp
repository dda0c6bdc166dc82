#include "simhost/win32/TopmostFaults.h"

#include <cstring>

namespace quillet::simhost {

namespace {

FaultPlan* plan = nullptr;
decltype(&::SetWindowPos) realSetWindowPos = nullptr;

BOOL WINAPI faultySetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    if (plan != nullptr && plan->check("window.topmost")) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return realSetWindowPos(window, insertAfter, x, y, cx, cy, flags);
}

/// The slot of `module`'s import address table that holds `function` of `dll`.
ULONG_PTR* importSlot(HMODULE module, const char* dll, const char* function) {
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return nullptr;
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
         ++entry) {
        if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), dll) != 0) continue;
        const DWORD namesAt = entry->OriginalFirstThunk ? entry->OriginalFirstThunk : entry->FirstThunk;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + namesAt);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) return &slots->u1.Function;
        }
    }
    return nullptr;
}

}  // namespace

void injectTopmostFaults(HMODULE component, FaultPlan& faults) {
    plan = &faults;
    ULONG_PTR* slot = importSlot(component, "user32.dll", "SetWindowPos");
    if (slot == nullptr || *slot == reinterpret_cast<ULONG_PTR>(&faultySetWindowPos)) return;
    realSetWindowPos = reinterpret_cast<decltype(&::SetWindowPos)>(*slot);
    DWORD protection = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    *slot = reinterpret_cast<ULONG_PTR>(&faultySetWindowPos);
    VirtualProtect(slot, sizeof *slot, protection, &protection);
}

}  // namespace quillet::simhost
