// SPDX-License-Identifier: MIT
// The start-up floor: the least a Qt 6 widgets program does to put a window on
// the screen. A frameless 400 x 300 window of one solid colour, centred on
// the primary screen, so the benchmark can see when it is painted.
//   bench_bare_window [#RRGGBB]
#include <QApplication>
#include <QColor>
#include <QPainter>
#include <QScreen>
#include <QWidget>

namespace {

class Fill : public QWidget {
public:
    explicit Fill(QColor colour)
        : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), m_colour(colour) {
        setWindowTitle(QStringLiteral("huepick bench bare window"));
        setAttribute(Qt::WA_OpaquePaintEvent);
        resize(400, 300);
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), m_colour); }

private:
    QColor m_colour;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QColor colour(argc > 1 ? argv[1] : "#20C040");
    Fill window(colour.isValid() ? colour : QColor(0x20, 0xC0, 0x40));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    window.move(screen.center() - window.rect().center());
    window.show();
    return app.exec();
}
