// A main window on the offscreen platform, with its settings file in a
// temporary folder and a clipboard and shell that only record what they are
// asked to do.
#pragma once

#include <gtest/gtest.h>

#include <QFile>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "ui/main_form.h"
#include "qt_print.h"

inline void PrintTo(const QColor& colour, std::ostream* os) {
    *os << "QColor(" << colour.red() << ", " << colour.green() << ", " << colour.blue() << ")";
}

namespace huepick::testing {

using namespace Qt::StringLiterals;

class FakeClipboard : public Clipboard {
public:
    void clear() override { calls.push_back("clear"); }
    void set_text(const QString& text) override { calls.push_back("set " + text.toStdString()); }
    std::vector<std::string> calls;
};

class FakeShell : public Shell {
public:
    void open(const QString& path) override { opened.push_back(path); }
    std::vector<QString> opened;
};

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        places_ = {dir_.filePath(u"huepick.ini"_s), dir_.filePath(u"huepick.html"_s),
                   dir_.filePath(u"help.html"_s)};
    }

    void TearDown() override { form_.reset(); }

    // Writes the settings file as a previous run would have left it.
    void store(const QByteArray& lastcolor) {
        write_settings("[settings]\nlastcolor=" + lastcolor + "\n");
    }
    void write_settings(const QByteArray& bytes) {
        QFile f(places_.ini_file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray settings_bytes() const {
        QFile f(places_.ini_file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Loads the window and shows it, active, as the program does at start.
    void start() {
        form_ = std::make_unique<main_form>(state_,
                                            main_form::Services{ini_, clipboard_, shell_, places_});
        form_->Form_Load();
        form_->show();
        form_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
    }

    main_form& form() { return *form_; }

    // Selects the whole text and types over it, key by key.
    static void type_over(QLineEdit* field, const QString& typed) {
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, typed);
    }

    // A pointer movement with no button held, delivered straight to `target`.
    static void pointer_moves_over(QWidget* target, QPoint pos = {2, 2}) {
        QMouseEvent move(QEvent::MouseMove, QPointF(pos), QPointF(target->mapToGlobal(pos)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(target, &move);
    }

    std::array<int, 3> fields() const {
        return {form_->txt_R->text().toInt(), form_->txt_G->text().toInt(),
                form_->txt_B->text().toInt()};
    }
    std::array<int, 3> channels() const { return {state_.cur_R, state_.cur_G, state_.cur_B}; }

    QTemporaryDir dir_;
    StorageLocations places_;
    AppState state_;
    IniMod ini_;
    FakeClipboard clipboard_;
    FakeShell shell_;
    std::unique_ptr<main_form> form_;
};

using Calls = std::vector<std::string>;
using Triple = std::array<int, 3>;

}  // namespace huepick::testing
