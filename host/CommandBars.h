#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "host/HostObjects.h"

namespace quillet {

// The host's command bars as the add-in uses them, in the same style as the
// publication objects: counted references, statuses instead of exceptions.
// Booleans are plain bool here; the COM bridge turns them into -1 and 0.

class Toolbar;
class ToolbarControls;
class ToolbarControl;
class ToolbarButton;

using ToolbarRef = std::shared_ptr<Toolbar>;
using ToolbarControlsRef = std::shared_ptr<ToolbarControls>;
using ToolbarControlRef = std::shared_ptr<ToolbarControl>;
using ToolbarButtonRef = std::shared_ptr<ToolbarButton>;

class ToolbarCollection {
public:
    virtual ~ToolbarCollection() = default;
    /// The bar with this name; fails when there is none.
    virtual Result<ToolbarRef> item(const std::u16string& name) = 0;
    /// Adds a bar with the host's defaults for everything.
    virtual Result<ToolbarRef> add() = 0;
};

class Toolbar {
public:
    virtual ~Toolbar() = default;
    virtual Result<ToolbarControlsRef> controls() = 0;
    virtual Status remove() = 0;
    virtual Status setEnabled(bool enabled) = 0;
    virtual Status setName(const std::u16string& name) = 0;
    virtual Status setVisible(bool visible) = 0;
};

class ToolbarControls {
public:
    virtual ~ToolbarControls() = default;
    /// Appends a control of `type` (1: a plain button) with the host's defaults otherwise.
    virtual Result<ToolbarControlRef> add(int32_t type) = 0;
    /// The control with this caption; fails when there is none.
    virtual Result<ToolbarControlRef> item(const std::u16string& caption) = 0;
};

class ToolbarControl {
public:
    virtual ~ToolbarControl() = default;
    virtual Status setCaption(const std::u16string& caption) = 0;
    virtual Status setEnabled(bool enabled) = 0;
    virtual Status setVisible(bool visible) = 0;
    /// The same control seen as a button; fails when it is not one.
    virtual Result<ToolbarButtonRef> asButton() = 0;
};

/// Receives a button's Click events.
class ButtonClickSink {
public:
    virtual ~ButtonClickSink() = default;
    virtual void Click(const ToolbarButtonRef& ctrl, bool& cancelDefault) = 0;
};

/// A plain button: a control that also has an icon and raises Click.
class ToolbarButton : public ToolbarControl {
public:
    virtual Status setIcon(int32_t faceId) = 0;
    /// Starts delivering Click to `sink` until unsubscribe() with the returned cookie.
    /// The button does not own the sink.
    virtual Result<uint32_t> subscribe(ButtonClickSink& sink) = 0;
    virtual Status unsubscribe(uint32_t cookie) = 0;
};

}  // namespace quillet
