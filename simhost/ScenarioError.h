#pragma once

#include <stdexcept>
#include <string>

namespace quillet::simhost {

/// A scenario file that is not valid; the message is the one-line reason.
class ScenarioError : public std::runtime_error {
public:
    explicit ScenarioError(const std::string& reason) : std::runtime_error(reason) {}
};

}  // namespace quillet::simhost
