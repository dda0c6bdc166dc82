#pragma once

#include <cstdint>

namespace quillet {

/// Told how far a Replace All has got, after each write, by the dialog that
/// runs it; it may let the user stop it there.
class ReplaceAllProgress {
public:
    /// `done` of `total` replacements are written. False stops the Replace
    /// All now; what it wrote stays.
    virtual bool proceed(int64_t done, int64_t total) = 0;
    /// The writing is over, for whatever reason, and a box may follow.
    virtual void ended() = 0;

protected:
    ~ReplaceAllProgress() = default;
};

}  // namespace quillet
