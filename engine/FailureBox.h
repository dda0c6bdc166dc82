#pragma once

#include <optional>
#include <string>

#include "base/RaisedError.h"
#include "platform/MessageBox.h"

namespace quillet {

/// Tells `failure` in a box with an OK button: "Run-time error type
/// <number> occurred." CR LF <description>. Without a title it is the box
/// of a failure that ends a replace operation or a user event; the search's
/// own refusals show it under "Error".
inline void showFailureBox(MessageBoxPort& boxes, const RaisedError& failure,
                           const std::optional<std::u16string>& title = std::nullopt) {
    std::u16string prompt = u"Run-time error type ";
    for (const char c : std::to_string(failure.number)) prompt.push_back(static_cast<char16_t>(c));
    boxes.show(prompt + u" occurred.\r\n" + failure.description, msgbox::kOkOnly, title);
}

}  // namespace quillet
