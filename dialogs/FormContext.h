#pragma once

#include <chrono>
#include <functional>

#include "platform/LiveObjects.h"
#include "platform/MessageBox.h"
#include "platform/Window.h"

namespace quillet {

class Module1;
class FormInstances;

/// What every dialog needs from the component around it.
struct FormContext {
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    Module1& engine;
    WindowFactory& windows;
    WindowService& windowService;
    MessageBoxPort& messages;
    LiveObjects& liveObjects;
    FormInstances& instances;
    /// How long a Replace All has run is told by this clock.
    Clock clock = std::chrono::steady_clock::now;
};

}  // namespace quillet
