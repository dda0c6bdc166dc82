// The stand-in host's objects served as COM objects (simhost/com), called
// the way an add-in calls them: through their vtables, through IDispatch,
// and through a button's connection point.

#include <olectl.h>

#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "simhost/com/ComHost.h"
#include "tests/windows/ComHostTesting.h"

namespace quillet::test {
namespace {

using quillet::win32::ComPtr;
using simhost::com::CreateComApplication;

constexpr HRESULT kNotOnDisplayedPage = static_cast<HRESULT>(0x8004001F);

class ComHost : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(S_OK, simhost::com::RegisterHostTypeLibraries()); }

    void SetUp() override {
        ASSERT_EQ(S_OK, CreateComApplication(host_.application(), app_.out()));
        ASSERT_TRUE(app_);
    }

    ComPtr<::Publication> Publication() {
        ComPtr<::Publication> publication;
        EXPECT_EQ(S_OK, app_->get_ActivePublication(publication.out()));
        return publication;
    }
    ComPtr<::StoryCollection> Stories() {
        ComPtr<::StoryCollection> stories;
        EXPECT_EQ(S_OK, Publication()->get_Stories(stories.out()));
        return stories;
    }
    /// The whole text of a story.
    ComPtr<::TextSpan> StorySpan(LONG index) {
        ComPtr<::Story> story;
        EXPECT_EQ(S_OK, Stories()->Item(index, story.out()));
        ComPtr<::TextSpan> span;
        if (story) {
            EXPECT_EQ(S_OK, story->get_TextRange(span.out()));
        }
        return span;
    }
    ComPtr<::PageCollection> Pages() {
        ComPtr<::PageCollection> pages;
        EXPECT_EQ(S_OK, Publication()->get_Pages(pages.out()));
        return pages;
    }
    ComPtr<::PublicationView> View() {
        ComPtr<::PublicationView> view;
        EXPECT_EQ(S_OK, Publication()->get_ActiveView(view.out()));
        return view;
    }
    ComPtr<::ToolbarControls> Controls() {
        ComPtr<::ToolbarCollection> bars;
        EXPECT_EQ(S_OK, app_->get_CommandBars(bars.out()));
        ComPtr<::Toolbar> bar;
        TextVariant name(kBarName);
        EXPECT_EQ(S_OK, bars->get_Item(name.get(), bar.out()));
        ComPtr<::ToolbarControls> controls;
        if (bar) {
            EXPECT_EQ(S_OK, bar->get_Controls(controls.out()));
        }
        return controls;
    }
    ComPtr<::ToolbarControl> Control(const wchar_t* caption) {
        ComPtr<::ToolbarControl> control;
        TextVariant index(caption);
        EXPECT_EQ(S_OK, Controls()->get_Item(index.get(), control.out()));
        return control;
    }
    ComPtr<::ToolbarButton> Button(const wchar_t* caption) {
        return Control(caption).query<::ToolbarButton>(IID_ToolbarButton);
    }
    const simhost::PublicationModel& Model() { return host_.publication().model(); }
    simhost::ControlModel ControlModel(size_t index) { return host_.commandBars().bars().at(0).controls.at(index); }

    simhost::InMemoryHost host_ = MakeHost();
    ComPtr<::Application> app_;
};

// ---- The publication's chains ------------------------------------------------

TEST_F(ComHost, CountsItemsAndTextsComeFromTheHost) {
    LONG count = 0;
    EXPECT_EQ(S_OK, Stories()->get_Count(&count));
    EXPECT_EQ(3, count);
    EXPECT_EQ(S_OK, Pages()->get_Count(&count));
    EXPECT_EQ(3, count);

    BstrOut text;
    EXPECT_EQ(S_OK, StorySpan(1)->get_Text(text.out()));
    EXPECT_EQ(L"The cat sat on the mat.", text.text());
    EXPECT_EQ(S_OK, StorySpan(3)->get_Text(text.out()));
    EXPECT_EQ(L"Overflow cat.", text.text());

    // A page reports its number as the host shows it, not its index.
    ComPtr<::Page> page;
    EXPECT_EQ(S_OK, Pages()->Item(2, page.out()));
    EXPECT_EQ(S_OK, page->get_PageNumber(text.out()));
    EXPECT_EQ(L"ii", text.text());
}

TEST_F(ComHost, SettingASpansTextWritesIntoTheStory) {
    ComPtr<::TextSpan> span;
    ASSERT_EQ(S_OK, StorySpan(1)->Characters(5, 3, span.out()));
    BstrOut text;
    EXPECT_EQ(S_OK, span->get_Text(text.out()));
    EXPECT_EQ(L"cat", text.text());

    BstrIn dog(L"dog");
    EXPECT_EQ(S_OK, span->put_Text(dog.get()));
    EXPECT_EQ(u"The dog sat on the mat.", Model().stories[0].text);
}

TEST_F(ComHost, TextsKeepEveryCodeUnitBothWays) {
    // A line break, a lone surrogate, a pair and an embedded NUL: none may be changed or lost.
    const std::wstring odd{L'a', L'\r', L'\n', wchar_t(0xD800), L'b', wchar_t(0xD83D), wchar_t(0xDE00), L'\0', L'c'};
    BstrIn value(odd);
    ComPtr<::TextSpan> span = StorySpan(2);
    ASSERT_EQ(S_OK, span->put_Text(value.get()));
    EXPECT_EQ(std::u16string(odd.begin(), odd.end()), Model().stories[1].text);

    BstrOut text;
    EXPECT_EQ(S_OK, StorySpan(2)->get_Text(text.out()));
    EXPECT_EQ(odd, text.text());
}

TEST_F(ComHost, CharactersThenSelectMakesTheHostsSelection) {
    ComPtr<::TextSpan> span;
    ASSERT_EQ(S_OK, StorySpan(1)->Characters(5, 3, span.out()));
    EXPECT_EQ(S_OK, span->Select());
    ASSERT_TRUE(Model().selection.has_value());
    EXPECT_EQ((simhost::SelectionModel{1, 5, 3}), *Model().selection);

    ComPtr<::PublicationSelection> selection;
    ASSERT_EQ(S_OK, Publication()->get_Selection(selection.out()));
    ComPtr<::TextSpan> selected;
    ASSERT_EQ(S_OK, selection->get_TextRange(selected.out()));
    BstrOut text;
    EXPECT_EQ(S_OK, selected->get_Text(text.out()));
    EXPECT_EQ(L"cat", text.text());

    // Setting the selection's text replaces the selected characters.
    BstrIn dog(L"dog");
    EXPECT_EQ(S_OK, selected->put_Text(dog.get()));
    EXPECT_EQ(u"The dog sat on the mat.", Model().stories[0].text);
}

// ---- Failures: the host's number as the HRESULT, its description as error info

TEST_F(ComHost, SelectingTextOffTheDisplayedPageFailsWithTheHostsNumberAndDescription) {
    ComPtr<::TextSpan> span;
    ASSERT_EQ(S_OK, StorySpan(2)->Characters(3, 3, span.out()));
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(kNotOnDisplayedPage, span->Select());
    EXPECT_EQ(-2147221473, span->Select());

    const auto info = TakeErrorInfo();
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(L"The text is not on the displayed page.", info->description);
    EXPECT_EQ(L"Publisher", info->source);
    EXPECT_TRUE(IsEqualGUID(IID_TextSpan, info->guid));
    EXPECT_FALSE(Model().selection.has_value());

    // How a caller learns that it may ask for the error info.
    const ComPtr<ISupportErrorInfo> support = span.query<ISupportErrorInfo>(IID_ISupportErrorInfo);
    ASSERT_TRUE(support);
    EXPECT_EQ(S_OK, support->InterfaceSupportsErrorInfo(IID_TextSpan));
    EXPECT_EQ(S_FALSE, support->InterfaceSupportsErrorInfo(IID_Story));
}

TEST_F(ComHost, AnIndexOutsideACollectionFailsAndGivesNoObject) {
    ComPtr<::Story> story;
    EXPECT_EQ(-2147024809, Stories()->Item(4, story.out()));
    EXPECT_FALSE(story);
    auto info = TakeErrorInfo();
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(L"The parameter is incorrect.", info->description);
    EXPECT_TRUE(IsEqualGUID(IID_StoryCollection, info->guid));

    ComPtr<::Page> page;
    EXPECT_EQ(E_INVALIDARG, Pages()->Item(0, page.out()));
    EXPECT_FALSE(page);
    info = TakeErrorInfo();
    ASSERT_TRUE(info.has_value());
    EXPECT_TRUE(IsEqualGUID(IID_PageCollection, info->guid));
}

TEST_F(ComHost, TheSelectionsTextFailsWhenNothingIsSelected) {
    ComPtr<::PublicationSelection> selection;
    ASSERT_EQ(S_OK, Publication()->get_Selection(selection.out()));
    ComPtr<::TextSpan> span;
    EXPECT_EQ(E_FAIL, selection->get_TextRange(span.out()));
    EXPECT_FALSE(span);
    const auto info = TakeErrorInfo();
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(L"Unspecified error", info->description);
    EXPECT_TRUE(IsEqualGUID(IID_PublicationSelection, info->guid));
}

TEST_F(ComHost, InjectedFaultsComeThroughWithTheirNumberAndDescription) {
    host_.faults().fail("StoryCollection.count", {-2147418113, u"Catastrophic failure, injected"}, 1, 1);
    ComPtr<::StoryCollection> stories = Stories();
    LONG count = 0;
    EXPECT_EQ(S_OK, stories->get_Count(&count));
    EXPECT_EQ(-2147418113, stories->get_Count(&count));
    auto info = TakeErrorInfo();
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(L"Catastrophic failure, injected", info->description);
    EXPECT_EQ(S_OK, stories->get_Count(&count));

    host_.faults().fail("Application.publication", {-2147467259, u"Unspecified error"}, 0, 0);
    ComPtr<::Publication> publication;
    EXPECT_EQ(E_FAIL, app_->get_ActivePublication(publication.out()));
    EXPECT_FALSE(publication);
    info = TakeErrorInfo();
    ASSERT_TRUE(info.has_value());
    EXPECT_TRUE(IsEqualGUID(IID_Application, info->guid));
    EXPECT_EQ(L"Publisher", info->source);

    host_.faults().fail("ToolbarControl.setCaption", {-2147467259, u"Caption refused"}, 1, 0);
    BstrIn caption(L"Search");
    EXPECT_EQ(E_FAIL, Control(L"Find")->put_Caption(caption.get()));
    info = TakeErrorInfo();
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(L"Caption refused", info->description);
    EXPECT_EQ(L"Office", info->source);
    EXPECT_TRUE(IsEqualGUID(IID_ToolbarControl, info->guid));
    EXPECT_EQ(u"Find", ControlModel(0).caption);
}

TEST_F(ComHost, AnAddInsOwnErrorNumberStaysAFailure) {
    // A small positive number is a run-time error, not a success code.
    host_.faults().fail("TextSpan.text", {6, u"Overflow"}, 1, 0);
    BstrOut text;
    const HRESULT hr = StorySpan(1)->get_Text(text.out());
    EXPECT_TRUE(FAILED(hr));
    EXPECT_EQ(static_cast<HRESULT>(0x800A0006), hr);
    EXPECT_EQ(nullptr, text.get());
}

// ---- The view's page: a page that we handed out comes back ---------------------

TEST_F(ComHost, ThePageThatTheHostGaveCanBeDisplayed) {
    ComPtr<::Page> third;
    ASSERT_EQ(S_OK, Pages()->Item(3, third.out()));
    ComPtr<::PublicationView> view = View();
    EXPECT_EQ(S_OK, view->putref_ActivePage(third.get()));
    EXPECT_EQ(3, Model().displayedPage);

    ComPtr<::Page> active;
    ASSERT_EQ(S_OK, view->get_ActivePage(active.out()));
    BstrOut number;
    EXPECT_EQ(S_OK, active->get_PageNumber(number.out()));
    EXPECT_EQ(L"iii", number.text());

    // The page that get_ActivePage gave also comes back, after a trip through IUnknown.
    ComPtr<::Page> second;
    ASSERT_EQ(S_OK, Pages()->Item(2, second.out()));
    const ComPtr<::Page> again = second.query<IUnknown>(IID_IUnknown).query<::Page>(IID_Page);
    EXPECT_EQ(S_OK, view->putref_ActivePage(again.get()));
    EXPECT_EQ(2, Model().displayedPage);

    // Now the second story's text lies on the displayed page.
    ComPtr<::TextSpan> span;
    ASSERT_EQ(S_OK, StorySpan(2)->Characters(3, 3, span.out()));
    EXPECT_EQ(S_OK, span->Select());
}

/// A page of some other host: answers Page, but is not ours.
class ForeignPage final : public ::Page {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) && !IsEqualIID(iid, IID_Page))
            return E_NOINTERFACE;
        *object = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return Unexpected(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return Unexpected(); }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return Unexpected(); }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return Unexpected();
    }
    HRESULT STDMETHODCALLTYPE get_PageNumber(BSTR*) override { return Unexpected(); }

private:
    static HRESULT Unexpected() {
        ADD_FAILURE() << "unexpected call";
        return E_NOTIMPL;
    }
};

TEST_F(ComHost, APageOfAnotherHostOrNoPageIsRefused) {
    ForeignPage foreign;
    ComPtr<::PublicationView> view = View();
    EXPECT_EQ(E_INVALIDARG, view->putref_ActivePage(&foreign));
    EXPECT_EQ(E_INVALIDARG, view->putref_ActivePage(nullptr));
    EXPECT_EQ(1, Model().displayedPage);
}

// ---- IDispatch from the type libraries --------------------------------------

TEST_F(ComHost, IDispatchFindsAndReadsAProperty) {
    ComPtr<IDispatch> stories = Stories().query<IDispatch>(IID_IDispatch);
    ASSERT_TRUE(stories);
    UINT count = 0;
    EXPECT_EQ(S_OK, stories->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);

    LPOLESTR name = const_cast<LPOLESTR>(L"Count");
    DISPID id = DISPID_UNKNOWN;
    ASSERT_EQ(S_OK, stories->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id));
    EXPECT_EQ(1, id);

    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(S_OK, stories->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr,
                                    nullptr));
    EXPECT_EQ(VT_I4, V_VT(&result));
    EXPECT_EQ(3, V_I4(&result));
}

TEST_F(ComHost, IDispatchReturnsObjectsOfTheOtherLibrary) {
    // Application lives in Publisher, its CommandBars in Office: the
    // registered libraries resolve one from the other.
    ComPtr<IDispatch> app = app_.query<IDispatch>(IID_IDispatch);
    LPOLESTR name = const_cast<LPOLESTR>(L"CommandBars");
    DISPID id = DISPID_UNKNOWN;
    ASSERT_EQ(S_OK, app->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id));
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(S_OK,
              app->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr));
    ASSERT_EQ(VT_DISPATCH, V_VT(&result));
    const ComPtr<IDispatch> bars = ComPtr<IDispatch>::adopt(V_DISPATCH(&result));
    EXPECT_TRUE(bars.query<::ToolbarCollection>(IID_ToolbarCollection));
}

TEST_F(ComHost, IDispatchReportsAHostFailureAsAnException) {
    ComPtr<IDispatch> stories = Stories().query<IDispatch>(IID_IDispatch);
    VARIANT index = Int4Variant(9);
    DISPPARAMS params = {&index, nullptr, 1, 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception = {};
    const HRESULT hr = stories->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result,
                                       &exception, nullptr);
    EXPECT_EQ(DISP_E_EXCEPTION, hr);
    EXPECT_EQ(-2147024809, exception.scode);
    EXPECT_EQ(std::wstring(L"The parameter is incorrect."),
              std::wstring(exception.bstrDescription ? exception.bstrDescription : L""));
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrHelpFile);
    VariantClear(&result);
}

// ---- Command bars ---------------------------------------------------------------

TEST_F(ComHost, BarsAndControlsAreFoundByNameAndChanged) {
    ComPtr<::ToolbarCollection> bars;
    ASSERT_EQ(S_OK, app_->get_CommandBars(bars.out()));
    ComPtr<::Toolbar> bar;
    TextVariant name(kBarName);
    ASSERT_EQ(S_OK, bars->get_Item(name.get(), bar.out()));

    BstrIn renamed(L"Renamed");
    EXPECT_EQ(S_OK, bar->put_Name(renamed.get()));
    EXPECT_EQ(S_OK, bar->put_Visible(VARIANT_FALSE));
    EXPECT_EQ(S_OK, bar->put_Enabled(VARIANT_FALSE));
    simhost::BarModel model = host_.commandBars().bars().at(0);
    EXPECT_EQ(u"Renamed", model.name);
    EXPECT_FALSE(model.visible);
    EXPECT_FALSE(model.enabled);

    // The old name is gone; a missing name is the host's failure.
    ComPtr<::Toolbar> missing;
    EXPECT_EQ(E_INVALIDARG, bars->get_Item(name.get(), missing.out()));
    EXPECT_FALSE(missing);

    EXPECT_EQ(S_OK, bar->Delete());
    EXPECT_TRUE(host_.commandBars().bars().empty());
}

TEST_F(ComHost, ANameThatIsNoStringIsATypeMismatch) {
    ComPtr<::ToolbarCollection> bars;
    ASSERT_EQ(S_OK, app_->get_CommandBars(bars.out()));
    ComPtr<::Toolbar> bar;
    EXPECT_EQ(DISP_E_TYPEMISMATCH, bars->get_Item(Int4Variant(1), bar.out()));
    EXPECT_FALSE(bar);

    ComPtr<::ToolbarControl> control;
    EXPECT_EQ(DISP_E_TYPEMISMATCH, Controls()->get_Item(Int4Variant(1), control.out()));
    EXPECT_FALSE(control);

    // A reference to a string is a string.
    BSTR caption = SysAllocString(L"Find");
    VARIANT byReference;
    V_VT(&byReference) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&byReference) = &caption;
    EXPECT_EQ(S_OK, Controls()->get_Item(byReference, control.out()));
    EXPECT_TRUE(control);
    SysFreeString(caption);
}

TEST_F(ComHost, AddingBarsAndControlsTakesTheTypeOrItsDefault) {
    ComPtr<::ToolbarCollection> bars;
    ASSERT_EQ(S_OK, app_->get_CommandBars(bars.out()));
    ComPtr<::Toolbar> bar;
    ASSERT_EQ(S_OK, bars->Add(MissingVariant(), MissingVariant(), MissingVariant(), MissingVariant(), bar.out()));
    ASSERT_EQ(2u, host_.commandBars().bars().size());
    ComPtr<::ToolbarControls> controls;
    ASSERT_EQ(S_OK, bar->get_Controls(controls.out()));

    const VARIANT missing = MissingVariant();
    ComPtr<::ToolbarControl> control;
    EXPECT_EQ(S_OK, controls->Add(missing, missing, missing, missing, missing, control.out()));
    EXPECT_EQ(S_OK, controls->Add(Int2Variant(2), missing, missing, missing, missing, control.out()));
    EXPECT_EQ(S_OK, controls->Add(Int4Variant(1), missing, missing, missing, missing, control.out()));
    TextVariant text(L"1");
    EXPECT_EQ(DISP_E_TYPEMISMATCH, controls->Add(text.get(), missing, missing, missing, missing, control.out()));
    EXPECT_FALSE(control);

    const simhost::BarModel added = host_.commandBars().bars().at(1);
    ASSERT_EQ(3u, added.controls.size());
    EXPECT_EQ(1, added.controls[0].type);
    EXPECT_EQ(2, added.controls[1].type);
    EXPECT_EQ(1, added.controls[2].type);
}

TEST_F(ComHost, AControlIsAButtonOnceTheHostSaysSo) {
    ComPtr<::ToolbarControl> menu = Control(L"Menu");
    EXPECT_FALSE(menu.query<::ToolbarButton>(IID_ToolbarButton));
    EXPECT_FALSE(menu.query<IConnectionPointContainer>(IID_IConnectionPointContainer));

    // A refusal is asked again at the next query.
    host_.faults().fail("ToolbarButton.query", {-2147467262, u"No such interface supported"}, 1, 0);
    ComPtr<::ToolbarControl> find = Control(L"Find");
    EXPECT_FALSE(find.query<::ToolbarButton>(IID_ToolbarButton));
    EXPECT_FALSE(find.query<IConnectionPointContainer>(IID_IConnectionPointContainer));
    ComPtr<::ToolbarButton> button = find.query<::ToolbarButton>(IID_ToolbarButton);
    ASSERT_TRUE(button);

    // Once a button, always one: the host is not asked again for this object,
    // but it is for another object of the same control.
    host_.faults().fail("ToolbarButton.query", {-2147467262, u"No such interface supported"}, 0, 0);
    EXPECT_TRUE(find.query<::ToolbarButton>(IID_ToolbarButton));
    EXPECT_TRUE(button.query<IConnectionPointContainer>(IID_IConnectionPointContainer));
    EXPECT_FALSE(Control(L"Find").query<::ToolbarButton>(IID_ToolbarButton));
    host_.faults().heal();

    // One object: the control and the button are the same COM identity.
    EXPECT_EQ(find.query<IUnknown>(IID_IUnknown).get(), button.query<IUnknown>(IID_IUnknown).get());

    EXPECT_EQ(S_OK, button->put_FaceId(99));
    BstrIn caption(L"Search");
    EXPECT_EQ(S_OK, button->put_Caption(caption.get()));
    EXPECT_EQ(S_OK, button->put_Visible(VARIANT_FALSE));
    EXPECT_EQ(S_OK, button->put_Enabled(VARIANT_FALSE));
    const simhost::ControlModel model = ControlModel(0);
    EXPECT_EQ(99, model.faceId);
    EXPECT_EQ(u"Search", model.caption);
    EXPECT_FALSE(model.visible);
    EXPECT_FALSE(model.enabled);
}

// ---- A button's Click through its connection point ---------------------------

/// An event sink that records the Click calls it gets; any other use of it
/// fails the test. The test owns it: its count of references shows what the
/// button holds.
class ClickSink final : public IDispatch {
public:
    struct Call {
        DISPID id = 0;
        WORD flags = 0;
        UINT arguments = 0;
        VARTYPE ctrlType = VT_EMPTY;
        VARTYPE cancelType = VT_EMPTY;
        VARIANT_BOOL cancelDefault = 1;
        ComPtr<::ToolbarButton> ctrl;
    };

    explicit ClickSink(bool answersEventsIid = false) : answersEventsIid_(answersEventsIid) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
            (answersEventsIid_ && IsEqualIID(iid, DIID_ToolbarButtonEvents))) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return Unexpected(); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return Unexpected(); }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return Unexpected(); }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        Call call;
        call.id = id;
        call.flags = flags;
        call.arguments = params->cArgs;
        if (params->cArgs == 2) {
            call.cancelType = V_VT(&params->rgvarg[0]);
            call.ctrlType = V_VT(&params->rgvarg[1]);
            if (call.cancelType == (VT_BOOL | VT_BYREF)) call.cancelDefault = *V_BOOLREF(&params->rgvarg[0]);
            if (call.ctrlType == VT_DISPATCH && V_DISPATCH(&params->rgvarg[1]))
                V_DISPATCH(&params->rgvarg[1])
                    ->QueryInterface(IID_ToolbarButton, reinterpret_cast<void**>(call.ctrl.out()));
        }
        calls.push_back(std::move(call));
        if (onClick) onClick();
        return S_OK;
    }

    ULONG refs() const { return refs_; }

    std::vector<Call> calls;
    std::function<void()> onClick;

private:
    static HRESULT Unexpected() {
        ADD_FAILURE() << "unexpected call";
        return E_NOTIMPL;
    }

    bool answersEventsIid_;
    ULONG refs_ = 1;
};

/// An object that answers IUnknown only.
class UnknownOnly final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown)) return E_NOINTERFACE;
        *object = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

class ButtonEvents : public ComHost {
protected:
    void SetUp() override {
        ComHost::SetUp();
        button_ = Button(L"Find");
        ASSERT_TRUE(button_);
        const ComPtr<IConnectionPointContainer> container =
            button_.query<IConnectionPointContainer>(IID_IConnectionPointContainer);
        ASSERT_TRUE(container);
        ASSERT_EQ(S_OK, container->FindConnectionPoint(DIID_ToolbarButtonEvents, point_.out()));
    }
    bool Click() { return host_.commandBars().click(u"Tarnwick Find/Replace", u"Find"); }

    // Before the button: a test that stops early leaves them advised, and the
    // button, released first, lets go of them before they are destroyed.
    ClickSink sink_;
    ClickSink eventsSink_{/*answersEventsIid=*/true};
    ComPtr<::ToolbarButton> button_;
    ComPtr<IConnectionPoint> point_;
};

TEST_F(ButtonEvents, ClickReachesAnAdvisedSinkWithItsArgumentsUntilUnadvise) {
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, point_->Advise(&sink_, &cookie));
    EXPECT_NE(0u, cookie);
    EXPECT_GT(sink_.refs(), 1u);

    ASSERT_TRUE(Click());
    ASSERT_EQ(1u, sink_.calls.size());
    const ClickSink::Call& call = sink_.calls[0];
    EXPECT_EQ(1, call.id);
    EXPECT_TRUE(call.flags & DISPATCH_METHOD);
    EXPECT_EQ(2u, call.arguments);
    EXPECT_EQ(VT_DISPATCH, call.ctrlType);
    EXPECT_EQ(VT_BOOL | VT_BYREF, call.cancelType);
    EXPECT_EQ(VARIANT_FALSE, call.cancelDefault);
    ASSERT_TRUE(call.ctrl);
    // Ctrl is the clicked button: changing it changes that control.
    EXPECT_EQ(S_OK, call.ctrl->put_FaceId(7));
    EXPECT_EQ(7, ControlModel(0).faceId);
    sink_.calls.clear();

    ASSERT_EQ(S_OK, point_->Unadvise(cookie));
    EXPECT_EQ(1u, sink_.refs());
    ASSERT_TRUE(Click());
    EXPECT_TRUE(sink_.calls.empty());
    EXPECT_EQ(CONNECT_E_NOCONNECTION, point_->Unadvise(cookie));
}

TEST_F(ButtonEvents, EverySinkGetsTheClickAndEachUnadvisesAlone) {
    DWORD firstCookie = 0;
    DWORD secondCookie = 0;
    ASSERT_EQ(S_OK, point_->Advise(&sink_, &firstCookie));
    ASSERT_EQ(S_OK, point_->Advise(&eventsSink_, &secondCookie));
    EXPECT_NE(firstCookie, secondCookie);

    ASSERT_TRUE(Click());
    EXPECT_EQ(1u, sink_.calls.size());
    EXPECT_EQ(1u, eventsSink_.calls.size());

    ASSERT_EQ(S_OK, point_->Unadvise(firstCookie));
    ASSERT_TRUE(Click());
    EXPECT_EQ(1u, sink_.calls.size());
    EXPECT_EQ(2u, eventsSink_.calls.size());
    ASSERT_EQ(S_OK, point_->Unadvise(secondCookie));
}

TEST_F(ButtonEvents, ASinkMayUnadviseFromItsOwnClick) {
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, point_->Advise(&sink_, &cookie));
    sink_.onClick = [&] { EXPECT_EQ(S_OK, point_->Unadvise(cookie)); };
    ASSERT_TRUE(Click());
    ASSERT_TRUE(Click());
    EXPECT_EQ(1u, sink_.calls.size());
    EXPECT_EQ(1u, sink_.refs());
}

TEST_F(ButtonEvents, ReleasingTheButtonEndsItsConnections) {
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, point_->Advise(&sink_, &cookie));
    point_ = {};
    button_ = {};
    // Still held, the sink would be called through a button that is gone.
    ASSERT_EQ(1u, sink_.refs());
    ASSERT_TRUE(Click());
    EXPECT_TRUE(sink_.calls.empty());
}

TEST_F(ButtonEvents, ThePointDescribesItselfAndRefusesWhatItCannotServe) {
    IID iid = IID_NULL;
    EXPECT_EQ(S_OK, point_->GetConnectionInterface(&iid));
    EXPECT_TRUE(IsEqualIID(DIID_ToolbarButtonEvents, iid));
    ComPtr<IConnectionPointContainer> container;
    EXPECT_EQ(S_OK, point_->GetConnectionPointContainer(container.out()));
    EXPECT_EQ(button_.query<IUnknown>(IID_IUnknown).get(), container.query<IUnknown>(IID_IUnknown).get());

    ComPtr<IConnectionPoint> other;
    EXPECT_EQ(CONNECT_E_NOCONNECTION, container->FindConnectionPoint(IID_IDispatch, other.out()));
    EXPECT_FALSE(other);

    // A sink must at least answer IDispatch.
    UnknownOnly notASink;
    DWORD cookie = 1;
    EXPECT_EQ(CONNECT_E_CANNOTCONNECT, point_->Advise(&notASink, &cookie));
    EXPECT_EQ(0u, cookie);
    EXPECT_EQ(E_POINTER, point_->Advise(nullptr, &cookie));
    EXPECT_EQ(CONNECT_E_NOCONNECTION, point_->Unadvise(12345));
}

}  // namespace
}  // namespace quillet::test
