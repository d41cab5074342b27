// The main window. Its own name would be `main`, which the entry function
// already owns, hence main_form.
#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <memory>

#include "ui/captureme.h"
#include "core/hand_over.h"
#include "ui/window_shape.h"
#include "platform/tray_icon.h"
#include "ui/entry_field.h"
#include "ui/picture_box.h"
#include "ui/skin.h"
#include "ui/step_repeat.h"
#include "ui/swatch.h"
#include "core/app_state.h"
#include "core/storage_locations.h"
#include "platform/clipboard.h"
#include "platform/shell.h"
#include "core/ini_mod.h"

namespace huepick {

class main_form : public QWidget, private PickTarget {
    Q_OBJECT
public:
    struct Services {
        IniMod& ini;
        Clipboard& clipboard;
        Shell& shell;
        StorageLocations places;
    };

    main_form(AppState& state, Services services, QWidget* parent = nullptr);
    ~main_form() override;

    // Restores the last colour and sets up the skin; runs once, before the
    // window is first shown.
    void Form_Load();
    // Stores the colour shown in the hex field; runs once, however the window
    // goes away.
    void Form_Unload();

    void find_hex();
    void show_color();

    EntryField* field(Channel channel) const;
    Swatch* swatch(Channel channel) const;
    const Skin& skin() const { return skin_; }
    bool is_dragging() const { return dragging; }

    // Controls, by their designer names.
    Swatch* Text1;
    Swatch* Text2;
    Swatch* Text3;
    Swatch* colorme;
    PictureBox* Picture10;
    PictureBox* Picture11;
    PictureBox* Picture12;
    PictureBox* Picture13;
    EntryField* txt_R;
    EntryField* txt_G;
    EntryField* txt_B;
    EntryField* show_hex;
    PictureBox* Picture1;
    PictureBox* Picture2;
    PictureBox* Picture4;
    PictureBox* Picture5;
    PictureBox* Picture6;
    PictureBox* Picture7;
    PictureBox* dropper;
    PictureBox* Picture8;
    PictureBox* Picture9;
    PictureBox* Picture14;
    PictureBox* Picture15;
    PictureBox* Picture16;

signals:
    // The window has been unloaded: the program is to end.
    void unloaded();

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    class ChannelAdapter;

    void create_controls();
    void wire_handlers();
    void skin_setup();
    void channel_change(Channel channel);
    // Writes the three channel fields, red first, then sets the colour from
    // them and repaints the swatches.
    void write_channels(std::int16_t red, std::int16_t green, std::int16_t blue);

    void Form_MouseDown(int button, QPointF pos);
    void Form_MouseMove(QPointF screen_pos);
    void Form_MouseUp();
    void field_MouseDown(EntryField* field, int button);
    void show_hex_KeyDown(int key);
    void show_hex_KeyPress_enter();
    void step_MouseDown(PictureBox* button, Channel channel, int step, const QString& pressed,
                        int mouse_button);
    void step_MouseUp(PictureBox* button, const QString& released);
    // One pass of a held step button; false ends the repeat.
    bool step_pass(Channel channel, int step);
    void open_capture();
    void Picture9_MouseUp();
    void Picture14_MouseUp();
    void tray_notification(int number);
    void hide_to_tray();

    // PickTarget
    void paint_colorme(std::int32_t colour_value) override;
    void set_channel(Channel channel, std::int16_t value) override;
    void set_hex_text(const QString& text) override;

    AppState& state_;
    Services services_;
    Skin skin_;
    std::array<std::unique_ptr<ChannelAdapter>, 3> adapters_;
    std::array<Kontura, 6> kontura_;
    STI* STI1 = nullptr;
    StepRepeat step_repeat_;
    QPointer<captureme> capture_;
    bool dragging = false;
    std::int16_t drag_x = 0;
    std::int16_t drag_y = 0;
    bool loaded_ = false;
    bool unloaded_ = false;
};

}  // namespace huepick
