#pragma once

#include <cstddef>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillet::simhost {

/// The user's choices in the menus that the dialogs show, in order, by the
/// items' names, as a scenario's "choose" steps give them: each menu takes
/// the next one. A menu that finds none waiting, or a name that it does not
/// offer, is closed without a choice.
class MenuChoices {
public:
    void add(std::u16string item) { waiting_.push_back(std::move(item)); }

    std::optional<size_t> choose(std::span<const std::u16string_view> items) {
        lastMenu_.assign(items.begin(), items.end());
        if (waiting_.empty()) return std::nullopt;
        const std::u16string wanted = std::move(waiting_.front());
        waiting_.pop_front();
        for (size_t i = 0; i < items.size(); ++i) {
            if (items[i] == wanted) return i;
        }
        return std::nullopt;
    }

    /// The items of the latest menu, in the order it showed them.
    const std::vector<std::u16string>& lastMenu() const { return lastMenu_; }

private:
    std::deque<std::u16string> waiting_;
    std::vector<std::u16string> lastMenu_;
};

}  // namespace quillet::simhost
