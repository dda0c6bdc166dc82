#pragma once

#include <memory>

#include "dialogs/frmFind.h"
#include "engine/SearchBufferSource.h"

namespace quillet {

/// The single instances of the dialogs, kept from first use until their
/// window is destroyed.
class FormInstances : public SearchBufferSource {
public:
    /// The Find dialog, created and loaded, but not shown, when it is absent.
    frmFind& findForm();
    frmFind* existingFindForm() { return find_.get(); }
    /// Ends the Find dialog's window (its close box) and everything on it.
    void destroyFindForm() { find_.reset(); }

    Result<SearchBuffer*> searchBuffer() override { return &findForm().rtbFinder; }
    SearchBuffer* existingSearchBuffer() override { return find_ ? &find_->rtbFinder : nullptr; }

private:
    std::unique_ptr<frmFind> find_;
};

}  // namespace quillet
