#pragma once

#include "engine/SearchBuffer.h"

namespace quillet {

/// The Find dialog. An instance stands for one life of its window: the search
/// buffer on it starts empty when the window is created and dies with it.
class frmFind {
public:
    /// The engine's search buffer; the user never sees it.
    SearchBuffer rtbFinder;
};

}  // namespace quillet
