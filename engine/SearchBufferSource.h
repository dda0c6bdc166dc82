#pragma once

#include "base/Result.h"
#include "engine/text/SearchBuffer.h"

namespace quillet {

/// Where the engine finds its search buffer: on the Find dialog, which owns it
/// for as long as the dialog's window lives.
class SearchBufferSource {
public:
    virtual ~SearchBufferSource() = default;
    /// The buffer, creating its dialog (loaded, hidden) when it does not exist.
    virtual Result<SearchBuffer*> searchBuffer() = 0;
    /// The buffer if its dialog exists; never creates anything.
    virtual SearchBuffer* existingSearchBuffer() = 0;
};

}  // namespace quillet
