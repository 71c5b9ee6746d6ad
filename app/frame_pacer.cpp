#include "app/frame_pacer.h"

#include <thread>

FramePacer::FramePacer(double framesPerSecond)
    : m_period(std::chrono::duration_cast<Clock::duration>(
          std::chrono::duration<double>(1.0 / framesPerSecond))) {}

FramePacer::Clock::time_point FramePacer::NextFrame(Clock::time_point now) {
    if (!m_started) {
        m_started = true;
        m_due = now + m_period;
        return m_due;
    }
    // Due times advance by whole periods from the previous one, so a sleep that overshoots a
    // little is made up by the next and the rate does not drift below the target.
    m_due += m_period;
    if (now > m_due + m_period)
        m_due = now;
    return m_due;
}

void FramePacer::Wait() {
    std::this_thread::sleep_until(NextFrame(Clock::now()));
}
