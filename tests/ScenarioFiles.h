#pragma once

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

namespace quillet::testing {

/// The names of the scenario files (NAME.json) in `folder`, in order.
inline std::vector<std::string> scenarioNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() == ".json") names.push_back(entry.path().stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

/// A scenario's name as a test's name, which allows letters, digits and '_' only.
inline std::string testNameOf(std::string scenario) {
    for (char& c : scenario) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return scenario;
}

}  // namespace quillet::testing
