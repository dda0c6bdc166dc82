#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "host/CommandBars.h"

namespace quillet {

/// A reference to a command-bar button that receives the button's Click for
/// as long as it holds it: holding another button ends the subscription to
/// the old one and starts it on the new one.
class SubscribedButton {
public:
    using Handler = std::function<void(const ToolbarButtonRef& ctrl, bool& cancelDefault)>;

    explicit SubscribedButton(Handler onClick) : sink_(std::move(onClick)) {}
    SubscribedButton(const SubscribedButton&) = delete;
    SubscribedButton& operator=(const SubscribedButton&) = delete;
    ~SubscribedButton() { set(nullptr); }

    void set(ToolbarButtonRef button);
    const ToolbarButtonRef& get() const { return button_; }
    explicit operator bool() const { return button_ != nullptr; }

private:
    class Sink : public ButtonClickSink {
    public:
        explicit Sink(Handler onClick) : onClick_(std::move(onClick)) {}
        void Click(const ToolbarButtonRef& ctrl, bool& cancelDefault) override { onClick_(ctrl, cancelDefault); }

    private:
        Handler onClick_;
    };

    Sink sink_;
    ToolbarButtonRef button_;
    std::optional<uint32_t> cookie_;
};

}  // namespace quillet
