#include "addin/win32/ComponentInstance.h"

#include "dialogs/win32/Win32Windows.h"
#include "host/com/ComApplicationClass.h"
#include "platform/win32/Win32Ports.h"

namespace quillet::win32 {

namespace {

/// The platform that the component runs on inside the host's process.
struct Platform {
    explicit Platform(HMODULE module) : windows(module) {}
    Win32MessageBox messages;
    com::ComApplicationClass applicationClass;
    Win32WindowFactory windows;
    Win32WindowService windowService;
};

// Made on first use rather than at load, so that loading the DLL runs no code
// of the component's own. They live as long as the process.
HMODULE module = nullptr;
Platform* platform = nullptr;
Component* component = nullptr;

}  // namespace

Component& theComponent() {
    if (component == nullptr) {
        platform = new Platform(module);
        component = new Component({platform->messages, platform->applicationClass, platform->windows,
                                   platform->windowService});
    }
    return *component;
}

bool componentCanUnload() { return component == nullptr || component->liveObjects().canUnload(); }

void lockComponent(bool lock) {
    LiveObjects& live = theComponent().liveObjects();
    if (lock) {
        live.lock();
    } else {
        live.unlock();
    }
}

HMODULE componentModule() { return module; }

void setComponentModule(HMODULE handle) { module = handle; }

}  // namespace quillet::win32
