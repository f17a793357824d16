// Start-up: the application state's start values and the file named on the command line.
#include "app/lcd_form.h"

#include <QAction>
#include <QListWidget>
#include <QScreen>

#include "app/caption_label.h"
#include "app/message_text.h"
#include "app/picture_box.h"
#include "app/working_files.h"
#include "dialogs/help_tools.h"
#include "image/text/messages.h"
#include "image/text/number_field.h"

namespace vornix::app {

bool LCDForm::Form_Load(const QString& commandLine) {
    if (m_options.previousInstance) {
        // A second instance leaves the first one's working files alone and ends at once.
        Form_Unload();
        return false;
    }
    const QString& dir = programDirectory();
    m_state.CrLf = QStringLiteral("\r\n");
    m_state.TempBMPFile = dir + QStringLiteral("/~LCDbmp.tmp");
    m_state.TempPXLFile = dir + QStringLiteral("/~LCDpxl.tmp");
    m_state.UntitledFile = dir + QStringLiteral("/untitled.");
    m_state.PaintProgram = dialogs::FindPaintProgram(dialogs::SystemProgramLookup());
    MenuFileLoad->setEnabled(false);
    MenuSaveBMP->setEnabled(false);
    MenuSavePXL->setEnabled(false);
    m_state.FilePath = executableDirectory();
    ComList->addItems(
        {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")});
    ComList->setCurrentRow(0);
    m_state.PortStatus = QStringLiteral("CLOSED");
    m_state.PortNumber = QStringLiteral("1");
    m_state.BaudRate = QStringLiteral("9600");
    placeOnScreen();
    handleCommandLine(commandLine);
    return true;
}

// The command line's refusal boxes come up before the window is shown and centre over it:
// the window is put where it will open, centred on its screen, rather than left at the
// screen's corner.
void LCDForm::placeOnScreen() {
    const QScreen* display = screen();
    if (display == nullptr || isVisible()) {
        return;
    }
    QRect frame = frameGeometry();
    frame.moveCenter(display->availableGeometry().center());
    move(frame.topLeft());
}

void LCDForm::handleCommandLine(QString c) {
    if (c.isEmpty()) {
        return;
    }
    Log->setCaption(QStringLiteral("Filename:") + c + m_state.CrLf);
    if (c.endsWith(QLatin1Char('"'))) {
        c.chop(1);
    }
    if (c.startsWith(QLatin1Char('"'))) {
        c.remove(0, 1);
    }
    const qsizetype separator = c.lastIndexOf(QLatin1Char('/'));
    if (separator >= 0) {
        m_state.FilePath = c.left(separator);
        Log->setCaption(Log->caption() + QStringLiteral("Path:") + m_state.FilePath + m_state.CrLf);
    }
    const QString ending = c.right(4).toUpper();
    if (ending == QStringLiteral(".PXL")) {
        openCommandLinePXL(c);
    } else if (ending == QStringLiteral(".BMP")) {
        openCommandLineBMP(c);
    }
}

void LCDForm::openCommandLineBMP(const QString& fileName) {
    m_state.FileName = fileName;
    QImage picture;
    ErrorCode code = m_loadPicture(fileName, picture);
    // A bitmap of more colours than two opens in Import Picture, as a dropped one does.
    if (code == ErrorCode::None && !convertsDirectly(fileName, picture)) {
        if (importPicture(picture, fileName)) {
            FileEntry->setCaption(fileName);
            Log->setCaption(Log->caption() + QStringLiteral("(BMP)") + m_state.CrLf);
        }
        return;
    }
    if (code == ErrorCode::None) {
        code = showLoadedPicture(fileName, picture);
    }
    if (code != ErrorCode::None) {
        if (reportNotEnoughMemory(code, m_state.FileName)) {
            return;
        }
        m_prompts.message(Text(image::messages::kBadFileName) + QLatin1Char(' ') +
                              QString::fromStdString(image::NumberField(image::Number(code))),
                          Text(image::messages::kFileErrorTitle), MessageIcon::Exclamation,
                          MessageButtons::Ok);
        return;
    }
    DecodeBMP();
    MenuSaveBMP->setEnabled(true);
    MenuSavePXL->setEnabled(true);
    FileEntry->setCaption(m_state.FileName);
    Log->setCaption(Log->caption() + QStringLiteral("(BMP)") + m_state.CrLf);
}

void LCDForm::openCommandLinePXL(const QString& fileName) {
    m_state.FileName = fileName;
    FileEntry->setCaption(m_state.FileName);
    openPXLFile(m_state.FileName, true);
}

} // namespace vornix::app
