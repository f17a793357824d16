// The Mask, Image and Help menus, and the picture's change and double-click.
#include "app/lcd_form.h"

#include <QAction>
#include <QCoreApplication>

#include "app/caption_label.h"
#include "app/picture_box.h"
#include "dialogs/help_commands.h"
#include "dialogs/help_tools.h"
#include "dialogs/viewer_handle.h"
#include "image/picture/mask_rules.h"
#include "image/text/number_field.h"

namespace vornix::app {

namespace {

constexpr int kMaxMaskWidth = 240;
constexpr int kMaxMaskHeight = 128;

QString numberField(int value) {
    return QString::fromStdString(image::NumberField(value));
}

} // namespace

void LCDForm::MenuMaskOn_Click() {
    const bool show = !MenuMaskOn->isChecked();
    MenuMaskOn->setChecked(show);
    BMPImage->mask()->setVisible(show);
}

void LCDForm::MenuMaskSize_Click() {
    QWidget* mask = BMPImage->mask();
    const QString& crlf = m_state.CrLf;
    auto ask = [this](const QString& prompt, int max) -> std::optional<int> {
        const QString reply =
            m_prompts.input(prompt, QStringLiteral("LCD Mask")).value_or(QString());
        const QByteArray text = reply.toUtf8();
        return image::AcceptMaskSize(
            image::LeadingNumber(std::string_view(text.constData(), text.size())), max);
    };
    const QString widthPrompt = QStringLiteral("Current Width is") + numberField(mask->width()) +
                                QStringLiteral(".") + crlf + QStringLiteral("Enter new Width.") +
                                crlf + QStringLiteral("(240 pixels Max)");
    if (const auto width = ask(widthPrompt, kMaxMaskWidth)) {
        mask->resize(*width, mask->height());
    }
    const QString heightPrompt = QStringLiteral("Current Height is") + numberField(mask->height()) +
                                 QStringLiteral(".") + crlf + QStringLiteral("Enter new Height.") +
                                 crlf + QStringLiteral("(128 Pixels Max)");
    if (const auto height = ask(heightPrompt, kMaxMaskHeight)) {
        mask->resize(mask->width(), *height);
    }
}

void LCDForm::MenuImgInfo_Click() {
    // The text's labels are padded with blanks into columns.
    m_prompts.message(BMPImage->tag(), QStringLiteral("BMP Info"), MessageIcon::None,
                      MessageButtons::Ok, MessageFont::FixedPitch);
}

void LCDForm::MenuImgMagnifier_Click() {
    m_viewer->showWithPicture(BMPImage->picture());
}

void LCDForm::BMPImage_DblClick() {
    MenuImgMagnifier_Click();
}

void LCDForm::BMPImage_Change() {
    m_viewer->setPicture(BMPImage->picture());
}

void LCDForm::setPicture(const QImage& picture) {
    BMPImage->setPicture(picture);
    resetEditSession(picture);
    // Without conversion a one-bit picture stays one bit, and shares the picture's memory.
    BMPHolder->setPixmap(QPixmap::fromImage(picture, Qt::NoFormatConversion));
}

void LCDForm::MenuHelpfile_Click() {
    // The help text lies beside the executable or in an installed copy's documentation folder,
    // wherever the working files live.
    const dialogs::ProgramLookup lookup = dialogs::SystemProgramLookup();
    auto* opener = new dialogs::HelpFileOpener(m_prompts, dialogs::FindFileOpener(lookup),
                                               dialogs::FindTextViewers(lookup), this);
    opener->open(dialogs::HelpFileDirectory(QCoreApplication::applicationDirPath()) +
                 QLatin1Char('/') + QLatin1String(dialogs::kHelpFileName));
}

void LCDForm::MenuHelpPaint_Click() {
    dialogs::StartPaintOnCopy(m_prompts, m_state);
}

void LCDForm::MenuHelpAbout_Click() {
    dialogs::ShowAbout(m_prompts);
}

} // namespace vornix::app
