// SPDX-License-Identifier: MIT
// A throwaway Wayland client for the session's own tests: a plain window
// that prints what reaches it, one line each, on standard output:
//   shown WIDTH HEIGHT DPR
//   enter X Y                               (the pointer came in)
//   press|release left|right|middle X Y     (X Y: the event's fractional position)
//   key KEY TEXT                            (KEY as a key sequence, e.g. Ctrl+C)
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QRasterWindow>
#include <cstdio>

namespace {

void say(const QString& line) {
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

QString buttonName(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return QStringLiteral("left");
        case Qt::RightButton:
            return QStringLiteral("right");
        case Qt::MiddleButton:
            return QStringLiteral("middle");
        default:
            return QStringLiteral("other");
    }
}

class Probe : public QRasterWindow {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(QRect(QPoint(0, 0), size()), QColor(0x20, 0xc0, 0x40));
    }
    void exposeEvent(QExposeEvent* event) override {
        QRasterWindow::exposeEvent(event);
        if (isExposed() && !m_shown) {
            m_shown = true;
            say(QStringLiteral("shown %1 %2 %3")
                    .arg(width())
                    .arg(height())
                    .arg(devicePixelRatio()));
        }
    }
    bool event(QEvent* event) override {
        if (event->type() == QEvent::Enter) {
            const QPointF at = static_cast<QEnterEvent*>(event)->position();
            say(QStringLiteral("enter %1 %2").arg(at.x(), 0, 'f', 4).arg(at.y(), 0, 'f', 4));
        }
        return QRasterWindow::event(event);
    }
    void mousePressEvent(QMouseEvent* event) override { report(QStringLiteral("press"), event); }
    void mouseReleaseEvent(QMouseEvent* event) override {
        report(QStringLiteral("release"), event);
    }
    void keyPressEvent(QKeyEvent* event) override {
        const QKeySequence sequence(event->keyCombination());
        say(QStringLiteral("key %1 %2").arg(sequence.toString(), event->text()));
    }

private:
    void report(const QString& what, QMouseEvent* event) {
        say(QStringLiteral("%1 %2 %3 %4")
                .arg(what, buttonName(event->button()))
                .arg(event->position().x(), 0, 'f', 4)
                .arg(event->position().y(), 0, 'f', 4));
    }
    bool m_shown = false;
};

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("huepick-probe"));
    Probe probe;
    probe.setTitle(QStringLiteral("probe"));
    probe.resize(320, 200);
    probe.show();
    return app.exec();
}
