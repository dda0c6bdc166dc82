#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/memory/RememberedStory.h"

namespace quillet {

/// What placedAmong found.
struct Placement {
    /// What is remembered at each new index, followed to its text there.
    std::map<int32_t, RememberedStory> placed;
    /// The remembered stories that none of the present ones could be, by
    /// their keys: deleted, or cut to be pasted later.
    std::vector<int32_t> vanished;
};

/// Where the remembered stories went when text boxes came, went or moved
/// (cut and pasted elsewhere), found by their texts whatever their order:
/// `remembered` by the index each had among `oldCount` stories, `texts` the
/// stories read now (index i at texts[i - 1]). Keys below 1 stand for
/// stories that had vanished before: one that comes back (an undo of its
/// deletion, or a paste) is found as any other, its writing only possibly
/// the job's, since another text box could read as it did.
///
/// A story that reads as it did (or as if some of its writing were undone)
/// goes where it reads so; one that changed too, where following it keeps
/// some of its writing. Where a remembered story could be either of two
/// present ones (alike texts, or a copy beside an edited original), what it
/// wrote goes to both, only possibly the job's; so it does where stories
/// with different writing could be one present story. A story that changed
/// and stands elsewhere than its place counts as possibly another one too,
/// and with `editsAreCertain` false every changed one does.
Placement placedAmong(const std::map<int32_t, RememberedStory>& remembered, int32_t oldCount,
                      const std::vector<std::u16string>& texts, bool editsAreCertain);

}  // namespace quillet
