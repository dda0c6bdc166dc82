#pragma once

#include "platform/LiveObjects.h"
#include "platform/MessageBox.h"
#include "platform/Window.h"

namespace quillet {

class Module1;
class FormInstances;

/// What every dialog needs from the component around it.
struct FormContext {
    Module1& engine;
    WindowFactory& windows;
    WindowService& windowService;
    MessageBoxPort& messages;
    LiveObjects& liveObjects;
    FormInstances& instances;
};

}  // namespace quillet
