#pragma once

#include <optional>
#include <string>

#include "engine/HostChain.h"
#include "engine/HostRestorer.h"
#include "platform/MessageBox.h"

namespace quillet {

/// The engine's message boxes. No box may find the host in a state that the
/// user must not be left in, such as drawing nothing, so before each one the
/// host is put back (HostRestorer); and while it is up the user may change
/// the publication, so the host's objects are read afresh after it.
class GuardedMessages : public MessageBoxPort {
public:
    GuardedMessages(MessageBoxPort& boxes, HostChain& host, HostRestorer& restorer)
        : boxes_(boxes), host_(host), restorer_(restorer) {}

    int show(const std::u16string& prompt, int buttons, const std::optional<std::u16string>& title) override {
        restorer_.restore();
        host_.forget();
        return boxes_.show(prompt, buttons, title);
    }

private:
    MessageBoxPort& boxes_;
    HostChain& host_;
    HostRestorer& restorer_;
};

}  // namespace quillet
