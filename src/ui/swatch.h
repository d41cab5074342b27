// A colour swatch: a solid fill of one colour that takes no input and no focus.
#pragma once

#include <QColor>
#include <QWidget>

namespace huepick {

class Swatch : public QWidget {
    Q_OBJECT
public:
    explicit Swatch(const QColor& colour, QWidget* parent = nullptr);
    void set_colour(const QColor& colour);
    QColor colour() const { return colour_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor colour_;
};

}  // namespace huepick
