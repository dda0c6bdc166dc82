#pragma once

#include <string_view>

namespace quillet::simhost {

/// A stand-in host object with members that only some host versions have.
/// A front that publishes the object by name asks it which of them exist, so
/// that a member that the host does not offer is an unknown name there, as in
/// an older host, and not a member that fails when it is called.
class OfferedMembers {
public:
    /// Whether the object has the member that host operation `operation`
    /// (a "fail" step's name, such as "Page.index") calls.
    virtual bool offers(std::string_view operation) const = 0;

protected:
    ~OfferedMembers() = default;
};

}  // namespace quillet::simhost
