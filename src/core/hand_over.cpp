#include "core/hand_over.h"

#include "core/colour.h"

namespace huepick {

void hand_over(PickTarget& target, std::int32_t colour_value) {
    target.paint_colorme(colour_value);
    const HexText hex = color_to_hex(colour_value);
    target.set_channel(Channel::Red, hex_pair(hex_part(u"R", hex.view())));
    target.set_channel(Channel::Green, hex_pair(hex_part(u"G", hex.view())));
    target.set_channel(Channel::Blue, hex_pair(hex_part(u"B", hex.view())));
    target.set_hex_text(u'#' + hex.str());
}

}  // namespace huepick
