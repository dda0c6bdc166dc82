#include "tests/sweep/StoryMatching.h"

#include <algorithm>

namespace quillet::testing {

bool readsAlike(const std::u16string& then, const std::u16string& now) {
    const size_t shortest = std::min(then.size(), now.size());
    size_t prefix = 0;
    while (prefix < shortest && then[prefix] == now[prefix]) ++prefix;
    size_t suffix = 0;
    while (suffix < shortest - prefix && then[then.size() - 1 - suffix] == now[now.size() - 1 - suffix]) ++suffix;
    return 2 * (prefix + suffix) >= std::max(then.size(), now.size());
}

std::vector<std::optional<size_t>> matchStories(const std::vector<std::u16string>& then,
                                                const std::vector<std::u16string>& now,
                                                const ReadsAsEdited& readsAsEdited) {
    // The cheapest alignment in order: a story kept as it was costs nothing,
    // one edited 1, and one added or deleted 1.
    constexpr int kNever = 1 << 20;
    const size_t n = then.size();
    const size_t m = now.size();
    auto keptCost = [&](size_t i, size_t j) {
        if (then[i] == now[j]) return 0;
        return readsAsEdited(i, j) ? 1 : kNever;
    };
    std::vector<std::vector<int>> cost(n + 1, std::vector<int>(m + 1, 0));
    for (size_t i = 0; i <= n; ++i) {
        for (size_t j = 0; j <= m; ++j) {
            if (i == 0 || j == 0) {
                cost[i][j] = static_cast<int>(i + j);
                continue;
            }
            const int kept = cost[i - 1][j - 1] + keptCost(i - 1, j - 1);
            cost[i][j] = std::min({kept, cost[i - 1][j] + 1, cost[i][j - 1] + 1});
        }
    }
    std::vector<std::optional<size_t>> match(m);
    std::vector<bool> placed(n);
    // Back from the end, a story kept in place before one added or deleted when both cost the same.
    for (size_t i = n, j = m; i > 0 && j > 0;) {
        if (cost[i][j] == cost[i - 1][j - 1] + keptCost(i - 1, j - 1)) {
            match[j - 1] = i - 1;
            placed[i - 1] = true;
            --i;
            --j;
        } else if (cost[i][j] == cost[i - 1][j] + 1) {
            --i;
        } else {
            --j;
        }
    }
    // What went and what came that read alike is one text box moved: the
    // same text first, then an edited one.
    for (const bool edited : {false, true}) {
        for (size_t j = 0; j < m; ++j) {
            for (size_t i = 0; i < n && !match[j]; ++i) {
                if (placed[i] || (edited ? !readsAsEdited(i, j) : then[i] != now[j])) continue;
                match[j] = i;
                placed[i] = true;
            }
        }
    }
    return match;
}

}  // namespace quillet::testing
