#pragma once

// Publications for the benchmarks that run whole presses through the
// in-memory host: stories of English-like words with the find text planted
// at even steps, and the component on a host of them.

#include <optional>
#include <string>

#include "addin/Component.h"
#include "platform/MessageBox.h"
#include "simhost/headless/HeadlessWindows.h"
#include "simhost/memory/InMemoryHost.h"
#include "simhost/memory/PublicationModel.h"

namespace quillet::bench {

inline constexpr char16_t kFind[] = u"lantern";
inline constexpr char16_t kReplacement[] = u"lamp";
inline constexpr int kMatches = 10000;

class SilentMessages : public MessageBoxPort {
public:
    int show(const std::u16string&, int, const std::optional<std::u16string>&) override { return msgbox::kAnswerOk; }
};

/// The component on a new in-memory host of a publication, with headless
/// windows and a silent message box: what a benchmarked press runs in.
class BenchedComponent {
public:
    explicit BenchedComponent(const simhost::PublicationModel& model)
        : host_(model, {}), windows_(host_.faults()), component_({messages_, host_, windows_, windows_}) {}

    simhost::InMemoryHost& host() { return host_; }
    Module1& engine() { return component_.engine(); }

private:
    simhost::InMemoryHost host_;
    SilentMessages messages_;
    simhost::HeadlessWindowSystem windows_;
    Component component_;
};

/// `stories` stories of `storyLength` code units, each with
/// `matchesPerStory` occurrences of kFind spread evenly, on page 1.
simhost::PublicationModel plantedPublication(size_t stories, size_t storyLength, int matchesPerStory);

/// One story of 1 MiB (UTF-16) holding kMatches occurrences.
const simhost::PublicationModel& oneLargeStory();
/// 1,000 stories of 1,024 units, kMatches occurrences in all.
const simhost::PublicationModel& manyStories();

}  // namespace quillet::bench
