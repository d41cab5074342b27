// The picking window: a frozen copy of the whole screen to pick a pixel from,
// directly or through a magnifying lens. Created for each opening and destroyed
// after each pick or cancel.
#pragma once

#include <QPoint>
#include <QWidget>
#include <functional>

#include "capture/hand_over.h"
#include "model/app_state.h"

namespace huepick {

class captureme : public QWidget {
    Q_OBJECT
public:
    // `main_top_left` tells where the main window sits on the screen now.
    captureme(AppState& state, PickTarget& target, std::function<QPoint()> main_top_left);
    ~captureme() override;

    // Grabs the screen, then covers it.
    void Form_Load();

private:
    AppState& state_;
    PickTarget& target_;
    std::function<QPoint()> main_top_left_;
};

}  // namespace huepick
