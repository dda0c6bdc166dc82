#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

#include "host/com/LateBinding.h"
#include "platform/win32/ComPtr.h"
#include "simhost/RunnerSite.h"
#include "simhost/com/AddinLoader.h"
#include "simhost/com/ComHost.h"
#include "simhost/win32/HostWindow.h"
#include "simhost/win32/MenuAnswers.h"
#include "simhost/win32/MessageBoxAnswers.h"
#include "simhost/win32/ScreenCapture.h"
#include "simhost/win32/TopmostFaults.h"
#include "simhost/win32/Win32Dialogs.h"

namespace quillet::simhost {

namespace {

using win32::ComPtr;

/// The add-in as a registered COM server: the host creates the first entry
/// of its add-ins key that it loads at startup, by its ProgID, and talks to it
/// through the add-in connection interface.
class ComAddinSite : public AddinSite {
public:
    explicit ComAddinSite(InMemoryHost& host) : host_(host) {}
    ~ComAddinSite() override {
        // The host shuts down: it disconnects its add-in and lets go of it.
        if (addin_) addin_.disconnect(ext_dm_HostShutdown);
    }

    void connect(bool foreign, int32_t connectMode) override {
        if (!created()) return;
        ComPtr<IDispatch> application;
        if (foreign) {
            com::createForeignHostObject(application.out());
        } else {
            com::createConnectingApplication(host_.applicationObject(), host_.application(), application.out());
        }
        addin_.connect(application.get(), static_cast<ext_ConnectMode>(connectMode));
    }

    bool disconnect(int32_t removeMode) override {
        if (!addin_) return false;
        addin_.disconnect(static_cast<ext_DisconnectMode>(removeMode));
        addin_.release();
        return true;
    }

    void callAddToolbar() override {
        if (auto object = addinObject()) (void)quillet::com::invoke(object.get(), L"AddToolbar", quillet::com::Call::Method);
    }

    AddinMembers members() override {
        auto object = addin_ ? addinObject() : ComPtr<IDispatch>();
        if (!object) return {};
        // Read by name, as a client that knows only the add-in's registration would.
        const auto holds = [&](const wchar_t* member) {
            auto value = quillet::com::invoke(object.get(), member, quillet::com::Call::Get);
            return value && V_VT(&value->get()) == VT_DISPATCH && V_DISPATCH(&value->get()) != nullptr;
        };
        return {holds(L"pubApp"), holds(L"cbbFind"), holds(L"cbbReplace")};
    }

    bool canUnload() override {
        HMODULE component = GetModuleHandleW(L"Quillet.dll");
        if (component == nullptr) return true;
        auto canUnloadNow =
            reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(component, "DllCanUnloadNow")));
        return canUnloadNow != nullptr && canUnloadNow() == S_OK;
    }

    bool seesEngine() const override { return false; }
    const SearchState* searchState() override { return nullptr; }
    const SearchBuffer* searchBuffer() override { return nullptr; }

private:
    /// The add-in object, created when the host has none; false when no add-in is registered.
    bool created() {
        if (addin_) return true;
        for (const std::wstring& progId : com::startupAddins()) {
            if (FAILED(com::ComAddin::create(progId, &addin_))) continue;
            if (HMODULE component = GetModuleHandleW(L"Quillet.dll")) injectTopmostFaults(component, host_.faults());
            return true;
        }
        return false;
    }

    /// The add-in object as its IDispatch, created when the host has none.
    ComPtr<IDispatch> addinObject() {
        if (!created()) return {};
        ComPtr<IDispatch> object;
        addin_.get()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(object.out()));
        return object;
    }

    InMemoryHost& host_;
    com::ComAddin addin_;
};

class ComSite : public RunnerSite {
public:
    ComSite(SiteParts parts, const ComSiteOptions& options)
        : host_(parts.host),
          dialogs_(parts.windowObserver),
          window_(parts.host, options.documentName, options.interactive),
          runnerEvents_(parts.host.listener()),
          events_(runnerEvents_, window_),
          addin_(parts.host) {
        // A user answers their own message boxes and menus.
        if (!options.interactive) {
            answers_.emplace(parts.messages);
            menuAnswers_.emplace(parts.menus);
        }
        host_.listen(events_);
        com::offerMembers(parts.host.capabilities());
        com::registerApplicationClass(parts.host, &applicationClass_);
    }
    ~ComSite() override {
        host_.listen(runnerEvents_);
        CoRevokeClassObject(applicationClass_);
    }

    AddinSite& addin() override { return addin_; }
    DialogFinder& dialogs() override { return dialogs_; }

    bool screenshot(const std::string& path) override {
        window_.refresh();
        paintThreadWindows();
        return saveScreen(std::filesystem::path(std::u8string(path.begin(), path.end())));
    }

    void interact() override { window_.runUntilClosed(); }

private:
    InMemoryHost& host_;
    Win32Dialogs dialogs_;
    std::optional<MessageBoxAnswers> answers_;
    std::optional<MenuAnswers> menuAnswers_;
    HostWindow window_;
    HostEvents& runnerEvents_;
    HostEventsFanOut events_;
    // Last, so that it goes first: the host disconnects its add-in while its
    // windows and its answers to message boxes are still there.
    ComAddinSite addin_;
    DWORD applicationClass_ = 0;
};

}  // namespace

std::unique_ptr<RunnerSite> makeComSite(SiteParts parts, const ComSiteOptions& options) {
    return std::make_unique<ComSite>(parts, options);
}

}  // namespace quillet::simhost
