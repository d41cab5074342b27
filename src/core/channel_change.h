// What happens when a channel field's text changes, whoever changed it.
#pragma once

#include <QChar>
#include <QString>
#include <cstdint>

namespace huepick {

// The displays one channel's change handling touches.
class ChannelDisplays {
public:
    virtual ~ChannelDisplays() = default;
    virtual QString field_text() const = 0;
    // Must run the change handling again, at once, when the text differs.
    virtual void set_field_text(const QString& text) = 0;
    // Shows the value in the channel's own colour on its swatch.
    virtual void paint_swatch(std::int16_t value) = 0;
    // Repaints the colour swatch from the current colour.
    virtual void paint_colour() = 0;
    // Rewrites the hex field from the current colour.
    virtual void find_hex() = 0;
};

// Converts the field's text into `channel`, clamps it to 0..255 (rewriting the
// field, which nests a run), repaints, and brings back `restore` when the text is
// no number. A number beyond 16 bits leaves everything as it was.
void channel_change(ChannelDisplays& displays, std::int16_t& channel, std::int16_t restore,
                    QChar decimal_point);

}  // namespace huepick
