#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "engine/ReplaceAllProgress.h"
#include "platform/Window.h"

namespace quillet {

/// The Replace dialog while its Replace All runs. Once the run has taken
/// about half a second, the dialog's status line shows how far it is, the
/// user can reach nothing but its Close button (and Esc), which stops the
/// run, as under a modal dialog, and the window system delivers its
/// messages after each write, so that the host is drawn and answers.
class ReplaceAllRun : public ReplaceAllProgress {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    explicit ReplaceAllRun(Window& window, Clock clock = std::chrono::steady_clock::now);
    ~ReplaceAllRun();
    ReplaceAllRun(const ReplaceAllRun&) = delete;
    ReplaceAllRun& operator=(const ReplaceAllRun&) = delete;

    /// The user asks it to stop after the write it is making.
    void stop() { stopped_ = true; }

    bool proceed(int64_t done, int64_t total) override;
    void ended() override;

    /// How long a run goes on before it shows itself.
    static constexpr std::chrono::milliseconds kQuietFor{500};
    /// How often the status line changes at most.
    static constexpr std::chrono::milliseconds kStatusEvery{100};

private:
    Window& window_;
    Clock clock_;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point statusShown_;
    std::unique_ptr<ModalHold> hold_;
    bool stopped_ = false;
};

}  // namespace quillet
