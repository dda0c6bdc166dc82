#pragma once

#include <functional>
#include <memory>

#include "platform/MessageBox.h"
#include "simhost/AddinSite.h"
#include "simhost/DialogView.h"
#include "simhost/memory/InMemoryHost.h"

namespace quillet::simhost {

/// The part of the stand-in host that depends on how the add-in runs: where
/// it is loaded from, and the windows of its dialogs.
class RunnerSite {
public:
    virtual ~RunnerSite() = default;
    virtual AddinSite& addin() = 0;
    virtual DialogFinder& dialogs() = 0;
};

/// What a site is made from: the host it serves, the message boxes that the
/// runner answers, and the observer of the dialogs' windows.
struct SiteParts {
    InMemoryHost& host;
    MessageBoxPort& messages;
    WindowObserver& windowObserver;
};

using SiteMaker = std::function<std::unique_ptr<RunnerSite>(SiteParts parts)>;

/// The component linked in, with headless windows.
std::unique_ptr<RunnerSite> makeLinkedSite(SiteParts parts);

#if defined(_WIN32)
/// The component as the registered COM server, loaded by the host at its
/// start or at a connection, with real windows and message boxes.
std::unique_ptr<RunnerSite> makeComSite(SiteParts parts);
#endif

}  // namespace quillet::simhost
