// SPDX-License-Identifier: MIT
// The main window's controls: one row each, in stacking order (later rows lie
// above earlier ones). The window, its skin, the tests and the artwork
// generator all read this table, so a control's place is written only here.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/channel.h"

namespace huepick::layout {

inline constexpr QSize kWindowSize{400, 300};

enum class Role : std::uint8_t {
    RedSwatch,
    GreenSwatch,
    BlueSwatch,
    ColourSwatch,
    RedFrame,
    RedField,
    GreenFrame,
    GreenField,
    BlueFrame,
    BlueField,
    HexFrame,
    HexField,
    RedUp,
    RedDown,
    GreenUp,
    GreenDown,
    BlueUp,
    BlueDown,
    SampleButton,
    MagnifyButton,
    CloseButton,
    ExportButton,
    HelpButton,
    LogButton,
};

enum class Kind : std::uint8_t {
    Swatch,  // a solid colour cut to the shape of its mask; takes no input
    Frame,   // a picture that holds an entry field
    Field,   // a single-line text field inside its frame
    Button,  // a picture with a released and a pressed image
};

enum class Pointer : std::uint8_t { Inherit, Arrow };

struct Control {
    Role role;
    Kind kind;
    // The widget's objectName, by which tests find it.
    std::string_view name;
    // In the parent's coordinates: the window's, or the frame's for a field.
    QRect rect;
    std::optional<Role> parent;
    // Artwork under :/skin/: a button's released image, a frame's picture or
    // a swatch's shape mask.
    std::string_view art;
    // A button's pressed image.
    std::string_view pressedArt;
    Pointer pointer;
    // What a screen reader announces, and the tooltip.
    std::string_view accessibleName;
    std::string_view toolTip;
    // Characters a field takes from the keyboard.
    int typingLimit;
};

namespace rows {
using enum Role;
using enum Kind;
// clang-format off
inline constexpr std::array<Control, 24> kControls{{
    {RedSwatch, Swatch, "redSwatch", {31, 23, 77, 64}, {}, "red_swatch_mask", {}, Pointer::Inherit, "Red swatch", "Red channel", 0},
    {GreenSwatch, Swatch, "greenSwatch", {42, 99, 77, 76}, {}, "green_swatch_mask", {}, Pointer::Inherit, "Green swatch", "Green channel", 0},
    {BlueSwatch, Swatch, "blueSwatch", {30, 185, 72, 81}, {}, "blue_swatch_mask", {}, Pointer::Inherit, "Blue swatch", "Blue channel", 0},
    {ColourSwatch, Swatch, "colourSwatch", {276, 36, 83, 68}, {}, "colour_swatch_mask", {}, Pointer::Inherit, "Colour swatch", "Current colour", 0},
    {RedFrame, Frame, "redFrame", {152, 77, 50, 47}, {}, "red_frame", {}, Pointer::Arrow, "Red channel", "Red, 0 to 255", 0},
    {RedField, Field, "redField", {14, 16, 24, 17}, RedFrame, {}, {}, Pointer::Arrow, "Red", "Red, 0 to 255", 3},
    {GreenFrame, Frame, "greenFrame", {162, 135, 54, 54}, {}, "green_frame", {}, Pointer::Arrow, "Green channel", "Green, 0 to 255", 0},
    {GreenField, Field, "greenField", {17, 18, 24, 17}, GreenFrame, {}, {}, Pointer::Inherit, "Green", "Green, 0 to 255", 3},
    {BlueFrame, Frame, "blueFrame", {157, 194, 56, 52}, {}, "blue_frame", {}, Pointer::Inherit, "Blue channel", "Blue, 0 to 255", 0},
    {BlueField, Field, "blueField", {17, 20, 24, 17}, BlueFrame, {}, {}, Pointer::Arrow, "Blue", "Blue, 0 to 255", 3},
    {HexFrame, Frame, "hexFrame", {274, 99, 82, 43}, {}, "hex_frame", {}, Pointer::Inherit, "Hex colour", "#RRGGBB: Enter applies it; F1 to F10 copy it as HTML, CSS or RGB text", 0},
    {HexField, Field, "hexField", {10, 14, 56, 19}, HexFrame, {}, {}, Pointer::Arrow, "Hex colour", "#RRGGBB: Enter applies it; F1 to F10 copy it as HTML, CSS or RGB text", 7},
    {RedUp, Button, "redUp", {119, 63, 34, 29}, {}, "red_up", "red_up_pressed", Pointer::Inherit, "Red up", "More red (hold to repeat)", 0},
    {RedDown, Button, "redDown", {110, 85, 34, 32}, {}, "red_down", "red_down_pressed", Pointer::Inherit, "Red down", "Less red (hold to repeat)", 0},
    {GreenUp, Button, "greenUp", {128, 123, 36, 26}, {}, "green_up", "green_up_pressed", Pointer::Inherit, "Green up", "More green (hold to repeat)", 0},
    {GreenDown, Button, "greenDown", {125, 151, 34, 24}, {}, "green_down", "green_down_pressed", Pointer::Inherit, "Green down", "Less green (hold to repeat)", 0},
    {BlueUp, Button, "blueUp", {107, 188, 32, 36}, {}, "blue_up", "blue_up_pressed", Pointer::Inherit, "Blue up", "More blue (hold to repeat)", 0},
    {BlueDown, Button, "blueDown", {120, 209, 38, 38}, {}, "blue_down", "blue_down_pressed", Pointer::Inherit, "Blue down", "Less blue (hold to repeat)", 0},
    {SampleButton, Button, "sampleButton", {282, 174, 42, 36}, {}, "sample", "sample_pressed", Pointer::Inherit, "Sample", "Sample a Color from the Screen", 0},
    {MagnifyButton, Button, "magnifyButton", {244, 207, 44, 36}, {}, "magnify", "magnify_pressed", Pointer::Inherit, "Magnify", "Magnify and Sample a Portion of the Screen", 0},
    {CloseButton, Button, "closeButton", {310, 143, 36, 31}, {}, "close", "close_pressed", Pointer::Inherit, "Exit", "Exit", 0},
    {ExportButton, Button, "exportButton", {228, 36, 38, 32}, {}, "export", "export_pressed", Pointer::Inherit, "Export to the colour log", "Export Current Color Value to HTML Color Log", 0},
    {HelpButton, Button, "helpButton", {210, 224, 33, 33}, {}, "help", "help_pressed", Pointer::Inherit, "Help", "Help", 0},
    {LogButton, Button, "logButton", {240, 67, 37, 29}, {}, "log", "log_pressed", Pointer::Inherit, "View the colour log", "View HTML Color Log", 0},
}};
// clang-format on
}  // namespace rows

using rows::kControls;

// The rows follow the order of Role, so a role is its row's index.
static_assert([] {
    for (std::size_t i = 0; i < kControls.size(); ++i) {
        if (static_cast<std::size_t>(kControls[i].role) != i) {
            return false;
        }
    }
    return true;
}());

constexpr const Control& control(Role role) {
    return kControls[static_cast<std::size_t>(role)];
}

// The control's rectangle in window coordinates.
constexpr QRect windowRect(Role role) {
    const Control& c = control(role);
    return c.parent ? c.rect.translated(control(*c.parent).rect.topLeft()) : c.rect;
}

// The channel a swatch, field or step button shows or changes.
constexpr std::optional<Channel> channelOf(Role role) {
    switch (role) {
        case Role::RedSwatch:
        case Role::RedField:
        case Role::RedUp:
        case Role::RedDown:
            return Channel::Red;
        case Role::GreenSwatch:
        case Role::GreenField:
        case Role::GreenUp:
        case Role::GreenDown:
            return Channel::Green;
        case Role::BlueSwatch:
        case Role::BlueField:
        case Role::BlueUp:
        case Role::BlueDown:
            return Channel::Blue;
        default:
            return std::nullopt;
    }
}

// What one step of a step button adds to its channel.
constexpr int stepOf(Role role) {
    return role == Role::RedUp || role == Role::GreenUp || role == Role::BlueUp ? +1 : -1;
}

// A text of the table as Qt wants it.
inline QString text(std::string_view s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace huepick::layout
