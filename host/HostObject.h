#pragma once

#include "host/HostObjects.h"

namespace quillet {

/// An object that the host hands over, such as the application at connection:
/// it may or may not offer the host's Application interface.
class HostObject {
public:
    virtual ~HostObject() = default;
    virtual Result<ApplicationRef> queryApplication() = 0;
};

}  // namespace quillet
