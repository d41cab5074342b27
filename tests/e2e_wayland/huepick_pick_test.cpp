// SPDX-License-Identifier: MIT
// Picking on a headless Wayland desktop through the screenshot portal: exact
// device pixels at scales 1 and 2 up to the last row and column, the lens, a
// right-click cancel, a portal that is missing, refuses or is cancelled, and
// `huepick --pick`.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/layout.h"
#include "core/pick_geometry.h"
#include "huepick_in_session.h"
#include "sway_required.h"

namespace e2e::wayland {
namespace {

using huepick::layout::Role;
using huepick::layout::windowRect;

QPointF centreOf(Role role) {
    return QRectF(windowRect(role)).center();
}

// Every device pixel says where it is.
QRgb patternAt(QPoint p) {
    return qRgb(p.x() & 0xff, p.y() & 0xff, (p.x() >> 8) | ((p.y() >> 8) << 4));
}

QString hexOf(QRgb c) {
    return QStringLiteral("#%1%2%3")
        .arg(qRed(c), 2, 16, QChar(u'0'))
        .arg(qGreen(c), 2, 16, QChar(u'0'))
        .arg(qBlue(c), 2, 16, QChar(u'0'))
        .toUpper();
}

// A session whose background is the pattern at device resolution, and
// huepick in it.
class PickTest : public ::testing::Test {
protected:
    void startAt(int scale, Portal portal = Portal::Real) {
        ASSERT_NO_FATAL_FAILURE(startSession(scale, portal));
        if (IsSkipped()) {
            return;
        }
        m_app = std::make_unique<HuepickInSession>(*m_session, iniWithColour("123456"));
        ASSERT_TRUE(m_app->start()) << m_app->error().toStdString();
    }

    // The session alone, with nothing of the program's running in it.
    void startSession(int scale, Portal portal = Portal::Real) {
        SKIP_WITHOUT_SWAY();
        ASSERT_TRUE(m_folder.isValid());
        QImage pattern(QSize(1920, 1080), QImage::Format_RGB32);
        for (int y = 0; y < pattern.height(); ++y) {
            for (int x = 0; x < pattern.width(); ++x) {
                pattern.setPixel(x, y, patternAt({x, y}));
            }
        }
        const QString file = m_folder.filePath(QStringLiteral("pattern.png"));
        ASSERT_TRUE(pattern.save(file));
        QFile::setPermissions(m_folder.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                   QFile::ExeOwner | QFile::ReadOther |
                                                   QFile::ExeOther);
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        SessionOptions options;
        options.scale = scale;
        options.portal = portal;
        options.backgroundImage = file;
        m_scale = scale;
        m_session = std::make_unique<WaylandSession>(options);
        ASSERT_TRUE(m_session->ok()) << m_session->error().toStdString();
    }

    // Presses the button that starts a pick and waits for the picking window.
    void openPick(Role button) {
        ASSERT_TRUE(m_app->click(centreOf(button)));
        ASSERT_TRUE(m_app->waitPickingWindows(1)) << m_app->stderrText().toStdString();
    }
    // The logical point at the centre of a device pixel.
    QPointF logicalOf(QPoint device) const {
        return (QPointF(device) + QPointF(0.5, 0.5)) / m_scale;
    }
    QString shownHex() { return m_app->copyField(centreOf(Role::HexField)).value_or(QString()); }

    QTemporaryDir m_folder{QDir::tempPath() + QStringLiteral("/huepick-pattern-XXXXXX")};
    int m_scale = 1;
    std::unique_ptr<WaylandSession> m_session;
    std::unique_ptr<HuepickInSession> m_app;
};

class SamplePick : public PickTest, public ::testing::WithParamInterface<int> {};

TEST_P(SamplePick, PicksTheExactDevicePixelUpToTheLastRowAndColumn) {
    ASSERT_NO_FATAL_FAILURE(startAt(GetParam()));
    for (QPoint device : {QPoint(0, 0), QPoint(1919, 1079), QPoint(301, 17), QPoint(1000, 1)}) {
        SCOPED_TRACE(::testing::Message() << device.x() << "," << device.y());
        ASSERT_NO_FATAL_FAILURE(openPick(Role::SampleButton));
        ASSERT_TRUE(m_session->click(logicalOf(device)));
        ASSERT_TRUE(m_app->waitPickingWindows(0));
        EXPECT_EQ(shownHex(), hexOf(patternAt(device)));
    }
    EXPECT_EQ(m_app->stderrText(), QString());
}

INSTANTIATE_TEST_SUITE_P(Scales, SamplePick, ::testing::Values(1, 2));

TEST_F(PickTest, LensPicksThePixelItShowsNextToTheClick) {
    ASSERT_NO_FATAL_FAILURE(startAt(2));
    ASSERT_NO_FATAL_FAILURE(openPick(Role::MagnifyButton));
    const QPoint click(1800, 1000);
    ASSERT_TRUE(m_session->click(logicalOf(click)));
    EXPECT_EQ(m_app->pickingWindows(), 1) << "the first click only shows the lens";
    // Near the bottom-right corner the lens opens to the upper left.
    const int size = huepick::lens::deviceSize(2);
    const QPoint origin =
        huepick::lens::originNear(click, size, huepick::lens::kGap * 2, QRect(0, 0, 1920, 1080));
    EXPECT_LT(origin.x(), click.x());
    const QPoint inLens(size / 2, size / 2);
    ASSERT_TRUE(m_session->click(logicalOf(origin + inLens)));
    ASSERT_TRUE(m_app->waitPickingWindows(0));
    EXPECT_EQ(shownHex(), hexOf(patternAt(huepick::lens::sourcePixel(click, inLens, size))));
}

TEST_F(PickTest, RightClickCancelsAndKeepsTheColour) {
    ASSERT_NO_FATAL_FAILURE(startAt(1));
    ASSERT_NO_FATAL_FAILURE(openPick(Role::SampleButton));
    ASSERT_TRUE(m_session->click(QPointF(50, 50), Qt::RightButton));
    ASSERT_TRUE(m_app->waitPickingWindows(0));
    EXPECT_EQ(shownHex(), QStringLiteral("#123456"));
}

struct PortalCase {
    const char* name;
    Portal portal;
    bool reported;
};

void PrintTo(const PortalCase& c, std::ostream* os) {
    *os << c.name;
}

class NoScreenshot : public PickTest, public ::testing::WithParamInterface<PortalCase> {};

TEST_P(NoScreenshot, ShowsNoPickingWindowAndKeepsTheColour) {
    ASSERT_NO_FATAL_FAILURE(startAt(1, GetParam().portal));
    ASSERT_TRUE(m_app->click(centreOf(Role::SampleButton)));
    // Long enough for an answer, and for a picking window to have shown.
    EXPECT_FALSE(m_app->waitPickingWindows(1, 1500));
    EXPECT_EQ(shownHex(), QStringLiteral("#123456"));
    const QString err = m_app->stderrText();
    EXPECT_EQ(err.count(u'\n'), GetParam().reported ? 1 : 0) << err.toStdString();
    // The program goes on: a pick can be tried again.
    ASSERT_TRUE(m_app->click(centreOf(Role::CloseButton)));
    EXPECT_EQ(m_app->waitExit(), 0);
    EXPECT_EQ(m_app->storedColour(), QStringLiteral("123456"));
}

INSTANTIATE_TEST_SUITE_P(Portals, NoScreenshot,
                         ::testing::Values(PortalCase{"absent", Portal::Absent, true},
                                           PortalCase{"refuses", Portal::Refuses, true},
                                           PortalCase{"cancelled", Portal::Cancels, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// `huepick --pick` with no window of its own: its picking window alone, and
// the picked device pixel printed.
TEST_F(PickTest, PickCommandPrintsTheClickedDevicePixel) {
    SKIP_WITHOUT_SWAY();
    ASSERT_NO_FATAL_FAILURE(startSession(2));
    HuepickInSession app(*m_session);
    std::unique_ptr<SessionProgram> pick = app.run({QStringLiteral("--pick")});
    ASSERT_TRUE(pick) << app.error().toStdString();
    ASSERT_TRUE(m_session->waitWindow(pick->pid(), 10000)) << pick->stderrText().toStdString();
    EXPECT_EQ(m_session->windowsOf(pick->pid()).size(), 1u) << "more than the picking window";
    const QPoint device(1001, 517);
    ASSERT_TRUE(m_session->click(logicalOf(device)));
    EXPECT_EQ(pick->waitExit(5000), 0) << pick->stderrText().toStdString();
    EXPECT_EQ(pick->lines(), QStringList{hexOf(patternAt(device))});
}

TEST_F(PickTest, PickCommandWithoutThePortalSaysSoAndExitsWithStatusOne) {
    SKIP_WITHOUT_SWAY();
    ASSERT_NO_FATAL_FAILURE(startSession(1, Portal::Absent));
    HuepickInSession app(*m_session);
    std::unique_ptr<SessionProgram> pick = app.run({QStringLiteral("--pick")});
    ASSERT_TRUE(pick) << app.error().toStdString();
    EXPECT_EQ(pick->waitExit(10000), 1) << pick->stderrText().toStdString();
    EXPECT_EQ(pick->lines(), QStringList());
    const QString err = pick->stderrText();
    EXPECT_EQ(err.count(u'\n'), 1) << err.toStdString();
}

}  // namespace
}  // namespace e2e::wayland
