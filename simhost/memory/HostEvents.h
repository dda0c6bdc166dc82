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
    /// The application's ScreenUpdating was set.
    virtual void screenUpdatingSet(bool /*updating*/) {}
    /// An undo group of the active publication was begun, or ended.
    virtual void undoGroupBegun(const std::u16string& /*name*/) {}
    virtual void undoGroupEnded() {}
};

/// Tells every event to two listeners (not owned), `first` first: the host
/// has room for one listener, and a window that shows the host wants to hear
/// what the scenario runner hears.
class HostEventsFanOut : public HostEvents {
public:
    HostEventsFanOut(HostEvents& first, HostEvents& second) : first_(first), second_(second) {}

    void viewSet(int32_t page) override {
        first_.viewSet(page);
        second_.viewSet(page);
    }
    void selected(int32_t story, int32_t start, int32_t length, const std::u16string& text) override {
        first_.selected(story, start, length, text);
        second_.selected(story, start, length, text);
    }
    void refused(int32_t story, int32_t start, int32_t length) override {
        first_.refused(story, start, length);
        second_.refused(story, start, length);
    }
    void written(int32_t story, int32_t start, int32_t length, const std::u16string& oldText,
                 const std::u16string& newText) override {
        first_.written(story, start, length, oldText, newText);
        second_.written(story, start, length, oldText, newText);
    }
    void barAdded() override {
        first_.barAdded();
        second_.barAdded();
    }
    void barDeleted(const std::u16string& name) override {
        first_.barDeleted(name);
        second_.barDeleted(name);
    }
    void controlAdded(const std::u16string& bar) override {
        first_.controlAdded(bar);
        second_.controlAdded(bar);
    }
    void screenUpdatingSet(bool updating) override {
        first_.screenUpdatingSet(updating);
        second_.screenUpdatingSet(updating);
    }
    void undoGroupBegun(const std::u16string& name) override {
        first_.undoGroupBegun(name);
        second_.undoGroupBegun(name);
    }
    void undoGroupEnded() override {
        first_.undoGroupEnded();
        second_.undoGroupEnded();
    }

private:
    HostEvents& first_;
    HostEvents& second_;
};

}  // namespace quillet::simhost
