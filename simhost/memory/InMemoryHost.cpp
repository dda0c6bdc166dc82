#include "simhost/memory/InMemoryHost.h"

namespace quillet::simhost {

class MemApplication : public Application {
public:
    explicit MemApplication(InMemoryHost& host) : host_(host) {}

    Result<PublicationRef> publication() override {
        if (auto gate = host_.context_->gate("Application.publication"); !gate) return gate.error();
        return host_.publication_->asPublication();
    }

    Result<ToolbarCollectionRef> toolbars() override {
        if (auto gate = host_.context_->gate("Application.toolbars"); !gate) return gate.error();
        return host_.bars_->asToolbarCollection();
    }

    Result<bool> screenUpdating() override {
        if (auto offered = offersScreenUpdating(); !offered) return offered.error();
        return host_.context_->screenUpdating;
    }

    Status setScreenUpdating(bool updating) override {
        if (auto offered = offersScreenUpdating(); !offered) return offered;
        HostContext& context = *host_.context_;
        // Turned back on, the window shows at once all that changed meanwhile.
        const bool backOn = updating && !context.screenUpdating;
        context.screenUpdating = updating;
        if (backOn) context.changedOnScreen();
        context.events->screenUpdatingSet(updating);
        return {};
    }

private:
    Status offersScreenUpdating() {
        return host_.context_->gate("Application.screenUpdating", &HostCapabilities::screenUpdating);
    }

    // The host outlives every reference that it hands to the add-in it runs.
    InMemoryHost& host_;
};

class MemApplicationObject : public HostObject {
public:
    explicit MemApplicationObject(InMemoryHost& host) : host_(host) {}

    Result<ApplicationRef> queryApplication() override {
        if (auto gate = host_.context_->gate("Application.query"); !gate) return gate.error();
        return host_.application();
    }

private:
    InMemoryHost& host_;
};

InMemoryHost::InMemoryHost(PublicationModel publication, const std::vector<BarModel>& bars,
                           HostCapabilities capabilities)
    : context_(std::make_shared<HostContext>()),
      publication_(std::make_shared<InMemoryPublication>(std::move(publication), context_)),
      bars_(std::make_shared<InMemoryCommandBars>(bars, context_)) {
    context_->capabilities = capabilities;
}

ApplicationRef InMemoryHost::application() { return std::make_shared<MemApplication>(*this); }

std::unique_ptr<HostObject> InMemoryHost::applicationObject() { return std::make_unique<MemApplicationObject>(*this); }

void InMemoryHost::open(PublicationModel publication) {
    publication_ = std::make_shared<InMemoryPublication>(std::move(publication), context_);
}

}  // namespace quillet::simhost
