#include "ui/main_form.h"

#include <malloc.h>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSystemTrayIcon>
#include <cstdio>

#include "ui/captureme.h"
#include "core/channel_change.h"
#include "core/channel_text.h"
#include "core/colour.h"
#include "core/notations.h"
#include "platform/x11/keyboard_focus.h"
#include "core/colour_log.h"

namespace huepick {

namespace {

constexpr QRgb kWindowKey = qRgb(1, 255, 1);
constexpr QRgb kSwatchKey = qRgb(0, 255, 0);
const QString kCaption = QStringLiteral("Vantrel!'s Huepick");

QColor platform_colour(std::int32_t value) {
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

std::uint8_t channel_byte(int value) {
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

QColor channel_colour(Channel channel, int value) {
    const int v = channel_byte(value);
    return channel == Channel::Red     ? QColor(v, 0, 0)
           : channel == Channel::Green ? QColor(0, v, 0)
                                       : QColor(0, 0, v);
}

PictureBox* picture_box(QWidget* parent, const char* name, const QRect& place,
                        const QString& tooltip = {}) {
    auto* box = new PictureBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setGeometry(place);
    if (!tooltip.isEmpty()) {
        box->setToolTip(tooltip);
    }
    return box;
}

EntryField* entry_field(QWidget* parent, const char* name, const QString& text, int limit,
                        const QRect& place) {
    auto* field = new EntryField(text, limit, parent);
    field->setObjectName(QLatin1String(name));
    field->setGeometry(place);
    return field;
}

Swatch* make_swatch(QWidget* parent, const char* name, const QColor& colour, const QRect& place) {
    auto* s = new Swatch(colour, parent);
    s->setObjectName(QLatin1String(name));
    s->setGeometry(place);
    return s;
}

}  // namespace

// Ties one channel's change handling to its field, swatch and the shared
// displays.
class main_form::ChannelAdapter : public ChannelDisplays {
public:
    ChannelAdapter(main_form& form, Channel channel) : form_(form), channel_(channel) {}
    QString field_text() const override { return form_.field(channel_)->text(); }
    void set_field_text(const QString& text) override { form_.field(channel_)->setText(text); }
    void paint_swatch(std::int16_t value) override {
        form_.swatch(channel_)->set_colour(channel_colour(channel_, value));
    }
    void paint_colour() override { form_.show_color(); }
    void find_hex() override { form_.find_hex(); }

private:
    main_form& form_;
    Channel channel_;
};

main_form::main_form(AppState& state, Services services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      state_(state),
      services_(std::move(services)),
      skin_(qApp->devicePixelRatio()),
      kontura_{Kontura(kWindowKey), Kontura(kSwatchKey), Kontura(kSwatchKey),
               Kontura(kSwatchKey), Kontura(kSwatchKey), Kontura(kSwatchKey)} {
    setObjectName(QStringLiteral("main"));
    setWindowTitle(kCaption);
    setWindowIcon(Skin::program_icon());
    setFixedSize(400, 300);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    create_controls();
    adapters_ = {std::make_unique<ChannelAdapter>(*this, Channel::Red),
                 std::make_unique<ChannelAdapter>(*this, Channel::Green),
                 std::make_unique<ChannelAdapter>(*this, Channel::Blue)};
    wire_handlers();
}

main_form::~main_form() {
    if (capture_) {
        delete capture_.data();
    }
}

void main_form::create_controls() {
    // The stacking order follows creation: later controls lie above earlier ones.
    Text1 = make_swatch(this, "Text1", QColor(255, 0, 0), {31, 23, 77, 64});
    Text2 = make_swatch(this, "Text2", QColor(0, 255, 0), {42, 99, 77, 76});
    Text3 = make_swatch(this, "Text3", QColor(0, 0, 255), {30, 185, 72, 81});
    colorme = make_swatch(this, "colorme", QColor(0, 0, 0), {276, 36, 83, 68});

    Picture10 = picture_box(this, "Picture10", {152, 77, 50, 47});
    Picture11 = picture_box(this, "Picture11", {162, 135, 54, 54});
    Picture12 = picture_box(this, "Picture12", {157, 194, 56, 52});
    Picture13 = picture_box(this, "Picture13", {274, 99, 82, 43});
    Picture10->setCursor(Qt::ArrowCursor);
    Picture11->setCursor(Qt::ArrowCursor);
    Picture10->set_picture(skin_.picture(QStringLiteral("Picture10")));
    Picture11->set_picture(skin_.picture(QStringLiteral("Picture11")));
    Picture12->set_picture(skin_.picture(QStringLiteral("Picture12")));
    Picture13->set_picture(skin_.picture(QStringLiteral("Picture13")));

    txt_R = entry_field(Picture10, "txt_R", QStringLiteral("0"), 3, {14, 16, 24, 17});
    txt_G = entry_field(Picture11, "txt_G", QStringLiteral("0"), 3, {17, 18, 24, 17});
    txt_B = entry_field(Picture12, "txt_B", QStringLiteral("0"), 3, {17, 20, 24, 17});
    show_hex = entry_field(Picture13, "show_hex", QStringLiteral("#000000"), 7, {10, 14, 56, 19});
    txt_R->setCursor(Qt::ArrowCursor);
    txt_B->setCursor(Qt::ArrowCursor);
    show_hex->setCursor(Qt::ArrowCursor);

    Picture1 = picture_box(this, "Picture1", {119, 63, 34, 29});
    Picture2 = picture_box(this, "Picture2", {110, 85, 34, 32});
    Picture4 = picture_box(this, "Picture4", {128, 123, 36, 26});
    Picture5 = picture_box(this, "Picture5", {125, 151, 34, 24});
    Picture6 = picture_box(this, "Picture6", {107, 188, 32, 36});
    Picture7 = picture_box(this, "Picture7", {120, 209, 38, 38});
    dropper = picture_box(this, "dropper", {282, 174, 42, 36},
                          QStringLiteral("Sample a Color from the Screen"));
    Picture8 = picture_box(this, "Picture8", {244, 207, 44, 36},
                           QStringLiteral("Magnify and Sample a Portion of the Screen"));
    Picture9 = picture_box(this, "Picture9", {310, 143, 36, 31}, QStringLiteral("Exit"));
    Picture14 = picture_box(this, "Picture14", {228, 36, 38, 32},
                            QStringLiteral("Export Current Color Value to HTML Color Log"));
    Picture15 = picture_box(this, "Picture15", {210, 224, 33, 33}, QStringLiteral("Help"));
    Picture16 =
        picture_box(this, "Picture16", {240, 67, 37, 29}, QStringLiteral("View HTML Color Log"));
    Picture14->set_picture(skin_.picture(QStringLiteral("export_up")));
    Picture15->set_picture(skin_.picture(QStringLiteral("help_up")));
    Picture16->set_picture(skin_.picture(QStringLiteral("log_up")));

    setTabOrder(txt_R, txt_G);
    setTabOrder(txt_G, txt_B);
    setTabOrder(txt_B, show_hex);
}

void main_form::wire_handlers() {
    connect(txt_R, &QLineEdit::textChanged, this, [this] { channel_change(Channel::Red); });
    connect(txt_G, &QLineEdit::textChanged, this, [this] { channel_change(Channel::Green); });
    connect(txt_B, &QLineEdit::textChanged, this, [this] { channel_change(Channel::Blue); });

    for (EntryField* f : {txt_R, txt_G, txt_B, show_hex}) {
        connect(f, &EntryField::mouse_down, this,
                [this, f](int button) { field_MouseDown(f, button); });
        // Pointing at a field gives it the keyboard focus, and so the window
        // too: pointing at the hex field and pressing F1 must copy even while
        // another program was active.
        connect(f, &EntryField::mouse_move, this, [this, f] {
            take_keyboard_focus(this);
            f->setFocus(Qt::MouseFocusReason);
        });
    }
    connect(show_hex, &EntryField::key_down, this, [this](int key) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            show_hex_KeyPress_enter();
        } else {
            show_hex_KeyDown(key);
        }
    });

    struct StepButton {
        PictureBox* box;
        Channel channel;
        int step;
        const char* pressed;
        const char* released;
    };
    const StepButton steps[] = {
        {Picture1, Channel::Red, +1, "r_1down", "r_1up"},
        {Picture2, Channel::Red, -1, "r_2down", "r_2up"},
        {Picture4, Channel::Green, +1, "g_down", "g_up"},
        {Picture5, Channel::Green, -1, "g2_down", "g2_up"},
        {Picture6, Channel::Blue, +1, "b_down", "b_up"},
        {Picture7, Channel::Blue, -1, "b2_down", "b2_up"},
    };
    for (const StepButton& s : steps) {
        const QString pressed = QLatin1String(s.pressed);
        const QString released = QLatin1String(s.released);
        connect(s.box, &PictureBox::mouse_down, this, [this, s, pressed](int button) {
            step_MouseDown(s.box, s.channel, s.step, pressed, button);
        });
        connect(s.box, &PictureBox::mouse_up, this,
                [this, s, released] { step_MouseUp(s.box, released); });
    }

    // dropper: the mode is chosen on press; Picture8: on release.
    connect(dropper, &PictureBox::mouse_down, this, [this] {
        dropper->set_picture(skin_.picture(QStringLiteral("drop_down")));
        state_.capture_mode = CaptureMode::Sample;
    });
    connect(dropper, &PictureBox::mouse_up, this, [this] {
        dropper->set_picture(skin_.picture(QStringLiteral("drop_up")));
        open_capture();
    });
    connect(Picture8, &PictureBox::mouse_down, this,
            [this] { Picture8->set_picture(skin_.picture(QStringLiteral("mag_down"))); });
    connect(Picture8, &PictureBox::mouse_up, this, [this] {
        Picture8->set_picture(skin_.picture(QStringLiteral("mag_up")));
        state_.capture_mode = CaptureMode::Magnify;
        open_capture();
    });

    connect(Picture9, &PictureBox::mouse_down, this,
            [this] { Picture9->set_picture(skin_.picture(QStringLiteral("x_down"))); });
    connect(Picture9, &PictureBox::mouse_up, this, &main_form::Picture9_MouseUp);

    connect(Picture14, &PictureBox::mouse_down, this,
            [this] { Picture14->set_picture(skin_.picture(QStringLiteral("export_dwn"))); });
    connect(Picture14, &PictureBox::mouse_up, this, &main_form::Picture14_MouseUp);
    connect(Picture15, &PictureBox::mouse_down, this,
            [this] { Picture15->set_picture(skin_.picture(QStringLiteral("help_down"))); });
    connect(Picture15, &PictureBox::mouse_up, this, [this] {
        Picture15->set_picture(skin_.picture(QStringLiteral("help_up")));
        services_.shell.open(services_.places.help_file);
    });
    connect(Picture16, &PictureBox::mouse_down, this,
            [this] { Picture16->set_picture(skin_.picture(QStringLiteral("log_down"))); });
    connect(Picture16, &PictureBox::mouse_up, this, [this] {
        Picture16->set_picture(skin_.picture(QStringLiteral("log_up")));
        services_.shell.open(services_.places.log_file);
    });
}

EntryField* main_form::field(Channel channel) const {
    return channel == Channel::Red ? txt_R : channel == Channel::Green ? txt_G : txt_B;
}

Swatch* main_form::swatch(Channel channel) const {
    return channel == Channel::Red ? Text1 : channel == Channel::Green ? Text2 : Text3;
}

// ---------------------------------------------------------------- start-up

void main_form::Form_Load() {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    IniMod& ini = services_.ini;
    ini.ini_set_file(services_.places.ini_file);
    const QString stored = ini.ini_read(QStringLiteral("settings"), QStringLiteral("lastcolor"),
                                        QStringLiteral("000000"));
    const std::int16_t red = hex_pair(hex_part(u"R", stored));
    const std::int16_t green = hex_pair(hex_part(u"G", stored));
    const std::int16_t blue = hex_pair(hex_part(u"B", stored));
    write_channels(red, green, blue);
    // The stored text is shown as it was read, even where it disagrees with
    // the channels.
    show_hex->setText(u'#' + stored);
    skin_setup();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().center() - rect().center());
    }
}

void main_form::skin_setup() {
    QWidget* const shaped[] = {this, Text1, Text2, Text3, colorme, Picture10};
    const QImage pictures[] = {
        skin_.shape(QStringLiteral("skin")),      skin_.shape(QStringLiteral("red_pic")),
        skin_.shape(QStringLiteral("green_pic")), skin_.shape(QStringLiteral("blue_pic")),
        skin_.shape(QStringLiteral("hex_pic")),   skin_.shape(QStringLiteral("Picture10"))};
    for (std::size_t i = 0; i < kontura_.size(); ++i) {
        kontura_[i].shape_window(shaped[i]);
        kontura_[i].shape_picture(pictures[i]);
    }
    const std::pair<PictureBox*, const char*> released[] = {
        {Picture1, "r_1up"},  {Picture2, "r_2up"},  {Picture4, "g_up"},
        {Picture5, "g2_up"},  {Picture6, "b_up"},   {Picture7, "b2_up"},
        {Picture8, "mag_up"}, {dropper, "drop_up"}, {Picture9, "x_up"}};
    for (const auto& [box, name] : released) {
        box->set_picture(skin_.picture(QLatin1String(name)));
    }
    Text1->move(31, 23);
    STI1 = new STI(Skin::program_icon(), kCaption, this);
    connect(STI1, &STI::notification, this, &main_form::tray_notification);
    STI1->tray_start();
}

void main_form::Form_Unload() {
    if (unloaded_ || !loaded_) {
        return;
    }
    unloaded_ = true;
    const QString colour = show_hex->text().mid(1, 6);
    // A blank text is not stored, by design; any other failure is the one
    // thing the user must hear about, since the colour is gone otherwise.
    if (services_.ini.ini_write(QStringLiteral("settings"), QStringLiteral("lastcolor"), colour) ==
            0 &&
        !colour.trimmed().isEmpty()) {
        std::fprintf(stderr, "huepick: cannot store the colour in %s\n",
                     qPrintable(services_.places.ini_file));
    }
    emit unloaded();
}

void main_form::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

// ---------------------------------------------------------------- colour

void main_form::find_hex() {
    show_hex->setText(hex_of_channels(state_.cur_R, state_.cur_G, state_.cur_B));
}

void main_form::show_color() {
    colorme->set_colour(platform_colour(color_value(
        channel_byte(state_.cur_R), channel_byte(state_.cur_G), channel_byte(state_.cur_B))));
}

void main_form::write_channels(std::int16_t red, std::int16_t green, std::int16_t blue) {
    // Each write runs that field's change handling at once, seeing the new
    // values of the channels already written and the old ones of the rest;
    // the colour and the swatches are settled afterwards.
    txt_R->setText(QString::number(red));
    txt_G->setText(QString::number(green));
    txt_B->setText(QString::number(blue));
    const QChar point = QLocale().decimalPoint().front();
    state_.cur_R = convert_channel_text(txt_R->text(), point).value;
    state_.cur_G = convert_channel_text(txt_G->text(), point).value;
    state_.cur_B = convert_channel_text(txt_B->text(), point).value;
    Text1->set_colour(QColor(red, 0, 0));
    Text2->set_colour(QColor(0, green, 0));
    Text3->set_colour(QColor(0, 0, blue));
    colorme->set_colour(QColor(red, green, blue));
}

void main_form::channel_change(Channel channel) {
    huepick::channel_change(*adapters_[static_cast<std::size_t>(channel)], state_.cur(channel),
                            state_.restore(channel), QLocale().decimalPoint().front());
}

void main_form::field_MouseDown(EntryField* f, int button) {
    if (button != 2) {
        return;
    }
    // Disabling a focused field would pass its focus on to the next field,
    // which would then take the keys the user meant for this one.
    f->clearFocus();
    f->setEnabled(false);
    copy_text(services_.clipboard, f->text());
}

void main_form::show_hex_KeyDown(int key) {
    if (key < Qt::Key_F1 || key > Qt::Key_F10) {
        return;
    }
    const int key_code = 112 + (key - Qt::Key_F1);
    services_.clipboard.clear();
    if (const auto text = notation_text(key_code, show_hex->text(), txt_R->text(), txt_G->text(),
                                        txt_B->text())) {
        services_.clipboard.set_text(*text);
    }
}

void main_form::show_hex_KeyPress_enter() {
    const auto channels = parse_hex_entry(show_hex->text());
    if (!channels) {
        return;
    }
    const auto [red, green, blue] = *channels;
    write_channels(red, green, blue);
}

// ---------------------------------------------------------------- step buttons

void main_form::step_MouseDown(PictureBox* button, Channel channel, int step,
                               const QString& pressed, int mouse_button) {
    step_repeat_.set_held(true);
    if (channel != Channel::Green) {
        button->raise();  // the red and blue pairs overlap
    }
    button->set_picture(skin_.picture(pressed));
    if (mouse_button != 1) {
        return;
    }
    step_repeat_.run([this, channel, step] { return step_pass(channel, step); });
}

void main_form::step_MouseUp(PictureBox* button, const QString& released) {
    step_repeat_.set_held(false);
    button->set_picture(skin_.picture(released));
}

bool main_form::step_pass(Channel channel, int step) {
    std::int16_t& value = state_.cur(channel);
    int next = value + step;
    bool last = false;
    if (step > 0 && next > 255) {
        next = 255;
        last = true;
    } else if (step < 0 && next < 0) {
        next = 0;
        last = true;
    }
    value = static_cast<std::int16_t>(next);
    state_.restore(channel) = value;
    if (last) {
        return false;
    }
    field(channel)->setText(QString::number(value));
    show_color();
    swatch(channel)->set_colour(channel_colour(channel, state_.cur(channel)));
    find_hex();
    return true;
}

// ---------------------------------------------------------------- picking

void main_form::open_capture() {
    if (!capture_) {
        capture_ = new captureme(state_, *this, this);
        // The screen copies are large; hand their memory back to the system
        // once the window is gone instead of keeping it for the next pick.
        connect(capture_, &QObject::destroyed, this, [] { malloc_trim(0); });
    }
    capture_->Form_Load();
}

void main_form::paint_colorme(std::int32_t colour_value) {
    colorme->set_colour(platform_colour(colour_value));
}

void main_form::set_channel(Channel channel, std::int16_t value) {
    swatch(channel)->set_colour(channel_colour(channel, value));
    state_.cur(channel) = value;
    field(channel)->setText(QString::number(value));
}

void main_form::set_hex_text(const QString& text) {
    show_hex->setText(text);
}

// ---------------------------------------------------------------- log and help

void main_form::Picture14_MouseUp() {
    Picture14->set_picture(skin_.picture(QStringLiteral("export_up")));
    QString error;
    if (!append_log_record(services_.places.log_file, show_hex->text(), &error)) {
        std::fprintf(stderr, "huepick: cannot append to the colour log %s: %s\n",
                     qPrintable(services_.places.log_file), qPrintable(error));
    }
}

// ---------------------------------------------------------------- window handling

void main_form::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, skin_.picture(QStringLiteral("skin")));
}

void main_form::mousePressEvent(QMouseEvent* event) {
    Form_MouseDown(button_code(event->button()), event->position());
}

void main_form::mouseMoveEvent(QMouseEvent* event) {
    Form_MouseMove(event->globalPosition());
}

void main_form::mouseReleaseEvent(QMouseEvent*) {
    Form_MouseUp();
}

void main_form::Form_MouseDown(int button, QPointF pos) {
    if (button == 1) {
        drag_x = static_cast<std::int16_t>(qRound(pos.x()));
        drag_y = static_cast<std::int16_t>(qRound(pos.y()));
        dragging = true;
    } else if (button == 2) {
        hide_to_tray();
    }
}

void main_form::Form_MouseMove(QPointF screen_pos) {
    // Placed from the pointer's screen position, the grabbed point stays
    // under the pointer however late the events arrive; a window manager's
    // own move would start from wherever the pointer is once it takes over.
    if (dragging) {
        move(qRound(screen_pos.x()) - drag_x, qRound(screen_pos.y()) - drag_y);
    }
    for (EntryField* f : {txt_R, txt_G, txt_B, show_hex}) {
        f->setEnabled(true);
    }
}

void main_form::Form_MouseUp() {
    dragging = false;
}

void main_form::hide_to_tray() {
    // Without a tray nothing could bring a hidden window back, so it is only
    // minimised then.
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        hide();
    } else {
        showMinimized();
    }
}

void main_form::tray_notification(int number) {
    if (number != STI::kClick && number != STI::kDoubleClick) {
        return;
    }
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

void main_form::Picture9_MouseUp() {
    Picture9->set_picture(skin_.picture(QStringLiteral("x_up")));
    hide();
    close();
}

}  // namespace huepick
