#include "simhost/memory/InMemoryCommandBars.h"

#include <algorithm>
#include <map>

namespace quillet::simhost {

namespace {

RaisedError invalidArgument() { return {hresults::kInvalidArgument, u"The parameter is incorrect."}; }
RaisedError deletedObject() { return {hresults::kUnspecified, u"Unspecified error"}; }
RaisedError noInterface() { return {-2147467262, u"No such interface supported"}; }

constexpr int32_t kButtonType = 1;

}  // namespace

struct ControlState {
    ControlModel model;
    std::map<uint32_t, ButtonClickSink*> sinks;
    uint32_t nextCookie = 1;
};

struct BarState {
    BarModel fields;  // its controls live in `controls`, not in fields.controls
    std::vector<std::shared_ptr<ControlState>> controls;
    bool deleted = false;
};

/// A control; only a plain button may be viewed as a ToolbarButton, as in the host.
class MemControl : public ToolbarButton, public std::enable_shared_from_this<MemControl> {
public:
    MemControl(std::shared_ptr<ControlState> state, std::shared_ptr<BarState> bar, std::shared_ptr<HostContext> context)
        : state_(std::move(state)), bar_(std::move(bar)), context_(std::move(context)) {}

    Status setCaption(const std::u16string& caption) override {
        return update("ToolbarControl.setCaption", [&] { state_->model.caption = caption; });
    }
    Status setEnabled(bool enabled) override {
        return update("ToolbarControl.setEnabled", [&] { state_->model.enabled = enabled; });
    }
    Status setVisible(bool visible) override {
        return update("ToolbarControl.setVisible", [&] { state_->model.visible = visible; });
    }

    Result<ToolbarButtonRef> asButton() override {
        if (auto gate = context_->gate("ToolbarButton.query"); !gate) return gate.error();
        if (state_->model.type != kButtonType) return noInterface();
        return ToolbarButtonRef(shared_from_this());
    }

    Status setIcon(int32_t faceId) override {
        return update("ToolbarButton.setIcon", [&] { state_->model.faceId = faceId; });
    }

    Result<uint32_t> subscribe(ButtonClickSink& sink) override {
        const uint32_t cookie = state_->nextCookie++;
        state_->sinks.emplace(cookie, &sink);
        return cookie;
    }

    Status unsubscribe(uint32_t cookie) override {
        if (state_->sinks.erase(cookie) == 0) return invalidArgument();
        return {};
    }

private:
    template <typename Change>
    Status update(const char* operation, Change change) {
        if (auto gate = context_->gate(operation); !gate) return gate;
        if (bar_->deleted) return deletedObject();
        change();
        return {};
    }

    std::shared_ptr<ControlState> state_;
    std::shared_ptr<BarState> bar_;
    std::shared_ptr<HostContext> context_;
};

class MemToolbarControls : public ToolbarControls {
public:
    MemToolbarControls(std::shared_ptr<BarState> bar, std::shared_ptr<HostContext> context)
        : bar_(std::move(bar)), context_(std::move(context)) {}

    Result<ToolbarControlRef> add(int32_t type) override {
        if (auto gate = context_->gate("ToolbarControls.add"); !gate) return gate.error();
        if (bar_->deleted) return deletedObject();
        auto control = std::make_shared<ControlState>();
        control->model = ControlModel{u"Custom", type, 0, true, true};
        bar_->controls.push_back(control);
        context_->events->controlAdded(bar_->fields.name);
        return std::make_shared<MemControl>(control, bar_, context_);
    }

    Result<ToolbarControlRef> item(const std::u16string& caption) override {
        if (auto gate = context_->gate("ToolbarControls.item"); !gate) return gate.error();
        if (bar_->deleted) return deletedObject();
        auto found = std::find_if(bar_->controls.begin(), bar_->controls.end(),
                                  [&](const auto& control) { return control->model.caption == caption; });
        if (found == bar_->controls.end()) return invalidArgument();
        return std::make_shared<MemControl>(*found, bar_, context_);
    }

private:
    std::shared_ptr<BarState> bar_;
    std::shared_ptr<HostContext> context_;
};

class MemToolbar : public Toolbar {
public:
    MemToolbar(std::shared_ptr<BarState> bar, std::shared_ptr<InMemoryCommandBars> owner)
        : bar_(std::move(bar)), owner_(std::move(owner)) {}

    Result<ToolbarControlsRef> controls() override {
        if (auto gate = context().gate("Toolbar.controls"); !gate) return gate.error();
        if (bar_->deleted) return deletedObject();
        return std::make_shared<MemToolbarControls>(bar_, owner_->context_);
    }

    Status remove() override {
        if (auto gate = context().gate("Toolbar.delete"); !gate) return gate;
        if (bar_->deleted) return deletedObject();
        auto& bars = owner_->bars_;
        bars.erase(std::find(bars.begin(), bars.end(), bar_));
        bar_->deleted = true;
        context().events->barDeleted(bar_->fields.name);
        return {};
    }

    Status setEnabled(bool enabled) override {
        return update("Toolbar.setEnabled", [&] { bar_->fields.enabled = enabled; });
    }
    Status setName(const std::u16string& name) override {
        return update("Toolbar.setName", [&] { bar_->fields.name = name; });
    }
    Status setVisible(bool visible) override {
        return update("Toolbar.setVisible", [&] { bar_->fields.visible = visible; });
    }

private:
    HostContext& context() { return *owner_->context_; }

    template <typename Change>
    Status update(const char* operation, Change change) {
        if (auto gate = context().gate(operation); !gate) return gate;
        if (bar_->deleted) return deletedObject();
        change();
        return {};
    }

    std::shared_ptr<BarState> bar_;
    std::shared_ptr<InMemoryCommandBars> owner_;
};

class MemToolbarCollection : public ToolbarCollection {
public:
    explicit MemToolbarCollection(std::shared_ptr<InMemoryCommandBars> owner) : owner_(std::move(owner)) {}

    Result<ToolbarRef> item(const std::u16string& name) override {
        if (auto gate = owner_->context_->gate("ToolbarCollection.item"); !gate) return gate.error();
        auto& bars = owner_->bars_;
        auto found = std::find_if(bars.begin(), bars.end(), [&](const auto& bar) { return bar->fields.name == name; });
        if (found == bars.end()) return invalidArgument();
        return std::make_shared<MemToolbar>(*found, owner_);
    }

    Result<ToolbarRef> add() override {
        if (auto gate = owner_->context_->gate("ToolbarCollection.add"); !gate) return gate.error();
        auto bar = std::make_shared<BarState>();
        // The host's defaults for a new bar: a numbered name, not yet visible.
        bar->fields = BarModel{u"Custom " + toU16(owner_->bars_.size() + 1), false, true, {}};
        owner_->bars_.push_back(bar);
        owner_->context_->events->barAdded();
        return std::make_shared<MemToolbar>(bar, owner_);
    }

private:
    static std::u16string toU16(size_t number) {
        std::u16string digits;
        for (const char c : std::to_string(number)) digits.push_back(static_cast<char16_t>(c));
        return digits;
    }

    std::shared_ptr<InMemoryCommandBars> owner_;
};

InMemoryCommandBars::InMemoryCommandBars(const std::vector<BarModel>& bars, std::shared_ptr<HostContext> context)
    : context_(std::move(context)) {
    for (const BarModel& model : bars) {
        auto bar = std::make_shared<BarState>();
        bar->fields = BarModel{model.name, model.visible, model.enabled, {}};
        for (const ControlModel& control : model.controls)
            bar->controls.push_back(std::make_shared<ControlState>(ControlState{control, {}, 1}));
        bars_.push_back(bar);
    }
}

InMemoryCommandBars::~InMemoryCommandBars() = default;

ToolbarCollectionRef InMemoryCommandBars::asToolbarCollection() {
    return std::make_shared<MemToolbarCollection>(shared_from_this());
}

std::vector<BarModel> InMemoryCommandBars::bars() const {
    std::vector<BarModel> result;
    for (const auto& bar : bars_) {
        BarModel model = bar->fields;
        for (const auto& control : bar->controls) model.controls.push_back(control->model);
        result.push_back(std::move(model));
    }
    return result;
}

bool InMemoryCommandBars::click(const std::u16string& bar, const std::u16string& caption) {
    auto foundBar = std::find_if(bars_.begin(), bars_.end(), [&](const auto& b) { return b->fields.name == bar; });
    if (foundBar == bars_.end()) return false;
    auto& controls = (*foundBar)->controls;
    auto found = std::find_if(controls.begin(), controls.end(), [&](const auto& c) { return c->model.caption == caption; });
    if (found == controls.end()) return false;
    auto button = std::make_shared<MemControl>(*found, *foundBar, context_);
    // A handler may subscribe or unsubscribe while the event is delivered.
    const auto sinks = (*found)->sinks;
    for (const auto& [cookie, sink] : sinks) {
        bool cancelDefault = false;
        sink->Click(button, cancelDefault);
    }
    return true;
}

}  // namespace quillet::simhost
