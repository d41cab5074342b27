// SPDX-License-Identifier: MIT
#include "ui/main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <cstdio>

#include "core/colour_log.h"
#include "core/colour_model.h"
#include "core/notations.h"
#include "platform/desktop.h"
#include "ui/accessibility.h"
#include "ui/built_shapes.h"
#include "ui/entry_field.h"
#include "ui/help_viewer.h"
#include "ui/picker.h"
#include "ui/picture_button.h"
#include "ui/swatch.h"
#include "ui/window_menu.h"

namespace huepick {

namespace {

using layout::channelOf;
using layout::Role;
using layout::stepOf;

const QString kCaption = QStringLiteral("Vantrel!'s Huepick");

}  // namespace

MainWindow::MainWindow(ColourModel& model, Desktop& desktop, StorageLocations places,
                       QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      m_model(model),
      m_desktop(desktop),
      m_places(std::move(places)),
      m_skin(qApp->devicePixelRatio()) {
    installAccessibility();
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(kCaption);
    setFixedSize(layout::kWindowSize);
    setMouseTracking(true);
    if (m_desktop.shapesByTransparency) {
        setAttribute(Qt::WA_TranslucentBackground);
    } else {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    m_picker = new Picker(m_model, m_desktop, this);
    connect(m_picker, &Picker::finished, this, &MainWindow::pickFinished);
    buildControls();
    shapeControls();
    showModel();
    connect(&m_model, &ColourModel::changed, this, &MainWindow::showModel);
    connect(m_desktop.tray.get(), &TrayIcon::activated, this, &MainWindow::bringBack);
    connectMenu();
    // Hidden with no tray left to bring it back, the window would be lost.
    connect(m_desktop.tray.get(), &TrayIcon::availabilityChanged, this, [this](bool available) {
        if (!available && isHidden()) {
            bringBack();
        }
    });
}

MainWindow::~MainWindow() = default;

void MainWindow::buildControls() {
    std::array<QWidget*, layout::kControls.size()> made{};
    for (const layout::Control& c : layout::kControls) {
        QWidget* parent = c.parent ? made[static_cast<std::size_t>(*c.parent)] : this;
        QWidget* widget = nullptr;
        switch (c.kind) {
            case layout::Kind::Swatch: {
                auto* swatch = new Swatch(parent);
                if (const auto channel = channelOf(c.role)) {
                    m_channelSwatches[indexOf(*channel)] = swatch;
                } else {
                    m_colourSwatch = swatch;
                }
                widget = swatch;
                break;
            }
            case layout::Kind::Frame: {
                auto* frame = new Picture(parent);
                frame->setPicture(m_skin.at(c.role));
                widget = frame;
                break;
            }
            case layout::Kind::Field: {
                const auto channel = channelOf(c.role);
                auto* field = new EntryField(channel ? m_model.text(*channel) : m_model.hexText(),
                                             c.typingLimit, parent);
                (channel ? m_channelFields[indexOf(*channel)] : m_hexField) = field;
                connectField(field, c.role);
                widget = field;
                break;
            }
            case layout::Kind::Button: {
                auto* button = new PictureButton(
                    m_skin.at(c.role), [this, role = c.role] { return m_skin.pressed(role); },
                    parent);
                connectButton(button, c.role);
                widget = button;
                break;
            }
        }
        widget->setObjectName(layout::text(c.name));
        // A picture takes its own size; the table's size serves the rest.
        const auto* picture = qobject_cast<Picture*>(widget);
        if (picture != nullptr && !picture->picture().isNull()) {
            widget->move(c.rect.topLeft());
        } else {
            widget->setGeometry(c.rect);
        }
        if (c.pointer == layout::Pointer::Arrow) {
            widget->setCursor(Qt::ArrowCursor);
        }
        widget->setAccessibleName(layout::text(c.accessibleName));
        widget->setToolTip(layout::text(c.toolTip));
        made[static_cast<std::size_t>(c.role)] = widget;
    }
}

void MainWindow::shapeControls() {
    setMask(built::shape("window"));
    for (Role role : {Role::RedSwatch, Role::GreenSwatch, Role::BlueSwatch, Role::ColourSwatch,
                      Role::RedFrame}) {
        const layout::Control& c = layout::control(role);
        if (auto* widget = findChild<QWidget*>(layout::text(c.name))) {
            widget->setMask(built::shape(c.art));
        }
    }
}

void MainWindow::place() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().center() - rect().center());
    }
}

// ---------------------------------------------------------------- the model's faces

void MainWindow::showModel() {
    m_showing = true;
    for (Channel c : kChannels) {
        EntryField* field = m_channelFields[indexOf(c)];
        if (field->text() != m_model.text(c)) {
            field->setText(m_model.text(c));
        }
        m_channelSwatches[indexOf(c)]->setColour(m_model.channelColour(c));
    }
    if (m_hexField->text() != m_model.hexText()) {
        m_hexField->setText(m_model.hexText());
    }
    m_colourSwatch->setColour(m_model.colour());
    m_showing = false;
}

// ---------------------------------------------------------------- fields

void MainWindow::connectField(EntryField* field, Role role) {
    const auto channel = channelOf(role);
    connect(field, &QLineEdit::textChanged, this, [this, channel](const QString& text) {
        if (m_showing) {
            return;
        }
        if (channel) {
            m_model.editChannel(*channel, text);
        } else {
            m_model.editHex(text);
        }
    });
    connect(field, &EntryField::pressed, this, [this, field](Qt::MouseButton button) {
        if (button == Qt::RightButton) {
            copyField(field);
        }
    });
    // Pointing at a field gives it the focus within the window, so that
    // pointing at the hex field and pressing F1 copies without a click. The
    // keyboard itself stays with whichever program the user gave it to.
    connect(field, &EntryField::pointerMoved, this,
            [field] { field->setFocus(Qt::MouseFocusReason); });
    if (!channel) {
        connect(field, &EntryField::keyPressed, this, &MainWindow::hexKey);
    }
}

void MainWindow::copyField(EntryField* field) {
    // Disabling a focused field would pass its focus on to the next field,
    // which would then take the keys the user meant for this one.
    field->clearFocus();
    field->setEnabled(false);
    m_desktop.clipboard->copy(field->text());
}

void MainWindow::hexKey(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        m_model.applyHex();
    } else if (key >= Qt::Key_F1 && key < Qt::Key_F1 + kNotationCount) {
        m_desktop.clipboard->copy(m_model.notation(key - Qt::Key_F1 + 1));
    }
}

// ---------------------------------------------------------------- buttons

void MainWindow::connectButton(PictureButton* button, Role role) {
    connect(button, &PictureButton::pressed, this,
            [this, role](Qt::MouseButton b) { buttonPressed(role, b); });
    connect(button, &PictureButton::released, this, [this, role] { buttonReleased(role); });
}

void MainWindow::buttonPressed(Role role, Qt::MouseButton button) {
    if (role == Role::SampleButton) {
        m_model.setCaptureMode(CaptureMode::Sample);
        return;
    }
    const auto channel = channelOf(role);
    if (!channel) {
        return;
    }
    m_stepRepeat.setHeld(true);
    // The red pair and the blue pair overlap: the pressed one comes to the
    // front to show its whole pressed image.
    if (*channel != Channel::Green) {
        findChild<QWidget*>(layout::text(layout::control(role).name))->raise();
    }
    if (button == Qt::LeftButton) {
        m_stepRepeat.run([this, channel = *channel, step = stepOf(role)] {
            return m_model.step(channel, step);
        });
    }
}

void MainWindow::buttonReleased(Role role) {
    switch (role) {
        case Role::SampleButton:
            m_picker->start();
            break;
        case Role::MagnifyButton:
            startPick(CaptureMode::Magnify);
            break;
        case Role::CloseButton:
            hide();
            close();
            break;
        case Role::ExportButton:
            exportColour();
            break;
        case Role::HelpButton:
            openHelp();
            break;
        case Role::LogButton:
            openLog();
            break;
        default:
            m_stepRepeat.setHeld(false);
            break;
    }
}

void MainWindow::openHelp() {
    const QString help = m_places.helpFile;
    m_desktop.shell->open(help, [this, help](const QString&) { showHelpViewer(help, this); });
}

void MainWindow::openLog() {
    const QString log = m_places.logFile;
    m_desktop.shell->open(log, [log](const QString& why) {
        std::fprintf(stderr, "huepick: cannot show the colour log %s: %s\n", qPrintable(log),
                     qPrintable(why));
    });
}

void MainWindow::exportColour() {
    QString why;
    if (!appendLogRecord(m_places.logFile, m_model.hexText(), &why)) {
        std::fprintf(stderr, "huepick: cannot append to the colour log %s: %s\n",
                     qPrintable(m_places.logFile), qPrintable(why));
    }
}

// ---------------------------------------------------------------- the window

// What the first frame does not show waits until it is on the screen.
void MainWindow::afterFirstFrame() {
    setWindowIcon(Skin::programIcon());
    m_desktop.tray->show(Skin::programIcon(), kCaption);
}

void MainWindow::paintEvent(QPaintEvent*) {
    if (!m_painted) {
        m_painted = true;
        QTimer::singleShot(0, this, &MainWindow::afterFirstFrame);
    }
    QPainter painter(this);
    if (m_desktop.shapesByTransparency) {
        if (m_cutOut.isNull()) {
            m_cutOut = m_skin.windowCutOut(kWindowKey);
        }
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawPixmap(0, 0, m_cutOut);
    } else {
        painter.drawPixmap(0, 0, m_skin.window());
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_desktop.mover->press(*this, event->position());
    } else if (event->button() == Qt::RightButton) {
        hideToTray();
    }
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
    m_desktop.mover->follow(*this, event->globalPosition());
    for (EntryField* field : m_channelFields) {
        field->setEnabled(true);
    }
    m_hexField->setEnabled(true);
}

void MainWindow::mouseReleaseEvent(QMouseEvent*) {
    m_desktop.mover->release();
}

void MainWindow::hideToTray() {
    // Without a tray nothing could bring a hidden window back, so it is only
    // minimised then.
    if (m_desktop.tray->available()) {
        hide();
    } else {
        showMinimized();
    }
}

void MainWindow::connectMenu() {
    auto* menu = new WindowMenu(*this);
    connect(menu, &WindowMenu::showOrHide, this, [this] {
        if (isVisible() && !isMinimized()) {
            hideToTray();
        } else {
            bringBack();
        }
    });
    connect(menu, &WindowMenu::sample, this, [this] { startPick(CaptureMode::Sample); });
    connect(menu, &WindowMenu::magnify, this, [this] { startPick(CaptureMode::Magnify); });
    connect(menu, &WindowMenu::openLog, this, &MainWindow::openLog);
    connect(menu, &WindowMenu::openHelp, this, &MainWindow::openHelp);
    connect(menu, &WindowMenu::quit, this, [this] {
        hide();
        close();
    });
    m_desktop.tray->setMenu(menu->menu());
}

void MainWindow::startPick(CaptureMode mode) {
    m_model.setCaptureMode(mode);
    m_picker->start();
}

void MainWindow::bringBack() {
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Hidden by a right press, the window missed that button's release.
    if (windowHandle() != nullptr) {
        m_desktop.pointer->catchUpOnReleases(*windowHandle());
    }
}

}  // namespace huepick
