#pragma once

#include "host/HostApplicationClass.h"

namespace quillet::com {

/// The running host's application, through the class that the host registers.
class ComApplicationClass : public HostApplicationClass {
public:
    Result<ApplicationRef> create() override;
};

}  // namespace quillet::com
