#include "simhost/PublicationJson.h"

#include <cstdint>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "simhost/ScenarioError.h"
#include "simhost/Utf8.h"

namespace quillet::simhost {

namespace {

using nlohmann::json;

int32_t readInteger(const json& value, const char* what, int64_t min, int64_t max) {
    if (!value.is_number_integer()) throw ScenarioError(std::string(what) + " must be an integer");
    const auto number = value.get<int64_t>();
    if (number < min || number > max)
        throw ScenarioError(std::string(what) + " must be between " + std::to_string(min) + " and " + std::to_string(max));
    return static_cast<int32_t>(number);
}

std::vector<Frame> readFrames(const json& story, int32_t pages) {
    if (story.contains("frames")) {
        const json& frames = story["frames"];
        if (!frames.is_array() || frames.empty()) throw ScenarioError("a story's frames must be a non-empty array");
        std::vector<Frame> result;
        for (const json& frame : frames) {
            if (!frame.is_object()) throw ScenarioError("a frame must be an object");
            result.push_back(Frame{readInteger(frame.value("page", json(1)), "a frame's page", 0, pages),
                                   readInteger(frame.value("length", json(0)), "a frame's length", 0, INT32_MAX)});
        }
        return result;
    }
    return {Frame{readInteger(story.value("page", json(1)), "a story's page", 0, pages), 0}};
}

StoryModel readStory(const json& story, int32_t pages) {
    if (story.is_string()) return StoryModel{readText(story, "a story"), {Frame{1, 0}}};
    if (!story.is_object() || !story.contains("text")) throw ScenarioError("a story must be a text or an object with a text");
    return StoryModel{readText(story["text"], "a story's text"), readFrames(story, pages)};
}

SelectionModel readSelection(const json& selection, const std::vector<StoryModel>& stories) {
    if (!selection.is_object()) throw ScenarioError("the selection must be an object or null");
    const int32_t story = readInteger(selection.value("story", json()), "the selection's story", 1,
                                      static_cast<int64_t>(stories.size()));
    const auto size = static_cast<int64_t>(stories[story - 1].text.size());
    const int32_t start = readInteger(selection.value("start", json()), "the selection's start", 1, size + 1);
    const int32_t length = readInteger(selection.value("length", json(0)), "the selection's length", 0, size + 1 - start);
    return SelectionModel{story, start, length};
}

}  // namespace

std::u16string readText(const json& text, const char* what) {
    if (!text.is_string()) throw ScenarioError(std::string(what) + " must be a text");
    try {
        return fromUtf8(text.get_ref<const std::string&>());
    } catch (const std::invalid_argument&) {
        throw ScenarioError(std::string(what) + " is not valid UTF-8");
    }
}

PublicationModel readPublication(const json& publication) {
    if (!publication.is_object()) throw ScenarioError("the publication must be an object");
    PublicationModel model;
    const int32_t pages = readInteger(publication.value("pages", json(1)), "pages", 1, 32767);
    model.pageNumbers.clear();
    if (publication.contains("pageNumbers")) {
        const json& numbers = publication["pageNumbers"];
        if (!numbers.is_array() || numbers.size() != static_cast<size_t>(pages))
            throw ScenarioError("pageNumbers must hold one text for each page");
        for (const json& number : numbers) model.pageNumbers.push_back(readText(number, "a page number"));
    } else {
        for (int32_t page = 1; page <= pages; ++page) model.pageNumbers.push_back(fromUtf8(std::to_string(page)));
    }
    const json stories = publication.value("stories", json::array());
    if (!stories.is_array()) throw ScenarioError("stories must be an array");
    for (const json& story : stories) model.stories.push_back(readStory(story, pages));
    if (publication.contains("selection") && !publication["selection"].is_null())
        model.selection = readSelection(publication["selection"], model.stories);
    return model;
}

}  // namespace quillet::simhost
