#include "platform/win32/DispatchNames.h"

namespace quillet::win32 {

HRESULT IdsOfNames(std::span<const NamedMember> members, LPOLESTR* names, UINT count, DISPID* ids) {
    if (!names || !ids || count == 0) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    if (names[0]) {
        for (const NamedMember& member : members) {
            if (CompareStringOrdinal(names[0], -1, member.name, -1, /*bIgnoreCase=*/TRUE) == CSTR_EQUAL) {
                ids[0] = member.id;
                break;
            }
        }
    }
    return ids[0] != DISPID_UNKNOWN && count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

}  // namespace quillet::win32
