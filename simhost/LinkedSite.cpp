#include <optional>

#include "addin/Component.h"
#include "addin/Connect.h"
#include "simhost/RunnerSite.h"
#include "simhost/headless/HeadlessWindows.h"

namespace quillet::simhost {

namespace {

/// A host object that is not the host's application.
class ForeignObject : public HostObject {
public:
    Result<ApplicationRef> queryApplication() override {
        return RaisedError{-2147467262, u"No such interface supported"};
    }
};

/// The add-in linked into the stand-in host: loading it makes its module state.
class LinkedAddin : public AddinSite {
public:
    LinkedAddin(InMemoryHost& host, ComponentPorts ports) : host_(host), ports_(ports) {}
    ~LinkedAddin() override {
        connect_.reset();
        component_.reset();
    }

    void connect(bool foreign, int32_t connectMode) override {
        if (foreign) {
            ForeignObject object;
            addin().AddinInstance_OnConnection(object, connectMode);
        } else {
            addin().AddinInstance_OnConnection(*host_.applicationObject(), connectMode);
        }
    }
    bool disconnect(int32_t removeMode) override {
        if (!connect_) return false;
        connect_->AddinInstance_OnDisconnection(removeMode);
        connect_.reset();
        return true;
    }
    void callAddToolbar() override { addin().AddToolbar(); }

    AddinMembers members() override {
        if (!connect_) return {};
        return {connect_->pubApp != nullptr, static_cast<bool>(connect_->cbbFind),
                static_cast<bool>(connect_->cbbReplace)};
    }
    bool canUnload() override { return !component_ || component_->liveObjects().canUnload(); }
    bool seesEngine() const override { return true; }
    const SearchState* searchState() override { return component_ ? &component_->engine().searchState() : nullptr; }
    std::optional<std::string> engineMemoryFault() override {
        return component_ ? component_->engine().memoryFault() : std::nullopt;
    }
    const SearchBuffer* searchBuffer() override {
        return component_ ? component_->forms().existingSearchBuffer() : nullptr;
    }

private:
    Connect& addin() {
        if (!component_) component_.emplace(ports_);
        if (!connect_) connect_ = std::make_unique<Connect>(*component_);
        return *connect_;
    }

    InMemoryHost& host_;
    ComponentPorts ports_;
    std::optional<Component> component_;
    std::unique_ptr<Connect> connect_;
};

class LinkedSite : public RunnerSite {
public:
    explicit LinkedSite(SiteParts parts)
        : windows_(parts.host.faults(), &parts.menus), addin_(parts.host, {parts.messages, parts.host, windows_, windows_}) {
        windows_.observe(parts.windowObserver);
    }

    AddinSite& addin() override { return addin_; }
    DialogFinder& dialogs() override { return windows_; }

private:
    HeadlessWindowSystem windows_;
    LinkedAddin addin_;
};

}  // namespace

std::unique_ptr<RunnerSite> makeLinkedSite(SiteParts parts) { return std::make_unique<LinkedSite>(parts); }

}  // namespace quillet::simhost
