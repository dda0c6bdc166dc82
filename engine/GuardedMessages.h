#pragma once

#include <optional>
#include <string>
#include <utility>

#include "platform/MessageBox.h"

namespace quillet {

/// The engine's message boxes. Before each box, a guard may put the host
/// right: no box may find it in a state that the user must not be left in,
/// such as drawing nothing while a Replace All runs.
class GuardedMessages : public MessageBoxPort {
public:
    /// Told just before each box shows.
    class Guard {
    public:
        virtual void beforeBox() = 0;

    protected:
        ~Guard() = default;
    };

    explicit GuardedMessages(MessageBoxPort& boxes) : boxes_(boxes) {}

    int show(const std::u16string& prompt, int buttons, const std::optional<std::u16string>& title) override {
        if (guard_) guard_->beforeBox();
        return boxes_.show(prompt, buttons, title);
    }

    /// Makes `guard` (not owned; null: none) the one told before each box;
    /// returns the one that was told until now.
    Guard* guardWith(Guard* guard) { return std::exchange(guard_, guard); }

private:
    MessageBoxPort& boxes_;
    Guard* guard_ = nullptr;
};

}  // namespace quillet
