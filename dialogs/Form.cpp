#include "dialogs/Form.h"

#include "dialogs/EventEntry.h"
#include "dialogs/FormInstances.h"

namespace quillet {

Status Form::createWindow(const FormLayout& layout) {
    auto window = context_.windows.create(layout, *this);
    if (!window) return window.error();
    window_ = std::move(*window);
    return {};
}

template <typename Handler>
void Form::handle(Handler&& handler) {
    ++handlersRunning_;
    runEventHandler(context_.messages, std::forward<Handler>(handler));
    if (--handlersRunning_ == 0 && windowDestroyed_) context_.instances.windowDestroyed(*this);
}

void Form::onClick(std::string_view control) {
    handle([&] { return click(control); });
}

void Form::onChange(std::string_view control) {
    handle([&] { return change(control); });
}

void Form::onDestroyed() {
    windowDestroyed_ = true;
    // Deletes this form; nothing of it may be touched after the call.
    if (handlersRunning_ == 0) context_.instances.windowDestroyed(*this);
}

}  // namespace quillet
