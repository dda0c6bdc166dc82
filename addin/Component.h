#pragma once

#include "addin/ConnectedApplication.h"
#include "dialogs/FormInstances.h"
#include "engine/Module1.h"
#include "host/HostApplicationClass.h"
#include "platform/LiveObjects.h"
#include "platform/MessageBox.h"
#include "platform/Window.h"

namespace quillet {

/// What the component needs from the platform it is loaded into.
struct ComponentPorts {
    MessageBoxPort& messages;
    HostApplicationClass& applicationClass;
    WindowFactory& windows;
    WindowService& windowService;
};

/// The loaded component's module-level state: the engine with its search
/// state, the dialog instances and the count of live objects. It lives as long
/// as the component is loaded and is never reset.
class Component {
public:
    explicit Component(ComponentPorts ports)
        : messages_(ports.messages),
          hostApplication_(ports.applicationClass),
          engine_({ports.messages, hostApplication_, forms_}),
          forms_(engine_, ports.windows, ports.windowService, ports.messages, liveObjects_) {}

    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    Module1& engine() { return engine_; }
    FormInstances& forms() { return forms_; }
    LiveObjects& liveObjects() { return liveObjects_; }
    MessageBoxPort& messages() { return messages_; }
    /// The engine's way to the host application.
    ConnectedApplication& hostApplication() { return hostApplication_; }

private:
    MessageBoxPort& messages_;
    ConnectedApplication hostApplication_;
    LiveObjects liveObjects_;
    // The engine holds a reference to forms_, made after it, for the search
    // buffer; the forms go first, and let go of their lists in the engine.
    Module1 engine_;
    FormInstances forms_;
};

}  // namespace quillet
