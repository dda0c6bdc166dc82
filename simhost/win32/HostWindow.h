#pragma once

#include <windows.h>

#include <deque>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "simhost/memory/HostEvents.h"
#include "simhost/memory/InMemoryHost.h"

namespace quillet::simhost {

/// The stand-in host's main window: the command bars with their buttons, the
/// pages with the displayed one pressed in, and every story with the pages of
/// its frames and its text, the publication's selection highlighted in it.
/// Stories with a frame on the displayed page are on white, the others on grey.
///
/// It shows the host as it stands at the last refresh. The host's events (it
/// listens through a HostEventsFanOut) post a refresh, done when this thread
/// next takes its messages; an interactive window also looks every 200 ms
/// for changes that raise no event, such as a button's new caption. While
/// the application's ScreenUpdating is off, as in a real host, the window
/// draws nothing at all and is not refreshed; turned back on, it shows
/// everything at once.
///
/// Pressing a bar's button clicks it in the host, which raises Click to the
/// add-in. Interactively the user also edits the stories (each change goes
/// to the publication as the story's whole new text), selects in them (the
/// publication's selection follows the caret of the story that has the
/// focus) and turns pages; otherwise the stories are read-only.
class HostWindow : public HostEvents {
public:
    /// Creates and shows the window, captioned with `documentName`.
    HostWindow(InMemoryHost& host, const std::u16string& documentName, bool interactive);
    ~HostWindow() override;
    HostWindow(const HostWindow&) = delete;
    HostWindow& operator=(const HostWindow&) = delete;

    HWND handle() const { return window_; }

    /// Brings the window up to the host's state now.
    void refresh();

    /// Takes this thread's messages until the user closes the window.
    void runUntilClosed();

    void viewSet(int32_t) override { scheduleRefresh(); }
    void selected(int32_t, int32_t, int32_t, const std::u16string&) override { scheduleRefresh(); }
    void refused(int32_t, int32_t, int32_t) override { scheduleRefresh(); }
    void written(int32_t, int32_t, int32_t, const std::u16string&, const std::u16string&) override {
        scheduleRefresh();
    }
    void barAdded() override { scheduleRefresh(); }
    void barDeleted(const std::u16string&) override { scheduleRefresh(); }
    void controlAdded(const std::u16string&) override { scheduleRefresh(); }
    void screenUpdatingSet(bool updating) override;

private:
    struct BarButton {
        HWND button = nullptr;
        std::u16string bar;
        std::u16string caption;
    };
    struct StoryView {
        HWND label = nullptr;
        HWND edit = nullptr;
        bool onDisplayedPage = false;
        /// The selection the edit had when last set or read, in the edit's
        /// 0-based positions: a difference is the user's doing.
        DWORD knownStart = 0;
        DWORD knownEnd = 0;
    };

    static LRESULT CALLBACK mainProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    static LRESULT CALLBACK panelProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT onMain(UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT onPanel(UINT message, WPARAM wparam, LPARAM lparam);

    void scheduleRefresh();
    void rebuildBars(const std::vector<BarModel>& bars);
    void rebuildPages();
    void rebuildStories();
    void updateStories();
    void updateStatus();
    /// Places the controls in the main window and the stories in the panel.
    void layout();
    void layoutStories();
    void scrollStoriesTo(int offset);
    /// Scrolls the stories as a scroll bar's request asks.
    void scrollStoriesBy(WORD request);
    /// Scrolls the stories to `offset`, kept within them.
    void scrollStoriesWithin(int offset);
    /// The user changed or entered the story edit at `index`: whether that
    /// was one and the host heard of it.
    bool onStoryEdit(int index, WORD notification);
    /// Colours a story edit by whether its story is on the displayed page;
    /// gives its brush.
    LRESULT storyColors(const StoryView& story, HDC dc) const;
    void showStory(size_t index);
    /// Passes the user's selection in the focused story on to the publication.
    void readUserSelection();
    HWND makeChild(HWND parent, const wchar_t* windowClass, const std::wstring& text, DWORD style, int id,
                   DWORD exStyle = 0);

    InMemoryHost& host_;
    const bool interactive_;
    HWND window_ = nullptr;
    HWND panel_ = nullptr;
    HWND status_ = nullptr;
    HWND pagesLabel_ = nullptr;
    HFONT font_ = nullptr;
    HFONT textFont_ = nullptr;
    HBRUSH onPageBrush_ = nullptr;
    HBRUSH offPageBrush_ = nullptr;
    int lineHeight_ = 16;

    std::vector<HWND> barLabels_;
    std::vector<BarButton> barButtons_;
    std::vector<BarModel> shownBars_;
    bool barsShown_ = false;

    std::vector<HWND> pageButtons_;
    std::vector<std::u16string> shownPageNumbers_;

    std::vector<StoryView> stories_;
    std::vector<std::vector<Frame>> shownFrames_;
    std::optional<SelectionModel> shownSelection_;
    bool selectionShown_ = false;
    int scroll_ = 0;
    int storiesHeight_ = 0;
    int columns_ = 1;
    int cellHeight_ = 0;

    /// Buttons pressed but not yet clicked in the host: the click runs from
    /// the message loop, never inside the button's own notification, so that
    /// whatever the add-in does meanwhile may rebuild the buttons.
    std::deque<std::pair<std::u16string, std::u16string>> pendingClicks_;
    bool refreshPosted_ = false;
    /// Set while the window writes into its own controls: what they then
    /// report is not the user's.
    bool writing_ = false;
    bool running_ = false;
};

}  // namespace quillet::simhost
