// The state every window shares: the current colour, the step buttons' restore
// values and the picking mode. One object, owned by the application and handed
// to whoever needs it.
#pragma once

#include <cstdint>

namespace huepick {

enum class Channel { Red, Green, Blue };

enum class CaptureMode : std::int16_t { None = 0, Sample = 1, Magnify = 2 };

struct AppState {
    std::int16_t cur_R = 0;
    std::int16_t cur_G = 0;
    std::int16_t cur_B = 0;
    // Written by the step buttons, put back when a channel field holds no number.
    std::int16_t restore_R = 0;
    std::int16_t restore_G = 0;
    std::int16_t restore_B = 0;
    CaptureMode capture_mode = CaptureMode::None;

    std::int16_t& cur(Channel c) {
        return c == Channel::Red ? cur_R : c == Channel::Green ? cur_G : cur_B;
    }
    std::int16_t& restore(Channel c) {
        return c == Channel::Red ? restore_R : c == Channel::Green ? restore_G : restore_B;
    }
};

}  // namespace huepick
