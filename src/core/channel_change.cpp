#include "core/channel_change.h"

#include "core/channel_text.h"

namespace huepick {

void channel_change(ChannelDisplays& displays, std::int16_t& channel, std::int16_t restore,
                    QChar decimal_point) {
    const ChannelNumber number = convert_channel_text(displays.field_text(), decimal_point);
    if (number.status == ChannelNumber::Status::Overflow) {
        return;
    }
    if (number.status == ChannelNumber::Status::Ok) {
        channel = number.value;
        displays.paint_swatch(channel);
        if (channel > 255) {
            channel = 255;
            displays.paint_swatch(255);
            displays.set_field_text(QStringLiteral("255"));
        }
        if (channel < 0) {
            channel = 0;
            displays.paint_swatch(0);
            displays.set_field_text(QStringLiteral("0"));
        }
        displays.paint_colour();
        displays.find_hex();
        return;
    }
    // Not a number: the restore value comes back through the field, so the
    // nested run repaints and rewrites the hex text; then value, swatch and field
    // agree.
    displays.set_field_text(QString::number(restore));
    channel = restore;
    displays.paint_swatch(channel);
}

}  // namespace huepick
