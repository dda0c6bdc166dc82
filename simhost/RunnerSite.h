#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/MessageBox.h"
#include "simhost/AddinSite.h"
#include "simhost/DialogView.h"
#include "simhost/MenuChoices.h"
#include "simhost/memory/InMemoryHost.h"

namespace quillet::simhost {

/// The part of the stand-in host that depends on how the add-in runs: where
/// it is loaded from, and the windows of its dialogs.
class RunnerSite {
public:
    virtual ~RunnerSite() = default;
    virtual AddinSite& addin() = 0;
    virtual DialogFinder& dialogs() = 0;

    /// Writes a PNG picture of the whole screen to `path` (UTF-8); false when
    /// it could not. A site without a screen has nothing to show, which is no
    /// failure: its transcript stays that of every other site.
    virtual bool screenshot(const std::string& /*path*/) { return true; }
    /// Hands the running host to a user until they close it; returns at once
    /// where there is no one to hand it to.
    virtual void interact() {}
};

/// What a site is made from: the host it serves, the message boxes that the
/// runner answers, the observer of the dialogs' windows, and the user's
/// choices in the dialogs' menus.
struct SiteParts {
    InMemoryHost& host;
    MessageBoxPort& messages;
    WindowObserver& windowObserver;
    MenuChoices& menus;
};

using SiteMaker = std::function<std::unique_ptr<RunnerSite>(SiteParts parts)>;

/// The component linked in, with headless windows.
std::unique_ptr<RunnerSite> makeLinkedSite(SiteParts parts);

#if defined(_WIN32)
/// How the Windows host presents itself.
struct ComSiteOptions {
    /// Named in the main window's caption: the file the publication came from.
    std::u16string documentName;
    /// A user drives the host: the message boxes are theirs to answer, the
    /// publication theirs to edit, and interact() runs until they close the
    /// main window. Otherwise the runner answers the message boxes.
    bool interactive = false;
};

/// The component as the registered COM server, loaded by the host at its
/// start or at a connection, with real windows and message boxes, and the
/// host's main window showing the publication and the command bars.
std::unique_ptr<RunnerSite> makeComSite(SiteParts parts, const ComSiteOptions& options = {});
#endif

}  // namespace quillet::simhost
