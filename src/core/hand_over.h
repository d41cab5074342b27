// How a picked pixel becomes the main window's current colour.
#pragma once

#include <QPoint>
#include <QString>
#include <cstdint>

#include "core/app_state.h"

namespace huepick {

// What the hand-over writes on the main window.
class PickTarget {
public:
    virtual ~PickTarget() = default;
    virtual void paint_colorme(std::int32_t colour_value) = 0;
    // Paints the channel's swatch with the value alone, sets the channel and
    // writes the value into the channel field (which runs its change handling).
    virtual void set_channel(Channel channel, std::int16_t value) = 0;
    virtual void set_hex_text(const QString& text) = 0;
};

// Writes `colour_value` into `target`: the colour swatch, then red, green and
// blue, then the hex field.
void hand_over(PickTarget& target, std::int32_t colour_value);

}  // namespace huepick
