#include "core/channel_change.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qt_print.h"

namespace huepick {
namespace {

// A channel field that behaves like the real one: a changed text runs the
// change handling again at once, nested. Every call is recorded with its
// nesting depth and, for the repaints, the channel value at that moment.
class RecordingField : public ChannelDisplays {
public:
    RecordingField(QString text, std::int16_t& channel, std::int16_t restore)
        : text_(std::move(text)), channel_(channel), restore_(restore) {}

    void type(const QString& text) {
        if (text != text_) {
            text_ = text;
            run();
        }
    }

    QString field_text() const override { return text_; }
    void set_field_text(const QString& text) override {
        record("set " + text.toStdString());
        type(text);
    }
    void paint_swatch(std::int16_t value) override { record("swatch " + std::to_string(value)); }
    void paint_colour() override { record("colour " + std::to_string(channel_)); }
    void find_hex() override { record("hex " + std::to_string(channel_)); }

    const std::vector<std::string>& calls() const { return calls_; }
    const QString& text() const { return text_; }

private:
    void run() {
        ++depth_;
        channel_change(*this, channel_, restore_, u'.');
        --depth_;
    }
    void record(const std::string& call) { calls_.push_back(std::to_string(depth_) + ": " + call); }

    QString text_;
    std::int16_t& channel_;
    std::int16_t restore_;
    int depth_ = 0;
    std::vector<std::string> calls_;
};

using Calls = std::vector<std::string>;

TEST(ChannelChange, PlainNumberRepaintsOnce) {
    std::int16_t channel = 0;
    RecordingField field(QStringLiteral("0"), channel, 0);
    field.type(QStringLiteral("128"));
    EXPECT_EQ(channel, 128);
    EXPECT_EQ(field.text(), u"128");
    EXPECT_EQ(field.calls(), (Calls{"1: swatch 128", "1: colour 128", "1: hex 128"}));
}

TEST(ChannelChange, ValueAboveRangeIsClampedThroughANestedRun) {
    std::int16_t channel = 7;
    RecordingField field(QStringLiteral("7"), channel, 0);
    field.type(QStringLiteral("300"));
    EXPECT_EQ(channel, 255);
    EXPECT_EQ(field.text(), u"255");
    // The nested run finishes before the outer run repaints, and both see 255.
    EXPECT_EQ(field.calls(), (Calls{"1: swatch 300", "1: swatch 255", "1: set 255", "2: swatch 255",
                                    "2: colour 255", "2: hex 255", "1: colour 255", "1: hex 255"}));
}

TEST(ChannelChange, NegativeValueBecomesZero) {
    std::int16_t channel = 12;
    RecordingField field(QStringLiteral("12"), channel, 40);
    field.type(QStringLiteral("-12"));
    EXPECT_EQ(channel, 0);
    EXPECT_EQ(field.text(), u"0");
    EXPECT_EQ(field.calls(), (Calls{"1: swatch -12", "1: swatch 0", "1: set 0", "2: swatch 0",
                                    "2: colour 0", "2: hex 0", "1: colour 0", "1: hex 0"}));
}

TEST(ChannelChange, NonNumberBringsBackTheRestoreValue) {
    std::int16_t channel = 12;
    RecordingField field(QStringLiteral("12"), channel, 200);
    field.type(QStringLiteral("12a"));
    EXPECT_EQ(channel, 200);
    EXPECT_EQ(field.text(), u"200");
    // Only the nested run repaints the colour and the hex text; the recovery
    // itself repaints the channel swatch last.
    EXPECT_EQ(field.calls(), (Calls{"1: set 200", "2: swatch 200", "2: colour 200", "2: hex 200",
                                    "1: swatch 200"}));
}

TEST(ChannelChange, EmptyFieldBringsBackZeroBeforeAnyStep) {
    std::int16_t channel = 9;
    RecordingField field(QStringLiteral("9"), channel, 0);
    field.type(QString());
    EXPECT_EQ(channel, 0);
    EXPECT_EQ(field.text(), u"0");
    EXPECT_EQ(field.calls().back(), "1: swatch 0");
}

TEST(ChannelChange, FractionKeepsItsTextAndRoundsTheValue) {
    std::int16_t channel = 0;
    RecordingField field(QStringLiteral("0"), channel, 0);
    field.type(QStringLiteral("1.5"));
    EXPECT_EQ(channel, 2);
    EXPECT_EQ(field.text(), u"1.5");
    field.type(QStringLiteral("2.5"));
    EXPECT_EQ(channel, 2);
    field.type(QStringLiteral("05"));
    EXPECT_EQ(channel, 5);
    EXPECT_EQ(field.text(), u"05");
}

TEST(ChannelChange, NumberBeyondSixteenBitsChangesNothing) {
    std::int16_t channel = 42;
    RecordingField field(QStringLiteral("42"), channel, 200);
    field.type(QStringLiteral("99999"));
    EXPECT_EQ(channel, 42);
    EXPECT_EQ(field.text(), u"99999");
    EXPECT_TRUE(field.calls().empty());
}

}  // namespace
}  // namespace huepick
