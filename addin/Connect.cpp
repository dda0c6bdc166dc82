#include "addin/Connect.h"

#include "dialogs/EventEntry.h"
#include "engine/EngineTexts.h"

namespace quillet {

namespace {

constexpr char16_t kConnectionError[] = u"There was an error creating the toolbar.  Please reinstall the addin.";
constexpr char16_t kBuildError[] = u"There was an error creating the toolbar.  Please reinstall the add-in.";
constexpr int32_t kPlainButton = 1;
constexpr int32_t kFindIcon = 46;
constexpr int32_t kReplaceIcon = 125;
constexpr int32_t kRemovedByUser = 1;

}  // namespace

Connect::Connect(Component& component)
    : cbbFind([this](const ToolbarButtonRef& ctrl, bool& cancel) { cbbFind_Click(ctrl, cancel); }),
      cbbReplace([this](const ToolbarButtonRef& ctrl, bool& cancel) { cbbReplace_Click(ctrl, cancel); }),
      component_(component),
      liveObject_(component.liveObjects()) {}

void Connect::AddinInstance_OnConnection(HostObject& Application, int32_t /*ConnectMode*/) {
    auto application = Application.queryApplication();
    if (!application || !*application) {
        component_.messages().show(kConnectionError, msgbox::kOkOnly, std::nullopt);
        return;
    }
    pubApp = std::move(*application);
    component_.hostApplication().connected(pubApp);
    AddToolbar();
}

void Connect::AddinInstance_OnDisconnection(int32_t RemoveMode) {
    // Only a user's removal takes the bar away; at other times the host keeps
    // it for the next connection. Every failure here is passed over.
    if (RemoveMode != kRemovedByUser) return;
    if (auto bar = findToolbar()) (void)(*bar)->remove();
}

Result<ToolbarRef> Connect::findToolbar() {
    if (!pubApp) return errors::objectNotSet();
    return pubApp->toolbars().and_then(
        [](const ToolbarCollectionRef& bars) { return bars->item(texts::kTitle); });
}

Result<ToolbarButtonRef> Connect::findButton(const std::u16string& caption) {
    return cbToolbar_->controls()
        .and_then([&](const ToolbarControlsRef& controls) { return controls->item(caption); })
        .and_then([](const ToolbarControlRef& control) { return control->asButton(); });
}

void Connect::AddToolbar() {
    // Attach to the bar that the host kept from an earlier connection. A
    // button that is missing or renamed stays as it was: nothing is repaired.
    if (auto bar = findToolbar()) {
        cbToolbar_ = std::move(*bar);
        if (auto button = findButton(u"Find")) cbbFind.set(std::move(*button));
        if (auto button = findButton(u"Replace")) cbbReplace.set(std::move(*button));
        return;
    }
    // What was built before a failure stays; the next connection attaches to it.
    if (Status built = buildToolbar(); !built) component_.messages().show(kBuildError, msgbox::kOkOnly, std::nullopt);
}

Status Connect::buildToolbar() {
    if (!pubApp) return errors::objectNotSet();
    auto bar = pubApp->toolbars().and_then([](const ToolbarCollectionRef& bars) { return bars->add(); });
    if (!bar) return bar.error();
    cbToolbar_ = std::move(*bar);
    return runInOrder([&] { return cbToolbar_->setName(texts::kTitle); },
                      [&] { return cbToolbar_->setVisible(true); },
                      [&] { return cbToolbar_->setEnabled(true); },
                      [&] { return addButton(cbbFind, u"Find", kFindIcon); },
                      [&] { return addButton(cbbReplace, u"Replace", kReplaceIcon); });
}

Status Connect::addButton(SubscribedButton& member, const std::u16string& caption, int32_t faceId) {
    auto button = cbToolbar_->controls()
                      .and_then([](const ToolbarControlsRef& controls) { return controls->add(kPlainButton); })
                      .and_then([](const ToolbarControlRef& control) { return control->asButton(); });
    if (!button) return button.error();
    member.set(std::move(*button));
    const ToolbarButtonRef& held = member.get();
    return runInOrder([&] { return held->setCaption(caption); }, [&] { return held->setIcon(faceId); },
                      [&] { return held->setVisible(true); }, [&] { return held->setEnabled(true); });
}

namespace {

template <typename Dialog>
Status show(Result<Dialog*> dialog) {
    if (!dialog) return dialog.error();
    (*dialog)->Show();
    return {};
}

}  // namespace

void Connect::cbbFind_Click(const ToolbarButtonRef& /*Ctrl*/, bool& /*CancelDefault*/) {
    runEventHandler(component_.messages(), [&] { return show(component_.forms().findForm()); });
}

void Connect::cbbReplace_Click(const ToolbarButtonRef& /*Ctrl*/, bool& /*CancelDefault*/) {
    runEventHandler(component_.messages(), [&] { return show(component_.forms().replaceForm()); });
}

}  // namespace quillet
