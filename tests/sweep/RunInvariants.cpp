#include "tests/sweep/RunInvariants.h"

#include "engine/EngineTexts.h"
#include "platform/MessageBox.h"
#include "simhost/HostOperations.h"
#include "simhost/Utf8.h"

namespace quillet::testing {

namespace {

using nlohmann::ordered_json;

std::vector<std::u16string> storiesOf(const simhost::PublicationModel& publication) {
    std::vector<std::u16string> texts;
    for (const auto& story : publication.stories) texts.push_back(story.text);
    return texts;
}

std::u16string textOf(const ordered_json& value) { return simhost::fromUtf8(value.get<std::string>()); }

bool isReplaceAll(const simhost::Step& step) {
    const auto* press = std::get_if<simhost::steps::Press>(&step);
    return press != nullptr && press->target.control == "cmdReplaceAll";
}

constexpr char kScreenUpdating[] = "Application.screenUpdating";
constexpr char kEndUndo[] = "Publication.endUndo";

}  // namespace

RunInvariants::RunInvariants(simhost::InMemoryHost& host)
    : host_(host),
      firstScreenUpdating_(host.screenUpdating()),
      stories_(storiesOf(host.publication().model())),
      search_(stories_) {}

void RunInvariants::beforeStep(size_t number, const simhost::Step& step) {
    // What an undo gave back the search tracker has followed already.
    if (storiesFromTheHost_) stories_ = storiesOf(host_.publication().model());
    storiesFromTheHost_ = std::holds_alternative<simhost::steps::Undo>(step);
    checkStoriesMatchTheHost();
    checkTheEnginesMemory();
    checkHostPutRight("between steps");
    step_ = number;
    stepIsReplaceAll_ = isReplaceAll(step);
    selections_ = writes_ = boxes_ = boxesBesidesTheWrapQuestion_ = 0;
    refusalsBeforeStep_ = refusals();
    refusalToldInStep_ = false;

    // What the user changes is no change of the add-in's: the copy follows it
    // as the runner will carry it out.
    search_.beforeStep(step, host_.publication().model().selection, stories_);
    followTheUser(step);
}

void RunInvariants::followTheUser(const simhost::Step& step) {
    const auto count = static_cast<int32_t>(stories_.size());
    if (const auto* open = std::get_if<simhost::steps::Open>(&step)) {
        stories_ = storiesOf(open->publication);
        search_.publicationOpened(stories_);
    }
    if (const auto* edit = std::get_if<simhost::steps::Edit>(&step); edit && edit->story <= count) {
        search_.edited(edit->story, stories_[edit->story - 1], edit->text);
        stories_[edit->story - 1] = edit->text;
    }
    if (const auto* typed = std::get_if<simhost::steps::Type>(&step); typed && typed->story <= count) {
        std::u16string story = stories_[typed->story - 1];
        const size_t offset = std::min(static_cast<size_t>(typed->start - 1), story.size());
        story.replace(offset, std::min(static_cast<size_t>(typed->length), story.size() - offset), typed->text);
        search_.edited(typed->story, stories_[typed->story - 1], story);
        stories_[typed->story - 1] = std::move(story);
    }
    if (const auto* deleted = std::get_if<simhost::steps::DeleteStory>(&step); deleted && deleted->story <= count) {
        stories_.erase(stories_.begin() + (deleted->story - 1));
        search_.storyDeleted(deleted->story);
    }
    if (const auto* inserted = std::get_if<simhost::steps::InsertStory>(&step);
        inserted && inserted->story <= count + 1) {
        stories_.insert(stories_.begin() + (inserted->story - 1), inserted->text);
        search_.storyInserted(inserted->story);
    }
    if (const auto* moved = std::get_if<simhost::steps::Move>(&step);
        moved && moved->story <= count && moved->to <= count) {
        std::u16string story = std::move(stories_[moved->story - 1]);
        stories_.erase(stories_.begin() + (moved->story - 1));
        stories_.insert(stories_.begin() + (moved->to - 1), std::move(story));
        search_.storyMoved(moved->story, moved->to);
    }
    if (storiesFromTheHost_) search_.undone();
}

void RunInvariants::event(const ordered_json& event) {
    const std::string kind = event["ev"];
    if (kind == "select") checkSelection(event);
    if (kind == "write") applyWrite(event);
    if (kind == "msgbox") {
        countBox(event);
        checkHostPutRight("at a box");
    }
    if (kind == "screen" || kind == "undo") followScreenAndUndo(event);
    if (kind == "undo") search_.undoGroup(event["op"] == "begin");
    if (kind == "ignored") search_.stepIgnored();
    if (kind == "end") ended_ = true;
}

void RunInvariants::finish() {
    if (storiesFromTheHost_) stories_ = storiesOf(host_.publication().model());
    checkStoriesMatchTheHost();
    checkTheEnginesMemory();
    checkHostPutRight("at the end");
    if (!ended_) breach("the transcript has no end");
}

void RunInvariants::followScreenAndUndo(const ordered_json& event) {
    const simhost::FaultPlan& faults = host_.faults();
    if (event["ev"] == "screen") {
        if (host_.screenUpdating() != firstScreenUpdating_) {
            if (!screenRefusalsWhenOff_) screenRefusalsWhenOff_ = faults.failuresGiven(kScreenUpdating);
        } else {
            screenRefusalsWhenOff_.reset();
        }
        return;
    }
    if (host_.publication().undoGroupOpen()) {
        if (!endRefusalsWhenOpened_) endRefusalsWhenOpened_ = faults.failuresGiven(kEndUndo);
    } else {
        endRefusalsWhenOpened_.reset();
    }
}

int RunInvariants::refusals() const {
    return host_.faults().failuresGiven(kScreenUpdating) + host_.faults().failuresGiven(kEndUndo);
}

void RunInvariants::checkHostPutRight(const std::string& when) {
    const simhost::FaultPlan& faults = host_.faults();
    if (host_.screenUpdating() != firstScreenUpdating_ &&
        faults.failuresGiven(kScreenUpdating) == screenRefusalsWhenOff_.value_or(0))
        breach("ScreenUpdating is not back to its first value " + when);
    if (host_.publication().undoGroupOpen() && faults.failuresGiven(kEndUndo) == endRefusalsWhenOpened_.value_or(0))
        breach("an undo group is open " + when);
}

void RunInvariants::breach(const std::string& what) {
    // One breach usually brings others; the first few tell the story.
    if (breaches_.size() < 8) breaches_.push_back("step " + std::to_string(step_) + ": " + what);
}

void RunInvariants::checkStoriesMatchTheHost() {
    if (storiesOf(host_.publication().model()) != stories_) breach("a story changed without a write event");
    if (search_.storyCount() != host_.publication().model().stories.size())
        breach("the search tracker lost count of the stories");
    // Go on from what the host holds, so that one unseen change is told once.
    stories_ = storiesOf(host_.publication().model());
}

void RunInvariants::checkTheEnginesMemory() {
    if (!addin_) return;
    if (auto fault = addin_->engineMemoryFault()) breach("the engine's memory breaks its own invariants: " + *fault);
}

std::optional<RunInvariants::Span> RunInvariants::spanOf(const ordered_json& event) {
    const int32_t story = event["story"];
    const int32_t start = event["start"];
    const int32_t length = event["length"];
    if (story < 1 || story > static_cast<int32_t>(stories_.size()) || start < 1 || length < 0 ||
        static_cast<size_t>(start - 1) + static_cast<size_t>(length) > stories_[story - 1].size()) {
        breach("a " + event["ev"].get<std::string>() + " outside story " + std::to_string(story));
        return std::nullopt;
    }
    return Span{stories_[story - 1], static_cast<size_t>(start - 1), static_cast<size_t>(length)};
}

void RunInvariants::checkSelection(const ordered_json& event) {
    count(selections_, kMaxSelectionsPerStep, "selections");
    auto span = spanOf(event);
    if (!span) return;
    if (span->text() != textOf(event["text"])) breach("a selection event shows other text than the story holds there");
    if (auto wrong = search_.select(event["story"], span->story, span->offset, span->length)) breach(*wrong);
}

void RunInvariants::applyWrite(const ordered_json& event) {
    count(writes_, kMaxWritesPerStep, "writes");
    auto span = spanOf(event);
    if (!span) return;
    if (span->text() != textOf(event["old"])) breach("a write event's old text is not what the story held there");
    const std::u16string written = textOf(event["new"]);
    if (auto wrong = search_.write(event["story"], span->story, span->offset, span->length, written))
        breach(*wrong);
    span->story.replace(span->offset, span->length, written);
}

void RunInvariants::countBox(const ordered_json& event) {
    count(boxes_, kMaxBoxesPerStep, "boxes");
    if (!stepIsReplaceAll_ || event["buttons"] == msgbox::kYesNoQuestion) return;
    // The host refused to be put back, and the user is told so once: not
    // the Replace All's own box.
    if (!refusalToldInStep_ && refusals() > refusalsBeforeStep_ &&
        textOf(event["prompt"]).starts_with(u"Run-time error type ")) {
        refusalToldInStep_ = true;
        return;
    }
    if (textOf(event["prompt"]) == texts::kReplaceComplete) {
        if (boxesBesidesTheWrapQuestion_ > 0) breach("\"Replace complete!\" after another box of the same Replace All");
        if (auto wrong = search_.complete(stories_)) breach(*wrong);
    }
    if (++boxesBesidesTheWrapQuestion_ == 2) breach("a Replace All shows more than one box");
}

void RunInvariants::count(int& made, int most, const std::string& what) {
    if (++made != most + 1) return;
    breach("more than " + std::to_string(most) + " " + what);
    stopTheHost();
}

void RunInvariants::stopTheHost() {
    if (stopped_) return;
    stopped_ = true;
    for (const std::string_view operation : simhost::kHostOperations)
        host_.faults().fail(std::string(operation), {hresults::kUnspecified, u"The sweep stopped the host"}, 0, 0);
}

}  // namespace quillet::testing
