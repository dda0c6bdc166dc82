#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/ComPtr.h"

// _IDTExtensibility2 and its modes, as widl made them from AddInDesigner.idl.
#include "AddInDesigner.h"

namespace quillet::simhost::com {

/// The host's side of add-in registration: where it finds its add-ins, and
/// how it creates, connects and disconnects one.

/// Where the host finds its add-ins, under HKEY_CURRENT_USER: one subkey per ProgID.
inline constexpr wchar_t kAddinsKey[] = L"Software\\Microsoft\\Office\\Publisher\\Addins";
/// The LoadBehavior of an add-in that the host loads and connects at startup.
inline constexpr DWORD kLoadAtStartup = 3;

struct AddinEntry {
    std::wstring progId;
    /// The entry's LoadBehavior; 0 when it has none, or not as a DWORD.
    DWORD loadBehavior = 0;
};

/// Every add-in entry under HKEY_CURRENT_USER\<kAddinsKey>, in the registry's
/// order; none when the key does not exist.
std::vector<AddinEntry> registeredAddins();

/// The ProgIDs of the entries with LoadBehavior 3, the add-ins that the host
/// creates and connects when it starts.
std::vector<std::wstring> startupAddins();

/// An add-in object that the host created, held through its connection
/// interface until release() (or destruction).
class ComAddin {
public:
    ComAddin() = default;
    explicit ComAddin(win32::ComPtr<_IDTExtensibility2> object) : object_(std::move(object)) {}

    /// Creates the add-in whose class `progId` names, in process, asking for
    /// _IDTExtensibility2 {B65AD801-ABAF-11D0-BB8B-00A0C90F2744}. As on
    /// Windows, a class registered for the current user wins over one
    /// registered for the machine. `addin` is left empty on failure.
    static HRESULT create(const std::wstring& progId, ComAddin* addin);

    /// OnConnection(application, mode, AddInInst = NULL, custom = an empty
    /// array of VARIANTs), through the vtable or through Invoke as the run's
    /// dialect says; the add-in's HRESULT. E_UNEXPECTED when empty.
    HRESULT connect(IDispatch* application, ext_ConnectMode mode);
    /// OnDisconnection(mode, custom = an empty array of VARIANTs), the same
    /// way; the add-in's HRESULT. E_UNEXPECTED when empty.
    HRESULT disconnect(ext_DisconnectMode mode);

    /// Drops the host's reference: the add-in's component may unload after this.
    void release() { object_ = {}; }

    _IDTExtensibility2* get() const { return object_.get(); }
    explicit operator bool() const { return static_cast<bool>(object_); }

private:
    win32::ComPtr<_IDTExtensibility2> object_;
};

/// An object for connecting an add-in with something that is not the host's
/// application: IDispatch without members, and E_NOINTERFACE for Application
/// and everything else.
HRESULT createForeignHostObject(IDispatch** object);

}  // namespace quillet::simhost::com
