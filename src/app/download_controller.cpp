#include "app/download_controller.h"

#include <QAction>
#include <QMenu>

#include "app/app_state.h"
#include "app/caption_label.h"
#include "app/download_status.h"
#include "app/lamp.h"
#include "app/lcd_form.h"
#include "download/download_view.h"
#include "download/lcd_download.h"
#include "download/open_com.h"
#include "download/pacer.h"
#include "download/serial_port_link.h"

namespace vornix::app {

namespace {

// The download's display: the File menu, the row counter, the lamp and the header message.
class FormDownloadView final : public download::DownloadView {
public:
    FormDownloadView(LCDForm& form, Prompts& prompts) : m_form(form), m_prompts(prompts) {}

    void setFileMenuEnabled(bool enabled) override { m_form.Menufile->setEnabled(enabled); }
    void setRowCounter(const QString& caption) override { m_form.RowCounter->setCaption(caption); }
    void setLamp(download::LampColor color) override {
        const auto rgb = download::LampRgb(color);
        m_form.LoadLight->setFillColor(QColor(rgb.red, rgb.green, rgb.blue));
    }
    void showProgress(qint64 bytesSent, qint64 bytesTotal) override {
        m_form.Progress->setProgress(bytesSent, bytesTotal, m_baud);
    }
    void showEnd(download::DownloadEnd end) override { m_form.Progress->showEnd(end); }
    void setLineBaudRate(int baud) { m_baud = baud; }
    void showHeaderMissing() override {
        m_prompts.message(QString::fromLatin1(download::kHeaderMissingMessage),
                          QString::fromLatin1(download::kHeaderMissingTitle), MessageIcon::Stop,
                          MessageButtons::Ok);
    }

private:
    LCDForm& m_form;
    Prompts& m_prompts;
    int m_baud = 9600;
};

} // namespace

struct DownloadController::Parts {
    Parts(LCDForm& form, AppState& state, Prompts& prompts)
        : form(form), state(state), prompts(prompts), view(form, prompts),
          link(std::make_unique<download::SerialPortLink>()) {
        rebuild();
        // The tick runs for the life of the window, download or not.
        pacer->Timer1().start();
    }

    // The pacer and the download hold on to the link; both are rebuilt when it is replaced.
    void rebuild() {
        download.reset();
        pacer = std::make_unique<download::Pacer>(state.flags, *link);
        QObject::connect(pacer.get(), &download::Pacer::stallChanged, form.Progress,
                         &DownloadStatus::setStalled);
        download = std::make_unique<download::LcdDownload>(state.flags, *link, *pacer, view);
    }

    LCDForm& form;
    AppState& state;
    Prompts& prompts;
    FormDownloadView view;
    std::unique_ptr<download::SerialLink> link;
    std::unique_ptr<download::Pacer> pacer;
    std::unique_ptr<download::LcdDownload> download;
};

DownloadController::DownloadController(LCDForm& form, AppState& state, Prompts& prompts)
    : m_parts(std::make_unique<Parts>(form, state, prompts)) {}

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
    m_parts->view.setLineBaudRate(m_parts->link->lineBaudRate());
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
