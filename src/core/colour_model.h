// SPDX-License-Identifier: MIT
// The current colour and everything that shows or changes it: the three
// channel values with the texts of their fields, the hex field's text, the
// step buttons' restore values and the picking mode. Windows are views of it:
// they hand user input to the operations below and redraw on changed().
//
// The texts may differ from the values on purpose: a field keeps "05" or
// "1.5" as typed, and the hex field keeps a stored or typed text until a
// channel changes. Every operation settles fully before changed() is emitted,
// once.
#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <array>

#include "core/channel.h"
#include "core/hex_text.h"

namespace huepick {

class ColourModel : public QObject {
    Q_OBJECT
public:
    explicit ColourModel(QObject* parent = nullptr);

    int value(Channel channel) const { return m_state.values[indexOf(channel)]; }
    const Rgb& values() const { return m_state.values; }
    const QString& text(Channel channel) const { return m_state.texts[indexOf(channel)]; }
    const std::array<QString, 3>& texts() const { return m_state.texts; }
    int restoreValue(Channel channel) const { return m_state.restore[indexOf(channel)]; }
    const QString& hexText() const { return m_state.hex; }
    CaptureMode captureMode() const { return m_state.mode; }

    QColor colour() const;
    // The channel alone: (red, 0, 0), (0, green, 0) or (0, 0, blue).
    QColor channelColour(Channel channel) const;
    // What the settings file keeps: the hex text after its first character.
    QString storedText() const;
    // The text F1..F10 copy (number 1..10).
    QString notation(int number) const;

    // Start-up: the channels from a stored bare text, which the hex field then
    // shows as it was stored.
    void setStoredText(const QString& stored);
    // The user changed a channel field's text. A number is clamped to 0..255
    // (the field then shows the limit), anything else brings back the
    // channel's restore value.
    void editChannel(Channel channel, const QString& text);
    // One step of a held step button; false when the channel was already at
    // its limit, which ends the repeat.
    bool step(Channel channel, int delta);
    // The user changed the hex field's text; nothing else follows until Enter.
    void editHex(const QString& text);
    // Enter in the hex field: a text of exactly 7 characters sets the channels
    // from its last six; any other length changes nothing.
    void applyHex();
    // A pixel picked from the screen becomes the colour.
    void pick(QRgb pixel);
    void setCaptureMode(CaptureMode mode);

signals:
    void changed();

private:
    struct State {
        Rgb values{};
        std::array<QString, 3> texts;
        Rgb restore{};
        QString hex;
        CaptureMode mode = CaptureMode::None;
        bool operator==(const State&) const = default;
    };
    class Change;

    // Writing a field's text runs its change handling when the text differs,
    // nested inside the writer, as the fields do.
    void writeText(Channel channel, const QString& text);
    void textChanged(Channel channel);
    void rewriteHex();

    State m_state;
};

}  // namespace huepick
