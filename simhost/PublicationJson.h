#pragma once

#include <nlohmann/json_fwd.hpp>

#include "simhost/memory/InMemoryPublication.h"

namespace quillet::simhost {

/// The publication of a scenario file: pages, page numbers, stories in their
/// frames, the selection. Throws ScenarioError when it is not valid.
PublicationModel readPublication(const nlohmann::json& publication);

/// A text of a scenario file (UTF-8) as the host holds it (UTF-16).
std::u16string readText(const nlohmann::json& text, const char* what);

}  // namespace quillet::simhost
