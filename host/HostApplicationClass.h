#pragma once

#include "host/HostObjects.h"

namespace quillet {

/// Creates a reference to the running host's application object, the way the
/// engine reaches the publication that the user is editing. On Windows this is
/// a class creation through COM; natively the stand-in host hands out its own.
class HostApplicationClass {
public:
    virtual ~HostApplicationClass() = default;
    virtual Result<ApplicationRef> create() = 0;
};

}  // namespace quillet
