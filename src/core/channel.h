// SPDX-License-Identifier: MIT
// The three channels of the current colour, and the two ways of picking.
#pragma once

#include <array>

namespace huepick {

enum class Channel { Red, Green, Blue };

inline constexpr std::array kChannels{Channel::Red, Channel::Green, Channel::Blue};

constexpr std::size_t indexOf(Channel channel) {
    return static_cast<std::size_t>(channel);
}

// Sample picks the pixel under a click; Magnify first shows a lens and picks
// from it.
enum class CaptureMode { None, Sample, Magnify };

}  // namespace huepick
