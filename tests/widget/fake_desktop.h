// SPDX-License-Identifier: MIT
// A desktop the tests control: a screen whose pixels name their own positions,
// a pointer placed in device pixels, and a clipboard, shell and tray that
// only record what they are asked to do.
#pragma once

#include <QApplication>
#include <QImage>
#include <QWindow>
#include <memory>
#include <string>
#include <vector>

#include "core/pick_geometry.h"
#include "platform/desktop.h"

namespace huepick::testing {

// R = x & 255, G = y & 255, B = ((x >> 8) & 15) | ((y >> 8) << 4), for
// positions within the image.
inline QRgb pattern(QPoint pixel) {
    const int x = pixel.x();
    const int y = pixel.y();
    return qRgb(x & 255, y & 255, ((x >> 8) & 15) | (((y >> 8) & 15) << 4));
}

inline QImage patternImage(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            image.setPixel(x, y, pattern({x, y}));
        }
    }
    return image;
}

// Lines the program printed on stderr, leaving out Qt's own warnings.
inline int ourLines(const std::string& err) {
    int lines = 0;
    for (std::size_t at = 0; (at = err.find("huepick: ", at)) != std::string::npos; ++at) {
        ++lines;
    }
    return lines;
}

struct FakeScreen {
    QImage image = patternImage({800, 600});
    QRect area{0, 0, 800, 600};
    QPoint pointer;
    int grabs = 0;
    bool grabbedWhilePicking = false;
    QString failure;  // when set, grabs fail with it
    // As on Wayland: the copy is laid out by screens, and windows cannot
    // learn their place.
    std::optional<ScreenLayout> layout;
    bool windowsKnowTheirPlace = true;
    // As from the desktop portal: a grab answers only when the test calls
    // FakeGrabber::answer() or cancel().
    bool answersLater = false;
};

class FakeGrabber : public ScreenGrabber {
public:
    explicit FakeGrabber(std::shared_ptr<FakeScreen> screen) : m_screen(std::move(screen)) {}
    void grab() override {
        ++m_screen->grabs;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String("captureWindow") && w->isVisible()) {
                m_screen->grabbedWhilePicking = true;
            }
        }
        if (!m_screen->answersLater) {
            answer();
        }
    }
    bool laysOutByScreens() const override { return m_screen->answersLater; }

    void answer() {
        if (!m_screen->failure.isEmpty()) {
            emit failed(m_screen->failure);
        } else {
            emit grabbed({m_screen->image, m_screen->area, m_screen->layout});
        }
    }
    void cancel() { emit cancelled(); }

private:
    std::shared_ptr<FakeScreen> m_screen;
};

class FakePointer : public PointerLocator {
public:
    explicit FakePointer(std::shared_ptr<FakeScreen> screen) : m_screen(std::move(screen)) {}
    QPoint devicePixel(const QWindow&, QPointF) override { return m_screen->pointer; }
    std::optional<QPoint> deviceOrigin(const QWindow& window) override {
        if (!m_screen->windowsKnowTheirPlace) {
            return std::nullopt;
        }
        return ScreenMapping{{0, 0}, window.devicePixelRatio()}.toDevice(window.position());
    }

private:
    std::shared_ptr<FakeScreen> m_screen;
};

class FakeClipboard : public Clipboard {
public:
    void copy(const QString& text) override { copied.push_back(text); }
    std::vector<QString> copied;
};

class FakeShell : public Shell {
public:
    void open(const QString& path, Failure failed) override {
        opened.push_back(path);
        if (fails) {
            failed(QStringLiteral("no viewer"));
        }
    }
    std::vector<QString> opened;
    bool fails = false;
};

class FakeTray : public TrayIcon {
public:
    void show(const QIcon&, const QString& toolTip) override { shownTip = toolTip; }
    void setMenu(QMenu* m) override { menu = m; }
    bool available() const override { return isAvailable; }
    void click() { emit activated(); }
    bool isAvailable = true;
    QString shownTip;
    QMenu* menu = nullptr;
};

// Makes a Desktop of fakes and keeps a handle on each.
struct FakeDesktop {
    std::shared_ptr<FakeScreen> screen = std::make_shared<FakeScreen>();
    FakeGrabber* grabber = nullptr;
    FakeClipboard* clipboard = nullptr;
    FakeShell* shell = nullptr;
    FakeTray* tray = nullptr;

    Desktop make() {
        Desktop desktop;
        auto g = std::make_unique<FakeGrabber>(screen);
        grabber = g.get();
        desktop.grabber = std::move(g);
        desktop.pointer = std::make_unique<FakePointer>(screen);
        desktop.mover = std::make_unique<FollowingWindowMover>();
        auto c = std::make_unique<FakeClipboard>();
        clipboard = c.get();
        desktop.clipboard = std::move(c);
        auto s = std::make_unique<FakeShell>();
        shell = s.get();
        desktop.shell = std::move(s);
        auto t = std::make_unique<FakeTray>();
        tray = t.get();
        desktop.tray = std::move(t);
        return desktop;
    }
};

}  // namespace huepick::testing
