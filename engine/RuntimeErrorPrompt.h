#pragma once

#include <string>

#include "base/RaisedError.h"

namespace quillet {

/// "Run-time error type <number> occurred." CR LF <description>: how a failure
/// is told to the user, by the engine's error boxes and for untrapped failures.
inline std::u16string runtimeErrorPrompt(const RaisedError& error) {
    std::u16string prompt = u"Run-time error type ";
    for (const char c : std::to_string(error.number)) prompt.push_back(static_cast<char16_t>(c));
    return prompt + u" occurred.\r\n" + error.description;
}

}  // namespace quillet
