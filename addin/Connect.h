#pragma once

#include <cstdint>

#include "addin/Component.h"
#include "addin/SubscribedButton.h"
#include "host/CommandBars.h"
#include "host/HostObject.h"

namespace quillet {

/// The add-in object that the host creates and connects. On connection it
/// keeps the host application and finds or builds the command bar "Tarnwick
/// Find/Replace", whose "Find" and "Replace" buttons open the two dialogs; a
/// disconnection by the user deletes the bar. It passes nothing to the host:
/// no failure, no exception.
class Connect {
public:
    explicit Connect(Component& component);
    Connect(const Connect&) = delete;
    Connect& operator=(const Connect&) = delete;

    /// The host application; empty until a connection gets it.
    ApplicationRef pubApp;
    /// The "Find" and "Replace" buttons; holding one subscribes to its Click.
    SubscribedButton cbbFind;
    SubscribedButton cbbReplace;

    /// Attaches to the host's bar and its buttons, or builds the bar when the
    /// host has none. Failures while attaching are passed over; a failure
    /// while building is told in a box.
    void AddToolbar();

    void AddinInstance_OnConnection(HostObject& Application, int32_t ConnectMode);
    void AddinInstance_OnDisconnection(int32_t RemoveMode);

    void cbbFind_Click(const ToolbarButtonRef& Ctrl, bool& CancelDefault);
    void cbbReplace_Click(const ToolbarButtonRef& Ctrl, bool& CancelDefault);

private:
    Result<ToolbarRef> findToolbar();
    Result<ToolbarButtonRef> findButton(const std::u16string& caption);
    Status buildToolbar();
    /// Appends a plain button to the bar, holds it in `member`, and sets it up.
    Status addButton(SubscribedButton& member, const std::u16string& caption, int32_t faceId);

    Component& component_;
    LiveObjects::Token liveObject_;
    ToolbarRef cbToolbar_;
};

}  // namespace quillet
