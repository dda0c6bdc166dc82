#pragma once

#include <memory>
#include <vector>

#include "host/HostObject.h"
#include "host/HostObjects.h"
#include "host/HostApplicationClass.h"
#include "simhost/memory/HostContext.h"
#include "simhost/memory/InMemoryCommandBars.h"
#include "simhost/memory/InMemoryPublication.h"

namespace quillet::simhost {

/// The stand-in host: the active publication, the command bars, the injected
/// failures and the listener for what the add-in makes the host do.
class InMemoryHost : public HostApplicationClass {
public:
    InMemoryHost(PublicationModel publication, const std::vector<BarModel>& bars,
                 HostCapabilities capabilities = {});

    /// The host's application object, as the host hands it to the add-in.
    ApplicationRef application();
    /// The same object as the host passes it at connection, to be asked for
    /// its Application interface ("Application.query").
    std::unique_ptr<HostObject> applicationObject();
    /// Another reference to the running host's application: how the engine reaches it.
    Result<ApplicationRef> create() override { return application(); }

    /// Makes another publication the active one.
    void open(PublicationModel publication);
    InMemoryPublication& publication() { return *publication_; }
    InMemoryCommandBars& commandBars() { return *bars_; }
    FaultPlan& faults() { return context_->faults; }
    const HostCapabilities& capabilities() const { return context_->capabilities; }
    /// The application's ScreenUpdating now (an older host always updates).
    bool screenUpdating() const { return context_->screenUpdating; }
    /// How often the host has redrawn its window.
    int64_t redraws() const { return context_->redraws; }
    /// How many calls of its operations the host has answered, failed ones included.
    int64_t operations() const { return context_->operations; }
    /// Sends the host's events to `events` (not owned) from now on.
    void listen(HostEvents& events) { context_->events = &events; }
    /// The listener that gets the host's events now, so that another can be
    /// put in front of it (HostEventsFanOut) and the first put back later.
    HostEvents& listener() const { return *context_->events; }

private:
    friend class MemApplication;
    friend class MemApplicationObject;

    std::shared_ptr<HostContext> context_;
    std::shared_ptr<InMemoryPublication> publication_;
    std::shared_ptr<InMemoryCommandBars> bars_;
};

}  // namespace quillet::simhost
