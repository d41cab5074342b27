// SPDX-License-Identifier: MIT
#include "app/huepick_app.h"

#include <cstdio>

#include "app/pick_command.h"
#include "ui/main_window.h"

namespace huepick {

namespace {
const QString kSection = QStringLiteral("settings");
const QString kKey = QStringLiteral("lastcolor");
}  // namespace

HuepickApp::HuepickApp(Desktop desktop, StorageLocations places)
    : m_places(std::move(places)),
      m_settings(m_places.settingsFile),
      m_desktop(std::move(desktop)),
      m_window(std::make_unique<MainWindow>(m_model, m_desktop, m_places)) {
    connect(m_window.get(), &MainWindow::closed, this, &HuepickApp::end);
    connect(&m_signals, &TerminationSignals::received, this, &HuepickApp::end);
    connect(m_window.get(), &MainWindow::pickFinished, this, [this](bool picked) {
        for (const auto& [format, reply] : std::exchange(m_waitingForPick, {})) {
            reply(picked ? InstanceAnswer(answerText(m_model, format)) : InstanceAnswer());
        }
    });
}

HuepickApp::~HuepickApp() = default;

void HuepickApp::start() {
    QString why;
    if (!m_settings.load(&why)) {
        std::fprintf(stderr, "huepick: ignoring the settings file %s: %s\n",
                     qPrintable(m_settings.path()), qPrintable(why));
    }
    m_model.setStoredText(m_settings.read(kSection, kKey).value_or(QStringLiteral("000000")));
    m_started = true;
    m_window->place();
    m_window->show();
}

void HuepickApp::handle(const InstanceRequest& request, const InstanceServer::Reply& reply) {
    if (!request.pick) {
        m_window->bringBack();
        reply(InstanceAnswer());
        return;
    }
    m_waitingForPick.emplace_back(request.format, reply);
    m_window->startPick(request.mode);
}

void HuepickApp::end() {
    store();
    m_desktop.clipboard->keepAfterExit();
    emit finished();
}

bool HuepickApp::store() {
    if (!m_started || m_stored) {
        return !m_storeFailed;
    }
    m_stored = true;
    QString why;
    // A blank text is not stored, by design: the file keeps its colour.
    if (m_settings.write(kSection, kKey, m_model.storedText(), &why) ==
        SettingsFile::Write::Failed) {
        m_storeFailed = true;
        std::fprintf(stderr, "huepick: cannot store the colour in %s: %s\n",
                     qPrintable(m_settings.path()), qPrintable(why));
    }
    return !m_storeFailed;
}

}  // namespace huepick
