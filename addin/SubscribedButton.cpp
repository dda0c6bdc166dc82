#include "addin/SubscribedButton.h"

namespace quillet {

void SubscribedButton::set(ToolbarButtonRef button) {
    if (button_ && cookie_) (void)button_->unsubscribe(*cookie_);
    cookie_.reset();
    button_ = std::move(button);
    if (!button_) return;
    // A button that refuses the subscription is still held; it just sends no clicks.
    if (auto cookie = button_->subscribe(sink_)) cookie_ = *cookie;
}

}  // namespace quillet
