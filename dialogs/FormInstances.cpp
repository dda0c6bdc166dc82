#include "dialogs/FormInstances.h"

namespace quillet {

namespace {

template <typename Dialog>
Result<Dialog*> instance(std::unique_ptr<Dialog>& slot, FormContext& context) {
    if (!slot) {
        auto created = Dialog::create(context);
        if (!created) return created.error();
        slot = std::move(*created);
    }
    return slot.get();
}

}  // namespace

Result<frmFind*> FormInstances::findForm() { return instance(find_, context_); }

Result<frmReplace*> FormInstances::replaceForm() { return instance(replace_, context_); }

void FormInstances::end(Form& form) {
    if (&form == find_.get()) find_.reset();
    if (&form == replace_.get()) replace_.reset();
}

Result<SearchBuffer*> FormInstances::searchBuffer() {
    return findForm().transform([](frmFind* form) { return &form->rtbFinder; });
}

}  // namespace quillet
