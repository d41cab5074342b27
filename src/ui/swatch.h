// SPDX-License-Identifier: MIT
// A colour swatch: a solid fill of one colour that takes no input and no focus.
#pragma once

#include <QColor>
#include <QWidget>

namespace huepick {

class Swatch : public QWidget {
    Q_OBJECT
public:
    explicit Swatch(QWidget* parent = nullptr);
    void setColour(const QColor& colour);
    QColor colour() const { return m_colour; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_colour = Qt::black;
};

}  // namespace huepick
