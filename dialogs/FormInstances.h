#pragma once

#include <memory>

#include "dialogs/FormContext.h"
#include "dialogs/frmFind.h"
#include "dialogs/frmReplace.h"
#include "engine/SearchBufferSource.h"

namespace quillet {

/// The single instances of the two dialogs, each kept from its first use
/// until its window is destroyed; the next use creates it anew.
class FormInstances : public SearchBufferSource {
public:
    FormInstances(Module1& engine, WindowFactory& windows, WindowService& windowService, MessageBoxPort& messages,
                  LiveObjects& liveObjects)
        : context_{engine, windows, windowService, messages, liveObjects, *this} {}

    /// The Find dialog, created and loaded, but not shown, when it is absent.
    Result<frmFind*> findForm();
    /// The Replace dialog, created and loaded, but not shown, when it is absent.
    Result<frmReplace*> replaceForm();
    frmFind* existingFindForm() { return find_.get(); }

    /// Deletes `form`, whose window is gone or goes with it, as its close box
    /// ends it; the next use creates the dialog anew.
    void end(Form& form);

    /// Tells the dialogs the time by `clock` from now on, as a test may.
    void useClock(FormContext::Clock clock) { context_.clock = std::move(clock); }

    Result<SearchBuffer*> searchBuffer() override;
    SearchBuffer* existingSearchBuffer() override { return find_ ? &find_->rtbFinder : nullptr; }

private:
    FormContext context_;
    std::unique_ptr<frmFind> find_;
    std::unique_ptr<frmReplace> replace_;
};

}  // namespace quillet
