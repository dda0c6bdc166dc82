#pragma once

#include <cstdint>
#include <string>

namespace quillet::simhost {

/// What the stand-in host shows of the add-in's work, as it happens. The
/// scenario runner prints these; every method defaults to nothing.
class HostEvents {
public:
    virtual ~HostEvents() = default;
    virtual void viewSet(int32_t /*page*/) {}
    /// A span of `story` from the 1-based `start` became the selection.
    virtual void selected(int32_t /*story*/, int32_t /*start*/, int32_t /*length*/, const std::u16string& /*text*/) {}
    /// Selecting that span was refused: it is not on the displayed page.
    virtual void refused(int32_t /*story*/, int32_t /*start*/, int32_t /*length*/) {}
    virtual void written(int32_t /*story*/, int32_t /*start*/, int32_t /*length*/, const std::u16string& /*oldText*/,
                         const std::u16string& /*newText*/) {}
    virtual void barAdded() {}
    virtual void barDeleted(const std::u16string& /*name*/) {}
    virtual void controlAdded(const std::u16string& /*bar*/) {}
};

}  // namespace quillet::simhost
