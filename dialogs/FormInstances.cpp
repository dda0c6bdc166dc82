#include "dialogs/FormInstances.h"

namespace quillet {

frmFind& FormInstances::findForm() {
    if (!find_) find_ = std::make_unique<frmFind>();
    return *find_;
}

}  // namespace quillet
