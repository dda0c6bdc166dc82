// The stand-in host's main window: what it shows of the in-memory host, and
// what a user's actions in it do to the host.
#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/win32/WindowText.h"
#include "simhost/win32/HostWindow.h"
#include "tests/windows/ComHostTesting.h"

namespace quillet::test {
namespace {

using simhost::HostWindow;
using simhost::InMemoryHost;
using simhost::SelectionModel;
using win32::windowText;

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

struct ChildSearch {
    std::wstring windowClass;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM data) {
    auto* search = reinterpret_cast<ChildSearch*>(data);
    if (_wcsicmp(classOf(child).c_str(), search->windowClass.c_str()) == 0) search->found.push_back(child);
    return TRUE;
}

/// The descendants of `parent` of a window class, in creation order.
std::vector<HWND> children(HWND parent, const std::wstring& windowClass) {
    ChildSearch search{windowClass, {}};
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND childWithText(HWND parent, const std::wstring& windowClass, const std::wstring& text) {
    for (HWND child : children(parent, windowClass)) {
        if (windowText(child) == text) return child;
    }
    return nullptr;
}

bool anyChildContains(HWND parent, const std::wstring& windowClass, const std::wstring& part) {
    for (HWND child : children(parent, windowClass)) {
        if (windowText(child).find(part) != std::wstring::npos) return true;
    }
    return false;
}

/// What a message loop would do before the user's next action.
void takeMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

TEST(HostWindow, ShowsEachVisibleControlOfABarAsAButtonThatClicksItInTheHost) {
    InMemoryHost host = makeHost();
    CountingSink sink;
    auto find = barControl(host, u"Find")->asButton();
    ASSERT_TRUE(find.ok());
    auto cookie = (*find)->subscribe(sink);
    ASSERT_TRUE(cookie.ok());
    ASSERT_TRUE(barControl(host, u"Menu")->setVisible(false).ok());
    HostWindow window(host, u"test.json", /*interactive=*/false);
    ASSERT_NE(window.handle(), nullptr);

    EXPECT_NE(windowText(window.handle()).find(L"test.json"), std::wstring::npos);
    EXPECT_NE(childWithText(window.handle(), L"Static", L"Tarnwick Find/Replace"), nullptr);
    EXPECT_EQ(childWithText(window.handle(), L"Button", L"Menu"), nullptr);
    HWND button = childWithText(window.handle(), L"Button", L"Find");
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(IsWindowEnabled(button));

    SendMessageW(button, BM_CLICK, 0, 0);
    takeMessages();
    EXPECT_EQ(sink.clicks, 1);
    EXPECT_TRUE((*find)->unsubscribe(*cookie).ok());
}

TEST(HostWindow, ShowsWhatTheAddinChangedOnTheBarsAtTheNextRefresh) {
    InMemoryHost host = makeHost();
    HostWindow window(host, u"test.json", /*interactive=*/false);
    ASSERT_TRUE(barControl(host, u"Find")->setEnabled(false).ok());
    ASSERT_TRUE(barControl(host, u"Menu")->setCaption(u"Replace").ok());

    window.refresh();
    HWND find = childWithText(window.handle(), L"Button", L"Find");
    ASSERT_NE(find, nullptr);
    EXPECT_FALSE(IsWindowEnabled(find));
    EXPECT_NE(childWithText(window.handle(), L"Button", L"Replace"), nullptr);
    EXPECT_EQ(childWithText(window.handle(), L"Button", L"Menu"), nullptr);
}

TEST(HostWindow, ShowsEachStoryWithItsPagesAndThePublicationsSelection) {
    InMemoryHost host = makeHost();
    host.publication().editStory(1, u"The cat\r\nsat on the mat.");
    host.publication().select(SelectionModel{1, 5, 3});
    HostWindow window(host, u"test.json", /*interactive=*/false);

    HWND story = childWithText(window.handle(), L"Edit", L"The cat\r\nsat on the mat.");
    ASSERT_NE(story, nullptr);
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(story, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 4u);
    EXPECT_EQ(end, 7u);
    // A scenario's user is the script: the window only shows.
    EXPECT_NE(GetWindowLongW(story, GWL_STYLE) & ES_READONLY, 0);
    EXPECT_TRUE(anyChildContains(window.handle(), L"Static", L"Story 2: page 2"));
    EXPECT_TRUE(anyChildContains(window.handle(), L"Static", L"Story 3: overflow"));
    HWND pageOne = childWithText(window.handle(), L"Button", L"i");
    HWND pageTwo = childWithText(window.handle(), L"Button", L"ii");
    ASSERT_NE(pageOne, nullptr);
    ASSERT_NE(pageTwo, nullptr);
    EXPECT_EQ(SendMessageW(pageOne, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageW(pageTwo, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST(HostWindow, TheHostsEventsBringTheWindowUpToDateOnceItsMessagesAreTaken) {
    InMemoryHost host = makeHost();
    HostWindow window(host, u"test.json", /*interactive=*/false);
    host.listen(window);
    auto publication = host.application()->publication();
    ASSERT_TRUE(publication.ok());
    auto stories = (*publication)->stories();
    ASSERT_TRUE(stories.ok());
    auto story = (*stories)->item(2);
    ASSERT_TRUE(story.ok());
    auto text = (*story)->textSpan();
    ASSERT_TRUE(text.ok());
    ASSERT_TRUE((*text)->setText(u"A dog on page two.").ok());

    takeMessages();
    EXPECT_NE(childWithText(window.handle(), L"Edit", L"A dog on page two."), nullptr);
    host.listen(simhost::HostContext::silence);
}

TEST(HostWindow, WhileUpdatingIsOffTheWindowDrawsNothingAndThenShowsEverythingAtOnce) {
    InMemoryHost host = makeHost();
    HostWindow window(host, u"test.json", /*interactive=*/false);
    host.listen(window);
    auto application = host.application();
    ASSERT_TRUE(application->setScreenUpdating(false).ok());
    EXPECT_EQ(GetWindowLongW(window.handle(), GWL_STYLE) & WS_VISIBLE, 0) << "nothing of it is drawn";
    auto publication = application->publication();
    ASSERT_TRUE(publication.ok());
    auto stories = (*publication)->stories();
    ASSERT_TRUE(stories.ok());
    auto text = (*stories)->item(2).and_then([](const StoryRef& story) { return story->textSpan(); });
    ASSERT_TRUE(text.ok());
    ASSERT_TRUE((*text)->setText(u"A dog on page two.").ok());

    takeMessages();
    window.refresh();
    EXPECT_EQ(childWithText(window.handle(), L"Edit", L"A dog on page two."), nullptr);

    ASSERT_TRUE(application->setScreenUpdating(true).ok());
    EXPECT_NE(GetWindowLongW(window.handle(), GWL_STYLE) & WS_VISIBLE, 0);
    EXPECT_NE(childWithText(window.handle(), L"Edit", L"A dog on page two."), nullptr);
    host.listen(simhost::HostContext::silence);
}

TEST(HostWindow, AUsersTypingAndSelectingGoToThePublication) {
    InMemoryHost host = makeHost();
    HostWindow window(host, u"test.json", /*interactive=*/true);
    HWND story = childWithText(window.handle(), L"Edit", L"The cat sat on the mat.");
    ASSERT_NE(story, nullptr);

    SetFocus(story);
    SendMessageW(story, EM_SETSEL, 4, 7);
    window.refresh();
    ASSERT_TRUE(host.publication().model().selection.has_value());
    EXPECT_EQ(*host.publication().model().selection, (SelectionModel{1, 5, 3}));

    SendMessageW(story, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"dog"));
    EXPECT_EQ(host.publication().model().stories[0].text, u"The dog sat on the mat.");
    // The caret after the typed word is the selection now.
    EXPECT_EQ(*host.publication().model().selection, (SelectionModel{1, 8, 0}));
}

TEST(HostWindow, TurningAPageInteractivelyDisplaysItInTheHost) {
    InMemoryHost host = makeHost();
    HostWindow window(host, u"test.json", /*interactive=*/true);
    HWND pageTwo = childWithText(window.handle(), L"Button", L"ii");
    ASSERT_NE(pageTwo, nullptr);

    SendMessageW(pageTwo, BM_CLICK, 0, 0);
    takeMessages();
    EXPECT_EQ(host.publication().model().displayedPage, 2);
    EXPECT_EQ(SendMessageW(pageTwo, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(anyChildContains(window.handle(), L"Static", L"Story 2: page 2   \u2014 on the displayed page"));
}

}  // namespace
}  // namespace quillet::test
