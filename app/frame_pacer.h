// Paces the display loop to a frame rate: the display callback waits out the rest of each frame
// instead of drawing frames back to back.
#pragma once

#include <chrono>

class FramePacer {
public:
    using Clock = std::chrono::steady_clock;

    explicit FramePacer(double framesPerSecond);

    // When the frame after the one drawn by now may start; advances the schedule. A loop that
    // fell behind by more than a frame starts again from now rather than racing to catch up.
    Clock::time_point NextFrame(Clock::time_point now);

    // Sleeps until NextFrame(now).
    void Wait();

private:
    Clock::duration m_period;
    Clock::time_point m_due{}; // when the next frame may start
    bool m_started = false;
};
