#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Window.h"
#include "simhost/DialogView.h"
#include "simhost/MenuChoices.h"
#include "simhost/memory/FaultPlan.h"

namespace quillet::simhost {

class HeadlessWindowSystem;

/// A dialog window without a screen: it keeps every control's state, and
/// takes the user's actions the way a real window would.
class HeadlessWindow : public Window, public DialogView {
public:
    HeadlessWindow(HeadlessWindowSystem& system, const FormLayout& layout, WindowEvents& events, WindowHandle handle);
    ~HeadlessWindow() override;

    WindowHandle handle() const override { return handle_; }
    void show() override;
    void hide() override;
    bool visible() const override { return visible_; }
    std::u16string text(std::string_view control) const override;
    int checkValue(std::string_view control) const override;
    bool enabled(std::string_view control) const override;
    void setEnabled(std::string_view control, bool enabled) override;
    void setText(std::string_view control, const std::u16string& text) override;
    void selectAll(std::string_view control) override;
    std::string lastTextBox() const override { return lastTextBox_; }
    void insertAtCaret(std::string_view control, const std::u16string& text) override;
    std::optional<size_t> chooseFrom(std::string_view control, std::span<const std::u16string_view> items) override;
    std::unique_ptr<ModalHold> holdModal(std::string_view control) override;
    void pumpMessages() override;
    void bindList(std::string_view control, const ListRows& rows) override;
    void listChanged(std::string_view, bool) override {}

    const FormLayout& layout() const override { return layout_; }
    bool topmost() const override { return topmost_; }
    void setTopmost(bool topmost) { topmost_ = topmost; }

    bool userSetText(std::string_view control, std::u16string text) override;
    bool userSetCheck(std::string_view control, int value) override;
    bool userPress(std::string_view control) override;
    bool userEnter() override;
    bool userEsc() override;
    std::vector<ShownRow> rows(std::string_view control) const override;
    bool userPick(std::string_view control, size_t row) override;
    bool userCheck(std::string_view control, size_t row, bool checked) override;
    /// The object itself may be deleted during the call. Under a modal hold
    /// on this window, it presses the control that the hold leaves, as Esc
    /// does, and the form ends the window once the job that holds it is over.
    bool userCloseBox() override;

private:
    /// The rows of a list whose row `row` the user can reach now: the
    /// window shown, the list enabled and not held off, the row there.
    const ListRows* reachableRow(std::string_view control, size_t row) const;
    /// Ends the window's life as the window system sees it.
    void destroyed();

    HeadlessWindowSystem& system_;
    const FormLayout& layout_;
    WindowEvents& events_;
    WindowHandle handle_;
    bool visible_ = false;
    bool topmost_ = false;
    bool alive_ = true;
    std::map<std::string, std::u16string, std::less<>> texts_;
    std::map<std::string, int, std::less<>> checks_;
    std::map<std::string, bool, std::less<>> enabled_;
    /// Each list's rows, which its dialog holds.
    std::map<std::string, const ListRows*, std::less<>> lists_;
    /// The text box that the user last typed into, and the one whose whole
    /// text is selected, if any; elsewhere the caret stands at the end.
    std::string lastTextBox_;
    std::string wholeTextSelected_;
};

/// The stand-in host's window system: it makes the dialogs' windows and
/// serves SetWindowPos, which fails as the fault plan says ("window.topmost").
class HeadlessWindowSystem : public WindowFactory, public WindowService, public DialogFinder {
public:
    explicit HeadlessWindowSystem(FaultPlan& faults, MenuChoices* menus = nullptr) : faults_(faults), menus_(menus) {}

    Result<std::unique_ptr<Window>> create(const FormLayout& layout, WindowEvents& events) override;
    int32_t SetWindowPos(WindowHandle window, WindowHandle insertAfter, int32_t x, int32_t y, int32_t cx, int32_t cy,
                         uint32_t flags) override;

    HeadlessWindow* find(std::string_view form) override;
    void observe(WindowObserver& observer) { observer_ = &observer; }
    /// Called when a window lets the window system deliver what waits: what
    /// a user does meanwhile, for tests.
    void onPump(std::function<void()> pump) { pump_ = std::move(pump); }
    /// Whether a modal hold keeps the user from `control` of `window`.
    bool held(const HeadlessWindow& window, std::string_view control) const;

private:
    friend class HeadlessWindow;
    friend class HeadlessHold;

    FaultPlan& faults_;
    MenuChoices* menus_;
    std::function<void()> pump_;
    /// The one control that a modal hold leaves reachable.
    const HeadlessWindow* holder_ = nullptr;
    std::string heldOpen_;
    WindowObserver* observer_ = nullptr;
    std::map<WindowHandle, HeadlessWindow*> windows_;
    WindowHandle nextHandle_ = 0x10010;
};

}  // namespace quillet::simhost
