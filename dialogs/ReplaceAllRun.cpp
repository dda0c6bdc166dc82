#include "dialogs/ReplaceAllRun.h"

#include "dialogs/StatusLine.h"

namespace quillet {

ReplaceAllRun::ReplaceAllRun(Window& window, Clock clock)
    : window_(window), clock_(std::move(clock)), started_(clock_()) {}

ReplaceAllRun::~ReplaceAllRun() { ended(); }

bool ReplaceAllRun::proceed(int64_t done, int64_t total) {
    const auto now = clock_();
    if (!hold_ && now - started_ >= kQuietFor) {
        hold_ = window_.holdModal("cmdClose");
        statusShown_ = now - kStatusEvery;
    }
    if (hold_) {
        if (now - statusShown_ >= kStatusEvery || done == total) {
            window_.setText("lblStatus", replacing(done, total));
            statusShown_ = now;
        }
        window_.pumpMessages();
    }
    return !stopped_;
}

void ReplaceAllRun::ended() {
    if (!hold_) return;
    hold_.reset();
    window_.setText("lblStatus", u"");
}

}  // namespace quillet
