#pragma once

#include <optional>
#include <string>

namespace quillet {

/// Button codes and answers of a modal message box.
namespace msgbox {
inline constexpr int kOkOnly = 0;
inline constexpr int kYesNoQuestion = 36;
inline constexpr int kOkInformation = 64;
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;
}  // namespace msgbox

/// The one way the add-in talks to the user: a modal box with a prompt, a
/// button code and a title. A box given no title shows the component's own
/// title ("Quillet"); that is the realisation's job, not the caller's.
class MessageBoxPort {
public:
    virtual ~MessageBoxPort() = default;
    /// Shows the box and returns the answer code (msgbox::kAnswer...).
    virtual int show(const std::u16string& prompt, int buttons, const std::optional<std::u16string>& title) = 0;
};

}  // namespace quillet
