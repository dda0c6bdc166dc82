#pragma once

#include <utility>

#include "host/HostApplicationClass.h"

namespace quillet {

/// Where the engine gets its application reference: the host application
/// that connected the add-in in this process, and only before any connection
/// handed one over, a new one from the host's class. Creating the class may
/// start or reach another instance of the host, with another publication or
/// none, so the application that loaded the add-in comes first.
class ConnectedApplication final : public HostApplicationClass {
public:
    explicit ConnectedApplication(HostApplicationClass& hostClass) : hostClass_(hostClass) {}

    /// A connection handed over `application`, which answered as the host's application.
    void connected(ApplicationRef application) { connected_ = std::move(application); }

    Result<ApplicationRef> create() override {
        if (connected_) return connected_;
        return hostClass_.create();
    }

private:
    HostApplicationClass& hostClass_;
    ApplicationRef connected_;
};

}  // namespace quillet
