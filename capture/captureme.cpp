#include "capture/captureme.h"

namespace huepick {

captureme::captureme(AppState& state, PickTarget& target, std::function<QPoint()> main_top_left)
    : state_(state), target_(target), main_top_left_(std::move(main_top_left)) {
    setAttribute(Qt::WA_DeleteOnClose);
}

captureme::~captureme() = default;

void captureme::Form_Load() { close(); }

}  // namespace huepick
