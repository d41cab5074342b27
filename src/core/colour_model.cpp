// SPDX-License-Identifier: MIT
#include "core/colour_model.h"

#include <QLocale>
#include <algorithm>

#include "core/channel_text.h"
#include "core/notations.h"

namespace huepick {

// Announces an operation's result once, when it has settled and only if
// anything changed.
class ColourModel::Change {
public:
    explicit Change(ColourModel& model) : m_model(model), m_before(model.m_state) {}
    ~Change() {
        if (m_announce || !(m_before == m_model.m_state)) {
            emit m_model.changed();
        }
    }
    // The field that was edited must be told even when the model ends where
    // it began: a garbled text that brought back the old value.
    void announce() { m_announce = true; }
    Change(const Change&) = delete;
    Change& operator=(const Change&) = delete;

private:
    ColourModel& m_model;
    State m_before;
    bool m_announce = false;
};

ColourModel::ColourModel(QObject* parent) : QObject(parent) {
    m_state.texts.fill(QStringLiteral("0"));
    m_state.hex = QStringLiteral("#000000");
}

QColor ColourModel::colour() const {
    return QColor(value(Channel::Red), value(Channel::Green), value(Channel::Blue));
}

QColor ColourModel::channelColour(Channel channel) const {
    Rgb alone{};
    alone[indexOf(channel)] = value(channel);
    return QColor(alone[0], alone[1], alone[2]);
}

QString ColourModel::storedText() const {
    return m_state.hex.mid(1, 6);
}

QString ColourModel::notation(int number) const {
    return notationText(number, m_state.hex, m_state.texts);
}

void ColourModel::setStoredText(const QString& stored) {
    Change change(*this);
    const Rgb rgb = channelsOfHex(stored);
    for (Channel c : kChannels) {
        writeText(c, QString::number(rgb[indexOf(c)]));
    }
    m_state.values = rgb;
    // Shown as stored, even where it disagrees with the channels.
    m_state.hex = u'#' + stored;
}

void ColourModel::editChannel(Channel channel, const QString& text) {
    Change change(*this);
    writeText(channel, text);
    if (this->text(channel) != text) {
        change.announce();
    }
}

bool ColourModel::step(Channel channel, int delta) {
    Change change(*this);
    int& v = m_state.values[indexOf(channel)];
    const int next = std::clamp(v + delta, 0, 255);
    const bool atLimit = next != v + delta;
    v = next;
    m_state.restore[indexOf(channel)] = next;
    if (atLimit) {
        return false;
    }
    writeText(channel, QString::number(next));
    rewriteHex();
    return true;
}

void ColourModel::editHex(const QString& text) {
    Change change(*this);
    m_state.hex = text;
}

void ColourModel::applyHex() {
    if (m_state.hex.size() != 7) {
        return;
    }
    Change change(*this);
    // The first character is not looked at; it need not be "#".
    const Rgb rgb = channelsOfHex(QStringView(m_state.hex).mid(1));
    for (Channel c : kChannels) {
        writeText(c, QString::number(rgb[indexOf(c)]));
    }
    // The hex text is rewritten only if a channel field changed above, so a
    // text that names the current colour stays as typed.
    m_state.values = rgb;
}

void ColourModel::pick(QRgb pixel) {
    Change change(*this);
    const Rgb rgb{qRed(pixel), qGreen(pixel), qBlue(pixel)};
    for (Channel c : kChannels) {
        m_state.values[indexOf(c)] = rgb[indexOf(c)];
        writeText(c, QString::number(rgb[indexOf(c)]));
    }
    m_state.hex = hexOf(rgb);
}

void ColourModel::setCaptureMode(CaptureMode mode) {
    Change change(*this);
    m_state.mode = mode;
}

void ColourModel::writeText(Channel channel, const QString& text) {
    QString& current = m_state.texts[indexOf(channel)];
    if (current == text) {
        return;
    }
    current = text;
    textChanged(channel);
}

void ColourModel::textChanged(Channel channel) {
    const std::size_t i = indexOf(channel);
    const ChannelNumber number =
        parseChannelText(m_state.texts[i], QLocale().decimalPoint().front());
    switch (number.status) {
        case ChannelNumber::Status::Overflow:
            // Beyond 16 bits: everything stays as it was, the text included.
            return;
        case ChannelNumber::Status::TypeMismatch: {
            // Not a number: the restore value comes back through the field.
            const int restore = m_state.restore[i];
            writeText(channel, QString::number(restore));
            m_state.values[i] = restore;
            return;
        }
        case ChannelNumber::Status::Ok:
            break;
    }
    m_state.values[i] = number.value;
    if (number.value > 255) {
        m_state.values[i] = 255;
        writeText(channel, QStringLiteral("255"));
    } else if (number.value < 0) {
        m_state.values[i] = 0;
        writeText(channel, QStringLiteral("0"));
    }
    rewriteHex();
}

void ColourModel::rewriteHex() {
    m_state.hex = hexOf(m_state.values);
}

}  // namespace huepick
