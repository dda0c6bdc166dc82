// The stand-in host's objects served as COM objects (simhost/com), called the
// way a real host's objects must be called: by member name, through
// IDispatch, and through a button's connection point. Most tests go through
// the add-in's own bridge (host/com), so that both sides meet as they do in a
// run; each runs under dialects that differ in every choice a host may make.

#include <olectl.h>

#include <functional>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "host/com/ComBridge.h"
#include "host/com/LateBinding.h"
#include "simhost/com/ComHost.h"
#include "simhost/com/Dialect.h"
#include "simhost/com/Face.h"
#include "tests/windows/ComHostTesting.h"

namespace quillet::test {
namespace {

using quillet::win32::ComPtr;
using quillet::win32::Variant;
using simhost::com::createComApplication;
using simhost::com::Dialect;
namespace com = quillet::com;
namespace roles = quillet::com::roles;

constexpr int32_t kNotOnDisplayedPage = -2147221473;  // 0x8004001F
constexpr int32_t kInvalidArgument = -2147024809;     // 0x80070057

/// Two dialects that differ in every choice, so that each test meets both ways.
Dialect dialectNumber(int number) {
    Dialect dialect = Dialect::drawn(static_cast<uint32_t>(1000 + number));
    dialect.collectionItemIsMethod = number == 0;
    dialect.activePageByReference = number != 0;
    dialect.deferredExceptions = number != 0;
    dialect.connectsThroughInvoke = number != 0;
    return dialect;
}

class ComHost : public testing::TestWithParam<int> {
protected:
    void SetUp() override {
        simhost::com::useDialect(dialectNumber(GetParam()));
        simhost::com::offerMembers({});
        ASSERT_EQ(S_OK, createComApplication(host_.application(), app_.out()));
        auto inRole = com::inRole(app_.get(), roles::kApplication);
        ASSERT_TRUE(inRole);
        application_ = com::bridgeApplication(std::move(*inRole));
    }

    PublicationRef Publication() { return *application_->publication(); }
    TextSpanRef StorySpan(int32_t index) { return *(*(*Publication()->stories())->item(index))->textSpan(); }
    ToolbarControlsRef Controls() {
        return *(*(*application_->toolbars())->item(u"Tarnwick Find/Replace"))->controls();
    }
    const simhost::PublicationModel& Model() { return host_.publication().model(); }
    simhost::ControlModel ControlModel(size_t index) { return host_.commandBars().bars().at(0).controls.at(index); }

    /// A member of the application object by name, as an object in `role`.
    ComPtr<IDispatch> Member(IDispatch* object, const wchar_t* name, const com::Role& role) {
        auto found = com::asObject(com::invoke(object, name, com::Call::Get), role);
        EXPECT_TRUE(found);
        return found ? *found : ComPtr<IDispatch>();
    }

    simhost::InMemoryHost host_ = makeHost();
    ComPtr<IDispatch> app_;
    ApplicationRef application_;
};

INSTANTIATE_TEST_SUITE_P(EitherWay, ComHost, testing::Values(0, 1));

// ---- The publication's chains ------------------------------------------------

TEST_P(ComHost, CountsItemsAndTextsComeFromTheHost) {
    EXPECT_EQ(3, *(*Publication()->stories())->count());
    EXPECT_EQ(3, *(*Publication()->pages())->count());
    EXPECT_EQ(u"The cat sat on the mat.", *StorySpan(1)->text());
    EXPECT_EQ(u"Overflow cat.", *StorySpan(3)->text());
    // A page reports its number as the host shows it, not its index.
    EXPECT_EQ(u"ii", *(*(*Publication()->pages())->item(2))->number());
}

TEST_P(ComHost, SettingASpansTextWritesIntoTheStory) {
    TextSpanRef span = *StorySpan(1)->span(5, 3);
    EXPECT_EQ(u"cat", *span->text());
    ASSERT_TRUE(span->setText(u"dog"));
    EXPECT_EQ(u"The dog sat on the mat.", Model().stories[0].text);
}

TEST_P(ComHost, TextsKeepEveryCodeUnitBothWays) {
    // A line break, a lone surrogate, a pair and an embedded NUL: none may be changed or lost.
    const std::u16string odd{u'a', u'\r', u'\n', char16_t(0xD800), u'b', char16_t(0xD83D), char16_t(0xDE00), u'\0', u'c'};
    ASSERT_TRUE(StorySpan(2)->setText(odd));
    EXPECT_EQ(odd, Model().stories[1].text);
    EXPECT_EQ(odd, *StorySpan(2)->text());
}

TEST_P(ComHost, CharactersThenSelectMakesTheHostsSelectionWhoseTextCanBeSet) {
    ASSERT_TRUE((*StorySpan(1)->span(5, 3))->select());
    ASSERT_TRUE(Model().selection.has_value());
    EXPECT_EQ((simhost::SelectionModel{1, 5, 3}), *Model().selection);

    TextSpanRef selected = *(*Publication()->selection())->textSpan();
    EXPECT_EQ(u"cat", *selected->text());
    ASSERT_TRUE(selected->setText(u"dog"));
    EXPECT_EQ(u"The dog sat on the mat.", Model().stories[0].text);
}

// ---- Failures: DISP_E_EXCEPTION with the host's number and description ---------

TEST_P(ComHost, HostFailuresArriveWithTheHostsNumberAndDescription) {
    Status refused = (*StorySpan(2)->span(3, 3))->select();
    ASSERT_FALSE(refused);
    EXPECT_EQ((RaisedError{kNotOnDisplayedPage, u"The text is not on the displayed page."}), refused.error());
    EXPECT_FALSE(Model().selection.has_value());

    auto outside = (*Publication()->stories())->item(4);
    ASSERT_FALSE(outside);
    EXPECT_EQ((RaisedError{kInvalidArgument, u"The parameter is incorrect."}), outside.error());

    auto nothingSelected = (*Publication()->selection())->textSpan();
    ASSERT_FALSE(nothingSelected);
    EXPECT_EQ((RaisedError{-2147467259, u"Unspecified error"}), nothingSelected.error());
}

TEST_P(ComHost, InjectedFaultsComeThroughWithTheirNumberAndDescription) {
    StoryCollectionRef stories = *Publication()->stories();
    host_.faults().fail("StoryCollection.count", {-2147418113, u"Catastrophic failure, injected"}, 1, 1);
    EXPECT_TRUE(stories->count());
    auto failed = stories->count();
    ASSERT_FALSE(failed);
    EXPECT_EQ((RaisedError{-2147418113, u"Catastrophic failure, injected"}), failed.error());
    EXPECT_TRUE(stories->count());

    host_.faults().fail("ToolbarControl.setCaption", {-2147467259, u"Caption refused"}, 1, 0);
    Status caption = (*Controls()->item(u"Find"))->setCaption(u"Search");
    ASSERT_FALSE(caption);
    EXPECT_EQ(u"Caption refused", caption.error().description);
    EXPECT_EQ(u"Find", ControlModel(0).caption);

    // A small positive number is a run-time error, not a success code.
    host_.faults().fail("TextSpan.text", {6, u"Overflow"}, 1, 0);
    auto text = StorySpan(1)->text();
    ASSERT_FALSE(text);
    EXPECT_EQ(static_cast<int32_t>(0x800A0006), text.error().number);
}

TEST_P(ComHost, AnExceptionNamesItsSourceAndIsFilledInWhenTheDialectSaysSo) {
    host_.faults().fail("Application.publication", {-2147467259, u"No publication"}, 1, 0);
    LPOLESTR name = const_cast<LPOLESTR>(L"ActiveDocument");
    DISPID id = DISPID_UNKNOWN;
    ASSERT_EQ(S_OK, app_->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id));
    DISPPARAMS none{};
    Variant result;
    EXCEPINFO exception{};
    ASSERT_EQ(DISP_E_EXCEPTION, app_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                             result.out(), &exception, nullptr));
    EXPECT_EQ(VT_EMPTY, V_VT(&result.get()));
    if (simhost::com::theDialect().deferredExceptions) {
        ASSERT_NE(nullptr, exception.pfnDeferredFillIn);
        EXPECT_EQ(S_OK, exception.scode);
        ASSERT_EQ(S_OK, exception.pfnDeferredFillIn(&exception));
    }
    EXPECT_EQ(E_FAIL, exception.scode);
    EXPECT_EQ(std::wstring(L"Publisher"), std::wstring(exception.bstrSource));
    EXPECT_EQ(std::wstring(L"No publication"), std::wstring(exception.bstrDescription));
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
}

TEST(ComHostConnection, TheApplicationPassedAtConnectionAnswersItsRoleOnlyWhenTheHostDoes) {
    simhost::InMemoryHost host = makeHost();
    ComPtr<IDispatch> app;
    ASSERT_EQ(S_OK, simhost::com::createConnectingApplication(host.applicationObject(), host.application(), app.out()));
    host.faults().fail("Application.query", {-2147467262, u"No such interface supported"}, 1, 0);
    EXPECT_FALSE(com::inRole(app.get(), roles::kApplication));
    EXPECT_TRUE(com::inRole(app.get(), roles::kApplication));
}

// ---- The view's page: a page that the host handed out comes back ---------------

TEST_P(ComHost, ThePageThatTheHostGaveCanBeDisplayed) {
    PublicationViewRef view = *Publication()->view();
    ASSERT_TRUE(view->setPage(*(*Publication()->pages())->item(3)));
    EXPECT_EQ(3, Model().displayedPage);
    EXPECT_EQ(u"iii", *(*view->page())->number());

    ASSERT_TRUE(view->setPage(*(*Publication()->pages())->item(2)));
    EXPECT_EQ(2, Model().displayedPage);
    // Now the second story's text lies on the displayed page.
    EXPECT_TRUE((*StorySpan(2)->span(3, 3))->select());
}

TEST_P(ComHost, APageOfAnotherHostOrNoPageIsRefused) {
    simhost::InMemoryHost other = makeHost();
    ComPtr<IDispatch> otherApp;
    ASSERT_EQ(S_OK, createComApplication(other.application(), otherApp.out()));
    ComPtr<IDispatch> document = Member(otherApp.get(), L"ActiveDocument", roles::kPublication);
    ComPtr<IDispatch> pages = Member(document.get(), L"Pages", roles::kPageCollection);
    auto foreign = com::asObject(com::invoke(pages.get(), L"Item", com::Call::MethodOrGet, {Variant::number(2)}),
                                 roles::kPage);
    ASSERT_TRUE(foreign);

    ComPtr<IDispatch> view = Member(Member(app_.get(), L"ActiveDocument", roles::kPublication).get(), L"ActiveView",
                                    roles::kPublicationView);
    EXPECT_FALSE(com::assign(view.get(), L"ActivePage", Variant::object(foreign->get())));
    EXPECT_FALSE(com::assign(view.get(), L"ActivePage", Variant::object(nullptr)));
    EXPECT_EQ(1, Model().displayedPage);
}

// ---- A page's place and identity ---------------------------------------------------

TEST_P(ComHost, APageTellsItsPlaceWhateverNumberItShows) {
    PageRef page = *(*Publication()->pages())->item(2);
    EXPECT_EQ(u"ii", *page->number());
    EXPECT_EQ(2, *page->index());
    host_.faults().fail("Page.index", {-2147467259, u"No place"}, 1, 0);
    auto failed = page->index();
    ASSERT_FALSE(failed);
    EXPECT_EQ((RaisedError{-2147467259, u"No place"}), failed.error());
}

TEST_P(ComHost, AnOlderHostsPageHasNoPageIndexToLookUpOrToInvoke) {
    ComPtr<IDispatch> pages =
        Member(Member(app_.get(), L"ActiveDocument", roles::kPublication).get(), L"Pages", roles::kPageCollection);
    auto page = com::asObject(com::invoke(pages.get(), L"Item", com::Call::MethodOrGet, {Variant::number(2)}),
                              roles::kPage);
    ASSERT_TRUE(page);
    // The DISPID that a current host's page gives it.
    LPOLESTR name = const_cast<LPOLESTR>(L"PageIndex");
    DISPID id = DISPID_UNKNOWN;
    ASSERT_EQ(S_OK, (*page)->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id));

    simhost::com::offerMembers({/*screenUpdating=*/true, /*undoGroups=*/true, /*pageIndex=*/false});
    host_.faults().fail("Page.index", {-2147467259, u"Never reached"}, 0, 0);
    auto index = com::invoke(page->get(), L"PageIndex", com::Call::Get);
    ASSERT_FALSE(index);
    EXPECT_EQ(DISP_E_UNKNOWNNAME, index.error().number);
    EXPECT_TRUE(com::invoke(page->get(), L"PageNumber", com::Call::Get));
    // Nor does that DISPID reach anything.
    DISPPARAMS none{};
    Variant result;
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, (*page)->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                                     result.out(), nullptr, nullptr));
    EXPECT_TRUE(host_.faults().planned("Page.index"));
    simhost::com::offerMembers({});
}

// ---- A page's shapes: which text each page shows ----------------------------------

/// Item(index) of a collection, as an object in `role`.
ComPtr<IDispatch> ItemOf(IDispatch* collection, int32_t index, const com::Role& role) {
    auto found = com::asObject(com::invoke(collection, L"Item", com::Call::MethodOrGet, {Variant::number(index)}), role);
    EXPECT_TRUE(found);
    return found ? *found : ComPtr<IDispatch>();
}

TEST_P(ComHost, APagesShapesLeadToTheTextThatItShows) {
    ShapeCollectionRef shapes = *(*(*Publication()->pages())->item(2))->shapes();
    ASSERT_EQ(1, *shapes->count());
    ShapeRef shape = *shapes->item(1);
    EXPECT_TRUE(*shape->hasTextFrame());
    TextSpanRef shown = *(*shape->textFrame())->textRange();
    EXPECT_EQ(u"A cat on page two.", *shown->text());
    EXPECT_EQ(0, *shown->start());
    ASSERT_TRUE((*shown->span(3, 3))->setText(u"dog"));
    EXPECT_EQ(u"A dog on page two.", Model().stories[1].text);
    EXPECT_EQ(0, *(*(*(*Publication()->pages())->item(3))->shapes())->count());
    EXPECT_FALSE(shapes->item(2));

    host_.faults().fail("Shape.textFrame", {-2147467259, u"No frame"}, 1, 0);
    auto failed = shape->textFrame();
    ASSERT_FALSE(failed);
    EXPECT_EQ((RaisedError{-2147467259, u"No frame"}), failed.error());
}

TEST_P(ComHost, HasTextFrameIsMsoTrueALongAsTheHostDocumentsIt) {
    ComPtr<IDispatch> page = ItemOf(
        Member(Member(app_.get(), L"ActiveDocument", roles::kPublication).get(), L"Pages", roles::kPageCollection).get(),
        1, roles::kPage);
    ComPtr<IDispatch> shape = ItemOf(Member(page.get(), L"Shapes", roles::kShapeCollection).get(), 1, roles::kShape);
    auto has = com::invoke(shape.get(), L"HasTextFrame", com::Call::Get);
    ASSERT_TRUE(has);
    EXPECT_EQ(VT_I4, V_VT(&has->get()));
    EXPECT_EQ(-1, V_I4(&has->get()));
}

TEST_P(ComHost, AHostWithoutShapesPublishesNoneOfTheirMembers) {
    ComPtr<IDispatch> page = ItemOf(
        Member(Member(app_.get(), L"ActiveDocument", roles::kPublication).get(), L"Pages", roles::kPageCollection).get(),
        1, roles::kPage);
    ComPtr<IDispatch> shapes = Member(page.get(), L"Shapes", roles::kShapeCollection);
    ComPtr<IDispatch> shape = ItemOf(shapes.get(), 1, roles::kShape);
    ComPtr<IDispatch> frame = Member(shape.get(), L"TextFrame", roles::kTextFrame);

    simhost::com::offerMembers({.pageShapes = false});
    const std::pair<IDispatch*, const wchar_t*> members[] = {
        {page.get(), L"Shapes"},         {shapes.get(), L"Count"},     {shapes.get(), L"Item"},
        {shape.get(), L"HasTextFrame"}, {shape.get(), L"TextFrame"}, {frame.get(), L"TextRange"},
    };
    for (const auto& [object, name] : members) {
        auto missing = com::invoke(object, name, com::Call::MethodOrGet, {});
        ASSERT_FALSE(missing) << std::wstring(name);
        EXPECT_EQ(DISP_E_UNKNOWNNAME, missing.error().number) << std::wstring(name);
    }
    EXPECT_TRUE(com::invoke(page.get(), L"PageIndex", com::Call::Get));
    simhost::com::offerMembers({});
}

TEST_P(ComHost, APageIsTheSameObjectAsItselfButNotAsThePageReadAgain) {
    PublicationViewRef view = *Publication()->view();
    PageRef page = *view->page();
    EXPECT_TRUE(page->isSameObject(*page));
    // The stand-in hands out a new COM object at every call, as a host may.
    EXPECT_FALSE(page->isSameObject(**view->page()));
    EXPECT_FALSE(page->isSameObject(**(*Publication()->pages())->item(1)));
}

/// An application over `host`, bridged as the add-in bridges it.
ApplicationRef bridgedApplication(simhost::InMemoryHost& host) {
    ComPtr<IDispatch> app;
    EXPECT_EQ(S_OK, createComApplication(host.application(), app.out()));
    auto inRole = com::inRole(app.get(), roles::kApplication);
    EXPECT_TRUE(inRole);
    return inRole ? com::bridgeApplication(std::move(*inRole)) : nullptr;
}

TEST_P(ComHost, ActiveDocumentIsOneObjectForAPublicationAndAnotherForTheNextOneOpened) {
    PublicationRef first = Publication();
    EXPECT_TRUE(first->isSameObject(*Publication()));
    // The same COM object: one IUnknown.
    const ComPtr<IDispatch> once = Member(app_.get(), L"ActiveDocument", roles::kPublication);
    const ComPtr<IDispatch> again = Member(app_.get(), L"ActiveDocument", roles::kPublication);
    EXPECT_EQ(once.query<IUnknown>(IID_IUnknown).get(), again.query<IUnknown>(IID_IUnknown).get());

    host_.open(simhost::PublicationModel{{u"1"}, {{u"Another text.", {simhost::Frame{1, 0}}}}, {}, 1});
    PublicationRef second = Publication();
    EXPECT_FALSE(second->isSameObject(*first));
    EXPECT_TRUE(second->isSameObject(*Publication()));
    EXPECT_EQ(u"The cat sat on the mat.", *(*(*(*first->stories())->item(1))->textSpan())->text());
    EXPECT_EQ(u"Another text.", *(*(*(*second->stories())->item(1))->textSpan())->text());
}

TEST_P(ComHost, AHostThatKeepsNoPublicationObjectHandsOutANewOneAtEveryCall) {
    simhost::InMemoryHost host(Model(), {}, {.samePublicationObject = false});
    const ApplicationRef application = bridgedApplication(host);
    ASSERT_TRUE(application);
    PublicationRef publication = *application->publication();
    EXPECT_TRUE(publication->isSameObject(*publication));
    EXPECT_FALSE(publication->isSameObject(**application->publication()));
    EXPECT_EQ(3, *(*publication->stories())->count());
}

// ---- Names only ------------------------------------------------------------------

TEST_P(ComHost, MembersAreFoundByNameWhateverTheCaseAndNothingElseIsPublished) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"commandbars")};
    DISPID lower = DISPID_UNKNOWN;
    ASSERT_EQ(S_OK, app_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &lower));
    names[0] = const_cast<LPOLESTR>(L"CommandBars");
    DISPID proper = DISPID_UNKNOWN;
    ASSERT_EQ(S_OK, app_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &proper));
    EXPECT_EQ(proper, lower);
    EXPECT_GT(proper, 0);

    // The real name is ActiveDocument; there is no ActivePublication.
    names[0] = const_cast<LPOLESTR>(L"ActivePublication");
    DISPID missing = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, app_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &missing));
    EXPECT_EQ(DISPID_UNKNOWN, missing);

    UINT count = 1;
    EXPECT_EQ(S_OK, app_->GetTypeInfoCount(&count));
    EXPECT_EQ(0u, count);

    // A command-bar collection's Item is its default member.
    ComPtr<IDispatch> bars = Member(app_.get(), L"CommandBars", roles::kToolbarCollection);
    names[0] = const_cast<LPOLESTR>(L"Item");
    DISPID item = DISPID_UNKNOWN;
    ASSERT_EQ(S_OK, bars->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &item));
    EXPECT_EQ(DISPID_VALUE, item);
}

TEST_P(ComHost, ScreenUpdatingAndUndoGroupsAreCalledByNameInACurrentHost) {
    EXPECT_TRUE(*application_->screenUpdating());
    ASSERT_TRUE(application_->setScreenUpdating(false));
    EXPECT_FALSE(host_.screenUpdating());
    EXPECT_FALSE(*application_->screenUpdating());

    PublicationRef publication = Publication();
    ASSERT_TRUE(publication->beginUndoGroup(u"Replace All"));
    EXPECT_TRUE(host_.publication().undoGroupOpen());
    ASSERT_TRUE((*StorySpan(1)->span(5, 3))->setText(u"dog"));
    ASSERT_TRUE((*StorySpan(2)->span(3, 3))->setText(u"dog"));
    ASSERT_TRUE(publication->endUndoGroup());
    ASSERT_TRUE(application_->setScreenUpdating(true));
    EXPECT_EQ(1u, host_.publication().undoSteps());
    EXPECT_TRUE(host_.screenUpdating());

    // Ending a group that was never begun is the host's run-time error.
    Status unbegun = publication->endUndoGroup();
    ASSERT_FALSE(unbegun);
    EXPECT_EQ(-2147467259, unbegun.error().number);
}

TEST_P(ComHost, AnOlderHostPublishesNeitherScreenUpdatingNorUndoGroups) {
    simhost::com::offerMembers({/*screenUpdating=*/false, /*undoGroups=*/false, /*pageIndex=*/true});
    const ComPtr<IDispatch> publication = Member(app_.get(), L"ActiveDocument", roles::kPublication);
    const std::pair<IDispatch*, const wchar_t*> members[] = {{app_.get(), L"ScreenUpdating"},
                                                             {publication.get(), L"BeginCustomUndoAction"},
                                                             {publication.get(), L"EndCustomUndoAction"}};
    for (const auto& [object, name] : members) {
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        DISPID id = 0;
        EXPECT_EQ(DISP_E_UNKNOWNNAME, object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    }
    auto read = application_->screenUpdating();
    ASSERT_FALSE(read);
    EXPECT_EQ(static_cast<int32_t>(DISP_E_UNKNOWNNAME), read.error().number);
    EXPECT_FALSE(application_->setScreenUpdating(false));
    EXPECT_FALSE(Publication()->beginUndoGroup(u"Replace All"));
    EXPECT_TRUE(host_.screenUpdating());
    EXPECT_FALSE(host_.publication().undoGroupOpen());
    simhost::com::offerMembers({});
}

TEST_P(ComHost, AMemberAnswersOnlyTheWaysItIsPublished) {
    // Count is a property: as a method it is not there.
    ComPtr<IDispatch> stories =
        Member(Member(app_.get(), L"ActiveDocument", roles::kPublication).get(), L"Stories", roles::kStoryCollection);
    auto asMethod = com::invoke(stories.get(), L"Count", com::Call::Method);
    ASSERT_FALSE(asMethod);
    EXPECT_EQ(static_cast<int32_t>(DISP_E_MEMBERNOTFOUND), asMethod.error().number);

    // Item is a method or a property get, as the dialect has it; asking both ways always finds it.
    const bool isMethod = simhost::com::theDialect().collectionItemIsMethod;
    EXPECT_EQ(isMethod, static_cast<bool>(com::invoke(stories.get(), L"Item", com::Call::Method, {Variant::number(1)})));
    EXPECT_EQ(!isMethod, static_cast<bool>(com::invoke(stories.get(), L"Item", com::Call::Get, {Variant::number(1)})));

    auto badCount = com::invoke(stories.get(), L"Item", com::Call::MethodOrGet);
    ASSERT_FALSE(badCount);
    EXPECT_EQ(static_cast<int32_t>(DISP_E_BADPARAMCOUNT), badCount.error().number);
}

TEST(ComHostNames, DispidsAreDrawnAnewFromEachSeedAndStayWithinARun) {
    const Dialect first = Dialect::drawn(1);
    const Dialect second = Dialect::drawn(2);
    EXPECT_EQ(first.dispid(L"Application", L"CommandBars"), first.dispid(L"Application", L"commandbars"));
    EXPECT_NE(first.dispid(L"Application", L"CommandBars"), second.dispid(L"Application", L"CommandBars"));
    EXPECT_NE(first.dispid(L"Application", L"CommandBars"), first.dispid(L"Application", L"ActiveDocument"));
    EXPECT_EQ(std::optional<uint32_t>(4294967295u), simhost::com::parseSeed("4294967295"));
    EXPECT_FALSE(simhost::com::parseSeed("4294967296"));
    EXPECT_FALSE(simhost::com::parseSeed("-1"));
    EXPECT_FALSE(simhost::com::parseSeed(""));
}

/// Calls `slot` of `object`'s vtable, as an add-in built against a layout of its own would.
void callSlot(IUnknown* object, unsigned slot) {
    using Method = HRESULT(STDMETHODCALLTYPE*)(IUnknown*);
    Method method = reinterpret_cast<Method>((*reinterpret_cast<void***>(object))[slot]);
    method(object);
}

TEST(ComHostDeathTest, ACallPastIDispatchEndsTheRunNamingTheSlotAndTheRole) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    simhost::InMemoryHost host = makeHost();
    ComPtr<IDispatch> app;
    ASSERT_EQ(S_OK, createComApplication(host.application(), app.out()));
    auto inRole = com::inRole(app.get(), roles::kApplication);
    ASSERT_TRUE(inRole);
    // Slot 8: the second past IDispatch, where a layout of our own once had CommandBars.
    EXPECT_EXIT(callSlot(inRole->get(), 8), testing::ExitedWithCode(simhost::com::kCalledPastDispatch),
                "slot 8 of the Application interface");
    EXPECT_EXIT(callSlot(app.get(), 7), testing::ExitedWithCode(simhost::com::kCalledPastDispatch),
                "slot 7 of the IDispatch interface");
}

// ---- Command bars ---------------------------------------------------------------

TEST_P(ComHost, BarsAndControlsAreFoundByNameAndChanged) {
    ToolbarCollectionRef bars = *application_->toolbars();
    ToolbarRef bar = *bars->item(u"Tarnwick Find/Replace");
    ASSERT_TRUE(bar->setName(u"Renamed"));
    ASSERT_TRUE(bar->setVisible(false));
    ASSERT_TRUE(bar->setEnabled(false));
    simhost::BarModel model = host_.commandBars().bars().at(0);
    EXPECT_EQ(u"Renamed", model.name);
    EXPECT_FALSE(model.visible);
    EXPECT_FALSE(model.enabled);

    // The old name is gone; a missing name is the host's failure.
    auto missing = bars->item(u"Tarnwick Find/Replace");
    ASSERT_FALSE(missing);
    EXPECT_EQ(kInvalidArgument, missing.error().number);

    ASSERT_TRUE(bar->remove());
    EXPECT_TRUE(host_.commandBars().bars().empty());
}

TEST_P(ComHost, ANameIsATextOrWhatConvertsToOne) {
    ComPtr<IDispatch> bars = Member(app_.get(), L"CommandBars", roles::kToolbarCollection);
    auto notAName = com::invoke(bars.get(), L"Item", com::Call::Get, {Variant::object(app_.get())});
    ASSERT_FALSE(notAName);
    EXPECT_EQ(static_cast<int32_t>(DISP_E_TYPEMISMATCH), notAName.error().number);

    // A reference to a string is a string.
    BSTR name = SysAllocString(L"Tarnwick Find/Replace");
    Variant byReference;
    VARIANT* raw = byReference.out();
    V_VT(raw) = VT_BSTR | VT_BYREF;
    V_BSTRREF(raw) = &name;
    EXPECT_TRUE(com::asObject(com::invoke(bars.get(), L"Item", com::Call::Get, {std::move(byReference)}),
                              roles::kToolbar));
    SysFreeString(name);
}

TEST_P(ComHost, AddingBarsAndControlsTakesTheTypeOrItsDefault) {
    ToolbarRef bar = *(*application_->toolbars())->add();
    ASSERT_EQ(2u, host_.commandBars().bars().size());
    ComPtr<IDispatch> bars = Member(app_.get(), L"CommandBars", roles::kToolbarCollection);
    auto addedBar = com::asObject(com::invoke(bars.get(), L"Item", com::Call::Get,
                                              {Variant::text(host_.commandBars().bars().at(1).name)}),
                                  roles::kToolbar);
    ASSERT_TRUE(addedBar);
    ComPtr<IDispatch> controls = Member(addedBar->get(), L"Controls", roles::kToolbarControls);

    EXPECT_TRUE(com::invoke(controls.get(), L"Add", com::Call::Method));
    EXPECT_TRUE(com::invoke(controls.get(), L"Add", com::Call::Method, {Variant::number(2)}));
    EXPECT_TRUE(com::invoke(controls.get(), L"Add", com::Call::Method, {Variant::missing(), Variant::number(5)}));
    auto notAType = com::invoke(controls.get(), L"Add", com::Call::Method, {Variant::text(u"a button")});
    ASSERT_FALSE(notAType);
    EXPECT_EQ(static_cast<int32_t>(DISP_E_TYPEMISMATCH), notAType.error().number);

    const simhost::BarModel added = host_.commandBars().bars().at(1);
    ASSERT_EQ(3u, added.controls.size());
    EXPECT_EQ(1, added.controls[0].type);
    EXPECT_EQ(2, added.controls[1].type);
    EXPECT_EQ(1, added.controls[2].type);
}

TEST_P(ComHost, AControlIsAButtonOnceTheHostSaysSo) {
    ToolbarControlsRef controls = Controls();
    EXPECT_FALSE((*controls->item(u"Menu"))->asButton());

    // A refusal is asked again at the next query.
    host_.faults().fail("ToolbarButton.query", {-2147467262, u"No such interface supported"}, 1, 0);
    ToolbarControlRef find = *controls->item(u"Find");
    EXPECT_FALSE(find->asButton());
    auto button = find->asButton();
    ASSERT_TRUE(button);

    // Once a button, always one: the host is not asked again for this object,
    // but it is for another object of the same control.
    host_.faults().fail("ToolbarButton.query", {-2147467262, u"No such interface supported"}, 0, 0);
    EXPECT_TRUE(find->asButton());
    EXPECT_FALSE((*controls->item(u"Find"))->asButton());
    host_.faults().heal();

    // One object: the control and the button are the same COM identity.
    ComPtr<IDispatch> control = Member(app_.get(), L"CommandBars", roles::kToolbarCollection);
    control = *com::asObject(com::invoke(control.get(), L"Item", com::Call::Get, {Variant::text(u"Tarnwick Find/Replace")}),
                             roles::kToolbar);
    control = Member(control.get(), L"Controls", roles::kToolbarControls);
    control = *com::asObject(com::invoke(control.get(), L"Item", com::Call::Get, {Variant::text(u"Find")}),
                             roles::kToolbarControl);
    const ComPtr<IDispatch> asButton = *com::inRole(control.get(), roles::kToolbarButton);
    EXPECT_NE(control.get(), asButton.get());  // a face of its own for each role
    EXPECT_EQ(control.query<IUnknown>(IID_IUnknown).get(), asButton.query<IUnknown>(IID_IUnknown).get());

    ASSERT_TRUE((*button)->setIcon(99));
    ASSERT_TRUE((*button)->setCaption(u"Search"));
    ASSERT_TRUE((*button)->setVisible(false));
    ASSERT_TRUE((*button)->setEnabled(false));
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
        ComPtr<IDispatch> ctrl;
    };

    explicit ClickSink(bool answersEventsIid = false) : answersEventsIid_(answersEventsIid) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
            (answersEventsIid_ && IsEqualIID(iid, com::kButtonEvents))) {
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
            if (call.ctrlType == VT_DISPATCH && V_DISPATCH(&params->rgvarg[1])) {
                if (auto ctrl = com::inRole(V_DISPATCH(&params->rgvarg[1]), roles::kToolbarButton))
                    call.ctrl = std::move(*ctrl);
            }
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
        ComPtr<IDispatch> bars = Member(app_.get(), L"CommandBars", roles::kToolbarCollection);
        auto bar = com::asObject(com::invoke(bars.get(), L"Item", com::Call::Get, {Variant::text(u"Tarnwick Find/Replace")}),
                                 roles::kToolbar);
        ASSERT_TRUE(bar);
        ComPtr<IDispatch> controls = Member(bar->get(), L"Controls", roles::kToolbarControls);
        auto control = com::asObject(com::invoke(controls.get(), L"Item", com::Call::Get, {Variant::text(u"Find")}),
                                     roles::kToolbarControl);
        ASSERT_TRUE(control);
        auto button = com::inRole(control->get(), roles::kToolbarButton);
        ASSERT_TRUE(button);
        button_ = std::move(*button);
        const ComPtr<IConnectionPointContainer> container =
            button_.query<IConnectionPointContainer>(IID_IConnectionPointContainer);
        ASSERT_TRUE(container);
        ASSERT_EQ(S_OK, container->FindConnectionPoint(com::kButtonEvents, point_.out()));
    }
    bool Click() { return host_.commandBars().click(u"Tarnwick Find/Replace", u"Find"); }

    // Before the button: a test that stops early leaves them advised, and the
    // button, released first, lets go of them before they are destroyed.
    ClickSink sink_;
    ClickSink eventsSink_{/*answersEventsIid=*/true};
    ComPtr<IDispatch> button_;
    ComPtr<IConnectionPoint> point_;
};

INSTANTIATE_TEST_SUITE_P(EitherWay, ButtonEvents, testing::Values(0, 1));

TEST_P(ButtonEvents, ClickReachesAnAdvisedSinkWithItsArgumentsUntilUnadvise) {
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
    EXPECT_TRUE(com::invoke(call.ctrl.get(), L"FaceId", com::Call::Put, {Variant::number(7)}));
    EXPECT_EQ(7, ControlModel(0).faceId);
    sink_.calls.clear();

    ASSERT_EQ(S_OK, point_->Unadvise(cookie));
    EXPECT_EQ(1u, sink_.refs());
    ASSERT_TRUE(Click());
    EXPECT_TRUE(sink_.calls.empty());
    EXPECT_EQ(CONNECT_E_NOCONNECTION, point_->Unadvise(cookie));
}

TEST_P(ButtonEvents, EverySinkGetsTheClickAndEachUnadvisesAlone) {
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

TEST_P(ButtonEvents, ASinkMayUnadviseFromItsOwnClick) {
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, point_->Advise(&sink_, &cookie));
    sink_.onClick = [&] { EXPECT_EQ(S_OK, point_->Unadvise(cookie)); };
    ASSERT_TRUE(Click());
    ASSERT_TRUE(Click());
    EXPECT_EQ(1u, sink_.calls.size());
    EXPECT_EQ(1u, sink_.refs());
}

TEST_P(ButtonEvents, ReleasingTheButtonEndsItsConnections) {
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, point_->Advise(&sink_, &cookie));
    point_ = {};
    button_ = {};
    // Still held, the sink would be called through a button that is gone.
    ASSERT_EQ(1u, sink_.refs());
    ASSERT_TRUE(Click());
    EXPECT_TRUE(sink_.calls.empty());
}

TEST_P(ButtonEvents, ThePointDescribesItselfAndRefusesWhatItCannotServe) {
    IID iid = IID_NULL;
    EXPECT_EQ(S_OK, point_->GetConnectionInterface(&iid));
    EXPECT_TRUE(IsEqualIID(com::kButtonEvents, iid));
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
