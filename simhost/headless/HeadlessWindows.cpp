#include "simhost/headless/HeadlessWindows.h"

namespace quillet::simhost {

namespace {
constexpr WindowHandle kTopmost = -1;
constexpr WindowHandle kNotTopmost = -2;
}  // namespace

HeadlessWindow::HeadlessWindow(HeadlessWindowSystem& system, const FormLayout& layout, WindowEvents& events,
                               WindowHandle handle)
    : system_(system), layout_(layout), events_(events), handle_(handle) {
    for (const ControlSpec& control : layout.controls) {
        if (control.kind == ControlKind::TextBox || control.kind == ControlKind::Label)
            texts_.emplace(control.name, control.caption);
        if (control.kind == ControlKind::CheckBox) checks_.emplace(control.name, 0);
        enabled_.emplace(control.name, true);
    }
    system_.windows_.emplace(handle_, this);
    if (system_.observer_) system_.observer_->formEvent(layout_.name, "created");
}

HeadlessWindow::~HeadlessWindow() {
    if (alive_) destroyed();
}

void HeadlessWindow::destroyed() {
    alive_ = false;
    visible_ = false;
    system_.windows_.erase(handle_);
    if (system_.observer_) system_.observer_->formEvent(layout_.name, "destroyed");
}

void HeadlessWindow::show() {
    if (visible_ || !alive_) return;
    visible_ = true;
    if (system_.observer_) system_.observer_->formEvent(layout_.name, "shown");
}

void HeadlessWindow::hide() {
    if (!visible_) return;
    visible_ = false;
    if (system_.observer_) system_.observer_->formEvent(layout_.name, "hidden");
}

std::u16string HeadlessWindow::text(std::string_view control) const {
    auto found = texts_.find(control);
    return found == texts_.end() ? std::u16string() : found->second;
}

int HeadlessWindow::checkValue(std::string_view control) const {
    auto found = checks_.find(control);
    return found == checks_.end() ? 0 : found->second;
}

bool HeadlessWindow::enabled(std::string_view control) const {
    auto found = enabled_.find(control);
    return found != enabled_.end() && found->second;
}

void HeadlessWindow::setEnabled(std::string_view control, bool enabled) {
    if (auto found = enabled_.find(control); found != enabled_.end()) found->second = enabled;
}

void HeadlessWindow::setText(std::string_view control, const std::u16string& text) {
    auto found = texts_.find(control);
    if (found == texts_.end()) return;
    found->second = text;
    if (wholeTextSelected_ == control) wholeTextSelected_.clear();
    const ControlSpec* entry = layout_.control(control);
    if (entry != nullptr && entry->kind == ControlKind::TextBox) events_.onChange(control);
}

void HeadlessWindow::selectAll(std::string_view control) { wholeTextSelected_ = std::string(control); }

void HeadlessWindow::insertAtCaret(std::string_view control, const std::u16string& text) {
    auto found = texts_.find(control);
    if (found == texts_.end()) return;
    if (wholeTextSelected_ == control) found->second.clear();
    wholeTextSelected_.clear();
    found->second += text;
    events_.onChange(control);
}

std::optional<size_t> HeadlessWindow::chooseFrom(std::string_view, std::span<const std::u16string_view> items) {
    return system_.menus_ ? system_.menus_->choose(items) : std::nullopt;
}

/// While it lives, the user reaches one control of one window and nothing else.
class HeadlessHold : public ModalHold {
public:
    HeadlessHold(HeadlessWindowSystem& system, const HeadlessWindow& window, std::string_view control)
        : system_(system), outerHolder_(system.holder_), outerControl_(system.heldOpen_) {
        system_.holder_ = &window;
        system_.heldOpen_ = std::string(control);
    }
    ~HeadlessHold() override {
        system_.holder_ = outerHolder_;
        system_.heldOpen_ = outerControl_;
    }

private:
    HeadlessWindowSystem& system_;
    const HeadlessWindow* outerHolder_;
    std::string outerControl_;
};

std::unique_ptr<ModalHold> HeadlessWindow::holdModal(std::string_view control) {
    return std::make_unique<HeadlessHold>(system_, *this, control);
}

void HeadlessWindow::pumpMessages() {
    if (system_.pump_) system_.pump_();
}

bool HeadlessWindowSystem::held(const HeadlessWindow& window, std::string_view control) const {
    return holder_ != nullptr && (holder_ != &window || control != heldOpen_);
}

bool HeadlessWindow::userSetText(std::string_view control, std::u16string text) {
    auto found = texts_.find(control);
    const ControlSpec* entry = layout_.control(control);
    if (!visible_ || found == texts_.end() || entry->kind != ControlKind::TextBox || !enabled(control) ||
        system_.held(*this, control))
        return false;
    found->second = std::move(text);
    lastTextBox_ = std::string(control);
    wholeTextSelected_.clear();
    events_.onChange(control);
    return true;
}

bool HeadlessWindow::userSetCheck(std::string_view control, int value) {
    auto found = checks_.find(control);
    if (!visible_ || found == checks_.end() || !enabled(control) || system_.held(*this, control)) return false;
    found->second = value;
    return true;
}

bool HeadlessWindow::userPress(std::string_view control) {
    const ControlSpec* entry = layout_.control(control);
    if (!visible_ || entry == nullptr || entry->kind != ControlKind::Button || !enabled(control) ||
        system_.held(*this, control))
        return false;
    events_.onClick(control);
    return true;
}

void HeadlessWindow::bindList(std::string_view control, const ListRows& rows) {
    if (const ControlSpec* entry = layout_.control(control); entry && entry->kind == ControlKind::List)
        lists_[std::string(control)] = &rows;
}

std::vector<DialogView::ShownRow> HeadlessWindow::rows(std::string_view control) const {
    std::vector<ShownRow> shown;
    const auto list = lists_.find(control);
    const ControlSpec* entry = layout_.control(control);
    if (list == lists_.end() || entry == nullptr) return shown;
    for (size_t row = 0; row < list->second->rowCount(); ++row) {
        ShownRow line;
        for (size_t column = 0; column < entry->columns.size(); ++column) line.cells.push_back(list->second->cell(row, column));
        line.checked = entry->checkBoxes && list->second->checked(row);
        shown.push_back(std::move(line));
    }
    return shown;
}

const ListRows* HeadlessWindow::reachableRow(std::string_view control, size_t row) const {
    const auto list = lists_.find(control);
    if (!visible_ || list == lists_.end() || row >= list->second->rowCount() || !enabled(control) ||
        system_.held(*this, control))
        return nullptr;
    return list->second;
}

bool HeadlessWindow::userPick(std::string_view control, size_t row) {
    if (reachableRow(control, row) == nullptr) return false;
    events_.onPick(control, row);
    return true;
}

bool HeadlessWindow::userCheck(std::string_view control, size_t row, bool checked) {
    const ListRows* rows = reachableRow(control, row);
    if (rows == nullptr || !layout_.control(control)->checkBoxes) return false;
    // A click on a box that already shows what the user wants is no click.
    if (rows->checked(row) != checked) events_.onCheck(control, row, checked);
    return true;
}

bool HeadlessWindow::userEnter() {
    for (const ControlSpec& control : layout_.controls) {
        if (control.isDefault) return userPress(control.name);
    }
    return false;
}

bool HeadlessWindow::userEsc() {
    for (const ControlSpec& control : layout_.controls) {
        if (control.isCancel) return userPress(control.name);
    }
    return false;
}

bool HeadlessWindow::userCloseBox() {
    if (!visible_) return false;
    if (system_.holder_ == this) {
        // As on a real window: the form ends the window once the job that
        // holds it, stopped as its one reachable control stops it, is over.
        const std::string live = system_.heldOpen_;
        events_.onCloseBoxHeld();
        return userPress(live);
    }
    if (system_.held(*this, "")) return false;
    destroyed();
    events_.onDestroyed();
    return true;
}

Result<std::unique_ptr<Window>> HeadlessWindowSystem::create(const FormLayout& layout, WindowEvents& events) {
    return std::unique_ptr<Window>(std::make_unique<HeadlessWindow>(*this, layout, events, nextHandle_++));
}

int32_t HeadlessWindowSystem::SetWindowPos(WindowHandle window, WindowHandle insertAfter, int32_t, int32_t, int32_t,
                                           int32_t, uint32_t) {
    if (faults_.check("window.topmost")) return 0;
    auto found = windows_.find(window);
    if (found == windows_.end()) return 0;
    if (insertAfter == kTopmost) found->second->setTopmost(true);
    if (insertAfter == kNotTopmost) found->second->setTopmost(false);
    return 1;
}

HeadlessWindow* HeadlessWindowSystem::find(std::string_view form) {
    for (const auto& [handle, window] : windows_) {
        if (window->layout().name == form) return window;
    }
    return nullptr;
}

}  // namespace quillet::simhost
