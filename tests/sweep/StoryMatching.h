#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillet::testing {

/// Whether story `then` of the earlier texts, which read as it does there,
/// may be read as story `now` of the later ones, edited.
using ReadsAsEdited = std::function<bool(size_t then, size_t now)>;

/// Which story of `then` each story of `now` reads as, judged from the
/// texts alone as an add-in that reads every story can judge: none for a
/// text box that reads as added. The simplest reading wins: the stories
/// kept in their order, each unchanged (nothing) or edited (one change, when
/// `readsAsEdited` allows it), with the fewest text boxes added and deleted;
/// then a deleted one and an added one that read alike are one moved.
std::vector<std::optional<size_t>> matchStories(const std::vector<std::u16string>& then,
                                                const std::vector<std::u16string>& now,
                                                const ReadsAsEdited& readsAsEdited);

/// Whether `now` shares at its beginning and end at least half of the longer
/// of `then` and `now`: one edit of a text, rather than another text.
bool readsAlike(const std::u16string& then, const std::u16string& now);

}  // namespace quillet::testing
