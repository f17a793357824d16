#include "app/download_controller.h"

#include <QTimer>

#include "app/app_state.h"
#include "app/prompts.h"
#include "download/download_view.h"
#include "download/lcd_download.h"
#include "download/open_com.h"
#include "download/pacer.h"
#include "download/serial_port_link.h"

namespace vornix::app {

struct DownloadController::Parts {
    Parts(download::DownloadView& view, AppState& state, Prompts& prompts)
        : view(view), state(state), prompts(prompts),
          link(std::make_unique<download::SerialPortLink>()) {
        rebuild();
    }

    // The pacer and the download hold on to the link; both are rebuilt when it is replaced.
    // The tick is counted only by a download's pause, so it runs only while a download may
    // be on the stack: an idle window is not woken a hundred times a second.
    void rebuild() {
        download.reset();
        pacer = std::make_unique<download::Pacer>(state.flags, *link);
        pacer->Timer1().stop();
        download = std::make_unique<download::LcdDownload>(state.flags, *link, *pacer, view);
    }

    download::DownloadView& view;
    AppState& state;
    Prompts& prompts;
    std::unique_ptr<download::SerialLink> link;
    std::unique_ptr<download::Pacer> pacer;
    std::unique_ptr<download::LcdDownload> download;
};

DownloadController::DownloadController(download::DownloadView& view, AppState& state,
                                       Prompts& prompts)
    : m_parts(std::make_unique<Parts>(view, state, prompts)) {}

DownloadController::~DownloadController() = default;

void DownloadController::openPort() {
    AppState& state = m_parts->state;
    const auto result =
        download::OpenControllerPort(*m_parts->link, state.PortNumber, state.BaudRate);
    if (result == download::OpenComResult::Failed) {
        m_parts->prompts.message(download::CanNotOpenComText(state.PortNumber),
                                 QString::fromLatin1(download::kComErrorTitle),
                                 MessageIcon::Exclamation, MessageButtons::Ok);
        state.PortStatus = QStringLiteral("CLOSED");
        return;
    }
    state.PortStatus = QStringLiteral("OPEN");
}

void DownloadController::run() {
    AppState& state = m_parts->state;
    // A download already on the stack (refused as such) keeps the tick it started.
    QTimer& tick = m_parts->pacer->Timer1();
    const bool started = !tick.isActive();
    if (started) {
        tick.start();
    }
    m_parts->download->LoadLCD(state.PortStatus, state.TempPXLFile);
    if (started) {
        tick.stop();
    }
    if (const auto header = m_parts->download->lastHeader()) {
        state.PxlWidth = header->width;
        state.PxlHeight = header->height;
        state.PxlPixelsPerByte = header->pixelsPerValue;
    }
}

bool DownloadController::running() const {
    return m_parts->download->isWaiting();
}

void DownloadController::setLink(std::unique_ptr<download::SerialLink> link) {
    m_parts->link = std::move(link);
    m_parts->rebuild();
}

bool DownloadController::inProgress() const {
    return m_parts->download->isRunning();
}

bool DownloadController::ticking() const {
    return m_parts->pacer->Timer1().isActive();
}

download::SerialLink& DownloadController::link() {
    return *m_parts->link;
}

} // namespace vornix::app
