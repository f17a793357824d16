#include "app/download_controller.h"

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
        // The tick runs for the life of the window, download or not.
        pacer->Timer1().start();
    }

    // The pacer and the download hold on to the link; both are rebuilt when it is replaced.
    void rebuild() {
        download.reset();
        pacer = std::make_unique<download::Pacer>(state.flags, *link);
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
    m_parts->download->LoadLCD(state.PortStatus, state.TempPXLFile);
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
    const bool ticking = m_parts->pacer->Timer1().isActive();
    m_parts->link = std::move(link);
    m_parts->rebuild();
    if (ticking) {
        m_parts->pacer->Timer1().start();
    }
}

download::SerialLink& DownloadController::link() {
    return *m_parts->link;
}

} // namespace vornix::app
