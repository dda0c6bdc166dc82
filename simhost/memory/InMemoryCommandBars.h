#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/CommandBars.h"
#include "simhost/memory/HostContext.h"

namespace quillet::simhost {

struct ControlModel {
    std::u16string caption;
    int32_t type = 1;
    int32_t faceId = 0;
    bool visible = true;
    bool enabled = true;

    friend bool operator==(const ControlModel&, const ControlModel&) = default;
};

struct BarModel {
    std::u16string name;
    bool visible = true;
    bool enabled = true;
    std::vector<ControlModel> controls;

    friend bool operator==(const BarModel&, const BarModel&) = default;
};

struct BarState;

/// The host's command bars. They belong to the host and outlive any add-in
/// that attaches to them. Once a bar is deleted, reading or changing it or its
/// controls fails; a control can still be viewed as a button.
class InMemoryCommandBars : public std::enable_shared_from_this<InMemoryCommandBars> {
public:
    InMemoryCommandBars(const std::vector<BarModel>& bars, std::shared_ptr<HostContext> context);
    ~InMemoryCommandBars();

    ToolbarCollectionRef asToolbarCollection();

    /// The bars as they stand now, in the order the host keeps them.
    std::vector<BarModel> bars() const;

    /// Raises Click on the first control captioned `caption` on the first bar
    /// named `bar`; false when there is no such control.
    bool click(const std::u16string& bar, const std::u16string& caption);

private:
    friend class MemToolbarCollection;
    friend class MemToolbar;

    std::vector<std::shared_ptr<BarState>> bars_;
    std::shared_ptr<HostContext> context_;
};

}  // namespace quillet::simhost
