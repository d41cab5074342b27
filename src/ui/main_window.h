// SPDX-License-Identifier: MIT
// The skinned main window: a view of the colour model. Its controls come from
// the layout table; user input goes to the model and the desktop services,
// and the displays follow the model's changes.
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>

#include "core/channel.h"
#include "core/layout.h"
#include "core/storage_locations.h"
#include "ui/skin.h"
#include "ui/step_repeat.h"

namespace huepick {

class ColourModel;
class EntryField;
class Picker;
class PictureButton;
class Swatch;
struct Desktop;

class MainWindow : public QWidget {
    Q_OBJECT
public:
    MainWindow(ColourModel& model, Desktop& desktop, StorageLocations places,
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // Centres the window on the primary screen; the tray icon follows the
    // first frame.
    void place();
    // Shows the window again, in front, from the tray or at a user's request.
    void bringBack();
    // Opens the picking in the given mode, as the sample and magnify buttons do.
    void startPick(CaptureMode mode);

signals:
    // A pick started here is over; `picked` says whether it set the colour.
    void pickFinished(bool picked);
    // The user closed the window, by its close button or through the window
    // manager: the program is to end.
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void buildControls();
    void shapeControls();
    void connectField(EntryField* field, layout::Role role);
    void connectButton(PictureButton* button, layout::Role role);
    void buttonPressed(layout::Role role, Qt::MouseButton button);
    void buttonReleased(layout::Role role);
    void hexKey(int key);
    void copyField(EntryField* field);
    void connectMenu();
    void afterFirstFrame();
    void exportColour();
    void openHelp();
    void openLog();
    void showModel();
    void hideToTray();

    ColourModel& m_model;
    Desktop& m_desktop;
    StorageLocations m_places;
    Skin m_skin;
    QPixmap m_cutOut;
    bool m_painted = false;
    StepRepeat m_stepRepeat;
    Picker* m_picker = nullptr;
    std::array<EntryField*, 3> m_channelFields{};
    std::array<Swatch*, 3> m_channelSwatches{};
    EntryField* m_hexField = nullptr;
    Swatch* m_colourSwatch = nullptr;
    // Set while the window writes the model's texts into its fields, whose
    // change notifications are then no user input.
    bool m_showing = false;
};

}  // namespace huepick
