// The close guard and the clean-up when the window unloads.
#include "app/lcd_form.h"

#include "app/download_controller.h"
#include "app/message_text.h"
#include "app/working_files.h"
#include "dialogs/viewer_handle.h"
#include "image/text/error_codes.h"
#include "image/text/messages.h"
#include "image/text/number_field.h"

namespace vornix::app {

// True when the window may close. While a download waits for a command to leave the port or
// in its pause, closing is refused and the user is offered to stop the download instead.
bool LCDForm::Form_QueryUnload() {
    if (m_options.previousInstance) {
        return true;
    }
    if (!m_download->running()) {
        return mayDropEdits();
    }
    const QString& crlf = m_state.CrLf;
    const auto answer = m_prompts.message(
        QStringLiteral("Can Not close Application while ") + crlf +
            QStringLiteral("LCD Download is in progress.") + crlf +
            QStringLiteral("Stop LCD Download now?"),
        Text(image::messages::kCloseErrorTitle), MessageIcon::Question, MessageButtons::OkCancel);
    if (answer == MessageAnswer::Ok) {
        m_state.flags.StopDownload = true;
    }
    return false;
}

void LCDForm::Form_Unload() {
    if (m_unloaded) {
        return;
    }
    m_unloaded = true;
    m_viewer->unload();
    if (m_options.previousInstance) {
        return;
    }
    deleteWorkingFile(m_state.TempBMPFile);
    deleteWorkingFile(m_state.TempPXLFile);
}

void LCDForm::requestTermination() {
    m_terminationRequested = true;
    m_state.flags.StopDownload = true;
    if (m_download->inProgress()) {
        return; // MenuFileLoad_Click ends the program once the download has stopped
    }
    finishTermination();
}

void LCDForm::finishTermination() {
    Form_Unload();
    emit terminated();
}

void LCDForm::deleteWorkingFile(const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    const ErrorCode code = DeleteFile(path);
    if (code != ErrorCode::None && code != ErrorCode::FileNotFound) {
        m_prompts.message(Text(image::messages::kInternalError) +
                              QString::fromStdString(image::NumberField(image::Number(code))),
                          Text(image::messages::kCloseErrorTitle), MessageIcon::None,
                          MessageButtons::Ok);
    }
}

} // namespace vornix::app
