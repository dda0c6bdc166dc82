#include "dialogs/Form.h"

#include <vector>

#include "dialogs/EventEntry.h"
#include "dialogs/FormInstances.h"
#include "engine/Module1.h"
#include "engine/text/CaretCodeTable.h"

namespace quillet {

void Form::Show() {
    if (auto selected = context_.engine.SelectionForFindBox()) {
        if (*selected != window_->text("txtFindWhat")) window_->setText("txtFindWhat", *selected);
        window_->selectAll("txtFindWhat");
    }
    window_->show();
}

void Form::cmdSpecial_Click() {
    std::string box = window_->lastTextBox();
    if (box.empty()) box = "txtFindWhat";
    const CodedText text = box == "txtFindWhat" ? CodedText::Find : CodedText::Replacement;
    std::vector<const CaretCode*> offered;
    std::vector<std::u16string_view> names;
    for (const CaretCode& code : kCaretCodes) {
        if (!code.knownIn(text)) continue;
        offered.push_back(&code);
        names.push_back(code.menuName);
    }
    if (auto chosen = window_->chooseFrom("cmdSpecial", names)) window_->insertAtCaret(box, offered[*chosen]->typed());
}

Status Form::createWindow(const FormLayout& layout) {
    auto window = context_.windows.create(layout, *this);
    if (!window) return window.error();
    window_ = std::move(*window);
    return {};
}

template <typename Handler>
void Form::handle(Handler&& handler) {
    ++handlersRunning_;
    runEventHandler(context_.messages, std::forward<Handler>(handler));
    // Deletes this form; nothing of it may be touched after the call.
    if (--handlersRunning_ == 0 && (windowDestroyed_ || closeBoxHeld_)) context_.instances.end(*this);
}

void Form::onClick(std::string_view control) {
    handle([&] { return click(control); });
}

void Form::onChange(std::string_view control) {
    handle([&] { return change(control); });
}

void Form::onDestroyed() {
    windowDestroyed_ = true;
    // Deletes this form; nothing of it may be touched after the call.
    if (handlersRunning_ == 0) context_.instances.end(*this);
}

// A modal hold lives only while a handler runs it: the handler's end ends the form.
void Form::onCloseBoxHeld() { closeBoxHeld_ = true; }

}  // namespace quillet
