#include "tests/sweep/SearchTracker.h"

#include <algorithm>
#include <variant>

#include "engine/TextMatcher.h"

namespace quillet::testing {

namespace {

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};

}  // namespace

SearchTracker::Dialog* SearchTracker::dialog(const std::string& form) {
    if (form == "frmFind") return &state_.findDialog;
    if (form == "frmReplace") return &state_.replaceDialog;
    return nullptr;
}

void SearchTracker::searchFor(const std::u16string& findText) {
    if (state_.search == findText) return;
    state_.search = findText;
    state_.written.clear();
}

void SearchTracker::beforeStep(const simhost::Step& step, const std::optional<simhost::SelectionModel>& selection) {
    beforeStep_ = state_;
    state_.press.reset();
    state_.searching.reset();
    auto press = [&](const std::string& form, const std::string& control) {
        Dialog* pressed = dialog(form);
        if (pressed == nullptr || control == "cmdClose") return;
        searchFor(pressed->findText);
        state_.searching = *pressed;
        if (form != "frmReplace" || control == "cmdFind") return;
        state_.press = *pressed;
        state_.replacesAll = control == "cmdReplaceAll";
        state_.pressedOver = selection;
    };
    std::visit(Overloaded{
                   [&](const simhost::steps::SetText& set) {
                       if (Dialog* d = dialog(set.target.form); d && set.target.control == "txtFindWhat")
                           d->findText = set.text;
                   },
                   [&](const simhost::steps::SetCheck& set) {
                       Dialog* d = dialog(set.target.form);
                       if (d && set.target.control == "chkCase") d->matchCase = set.value != 0;
                       if (d && set.target.control == "chkWholeWord") d->wholeWord = set.value != 0;
                   },
                   [&](const simhost::steps::Press& pressed) { press(pressed.target.form, pressed.target.control); },
                   [&](const simhost::steps::Key& key) {
                       if (key.enter) press(key.form, "cmdFind");
                   },
                   [&](const simhost::steps::CloseBox& close) {
                       if (Dialog* d = dialog(close.form)) *d = Dialog{};
                   },
                   [](const auto&) {},
               },
               step);
}

void SearchTracker::storiesChanged(const std::vector<std::u16string>& before,
                                   const std::vector<std::u16string>& after) {
    std::erase_if(state_.written, [&](const auto& entry) {
        const auto index = static_cast<size_t>(entry.first - 1);
        return index >= before.size() || index >= after.size() || before[index] != after[index];
    });
}

std::optional<std::string> SearchTracker::write(int32_t story, const std::u16string& before, size_t start,
                                                size_t length, size_t written) {
    if (!state_.press) return "a write that no Replace or Replace All asked for";
    std::optional<std::string> wrong;
    // One Replace writes only over what the user has selected, and only once.
    if (!state_.replacesAll) {
        const simhost::SelectionModel span{story, static_cast<int32_t>(start + 1), static_cast<int32_t>(length)};
        if (state_.pressedOver != span) wrong = "a Replace that writes where the user had not selected";
        state_.pressedOver.reset();
    }
    if (length != state_.press->findText.size() || !occursAt(before, start, *state_.press))
        wrong = "a write over text that is no occurrence under the options of its press";
    auto& spans = state_.written[story];
    if (touchesWritten(spans, start, length)) wrong = "a write over text that the search wrote itself";
    // The spans after this one move with the text.
    for (Written& span : spans) {
        if (span.start >= start + length) span.start = span.start + written - length;
    }
    spans.push_back({start, written});
    std::sort(spans.begin(), spans.end(), [](const Written& a, const Written& b) { return a.start < b.start; });
    return wrong;
}

std::optional<std::string> SearchTracker::select(int32_t story, const std::u16string& text, size_t start,
                                                 size_t length) const {
    if (!state_.searching) return "a selection that no search made";
    const auto found = state_.written.find(story);
    if (length != state_.searching->findText.size() || !occursAt(text, start, *state_.searching) ||
        (found != state_.written.end() && touchesWritten(found->second, start, length)))
        return "a selection of text that is no occurrence under the options of its press";
    return std::nullopt;
}

std::optional<std::string> SearchTracker::complete(const std::vector<std::u16string>& stories) const {
    if (!state_.press) return std::nullopt;
    for (size_t index = 0; index < stories.size(); ++index) {
        const auto found = state_.written.find(static_cast<int32_t>(index + 1));
        const std::vector<Written> none;
        const auto& spans = found != state_.written.end() ? found->second : none;
        for (size_t at = 0; at < stories[index].size(); ++at) {
            if (occursAt(stories[index], at, *state_.press) &&
                !touchesWritten(spans, at, state_.press->findText.size()))
                return "\"Replace complete!\" with an occurrence left in story " + std::to_string(index + 1);
        }
    }
    return std::nullopt;
}

bool SearchTracker::occursAt(const std::u16string& story, size_t at, const Dialog& press) {
    if (press.findText.empty() || at + press.findText.size() > story.size()) return false;
    TextMatcher matcher;
    matcher.prepare(press.findText, FindOptions{press.matchCase, press.wholeWord});
    return matcher.matchesAt(story.data(), static_cast<int64_t>(story.size()), static_cast<int64_t>(at));
}

bool SearchTracker::touchesWritten(const std::vector<Written>& spans, size_t start, size_t length) {
    // An empty replacement's place may not lie inside an occurrence either.
    return std::any_of(spans.begin(), spans.end(), [&](const Written& span) {
        return span.start < start + length && start < span.start + span.length;
    });
}

}  // namespace quillet::testing
