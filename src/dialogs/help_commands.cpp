#include "dialogs/help_commands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "app/app_state.h"
#include "app/message_text.h"
#include "app/prompts.h"
#include "image/files/atomic_file.h"
#include "image/text/messages.h"

#if !defined(VORNIX_VERSION_MINOR) || !defined(VORNIX_VERSION_PATCH)
#error "The build must define VORNIX_VERSION_MINOR and VORNIX_VERSION_PATCH"
#endif
#ifndef VORNIX_DOC_FROM_BIN
#error "The build must define VORNIX_DOC_FROM_BIN"
#endif

namespace vornix::dialogs {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kFileErrorTitle = app::Text(image::messages::kFileErrorTitle);

constexpr int kVersionMinor = VORNIX_VERSION_MINOR;
constexpr int kVersionRevision = VORNIX_VERSION_PATCH;
constexpr qint64 kCopyChunk = 64 * 1024;

// Starts program with one argument; an empty program name counts as one that cannot start.
bool start(app::Prompts& prompts, const QString& program, const QString& argument) {
    return !program.isEmpty() && prompts.startProgram(program, QStringList{argument});
}

void reportCannotStart(app::Prompts& prompts, const QString& text) {
    prompts.message(text, kFileErrorTitle, app::MessageIcon::None, app::MessageButtons::Ok);
}

} // namespace

QString HelpFileDirectory(const QString& programDir) {
    const QString installed =
        QDir::cleanPath(programDir + QLatin1Char('/') + QLatin1String(VORNIX_DOC_FROM_BIN));
    for (const QString& directory : {programDir, installed}) {
        if (QFileInfo(directory + QLatin1Char('/') + QLatin1String(kHelpFileName)).isFile()) {
            return directory;
        }
    }
    return programDir;
}

void OpenHelpFile(app::Prompts& prompts, const QString& textEditor, const QString& programDir) {
    const QString helpFile = programDir + QLatin1Char('/') + QLatin1String(kHelpFileName);
    ShowHelpFileWith(prompts, textEditor.isEmpty() ? QStringList() : QStringList{textEditor},
                     helpFile);
}

bool ShowHelpFileWith(app::Prompts& prompts, const QStringList& viewers, const QString& helpFile) {
    for (const QString& viewer : viewers) {
        if (start(prompts, viewer, helpFile)) {
            return true;
        }
    }
    reportCannotStart(prompts, QStringLiteral("Can't find Notepad.exe"));
    return false;
}

HelpFileOpener::HelpFileOpener(app::Prompts& prompts, QString opener, QStringList viewers,
                               QObject* parent)
    : QObject(parent), m_prompts(prompts), m_opener(std::move(opener)),
      m_viewers(std::move(viewers)) {}

void HelpFileOpener::open(const QString& helpFile) {
    m_helpFile = helpFile;
    if (m_opener.isEmpty()) {
        fallBack();
        return;
    }
    m_process = new QProcess(this);
    m_process->setProgram(m_opener);
    m_process->setArguments({helpFile});
    // The opener's own messages go where the window's go.
    m_process->setProcessChannelMode(QProcess::ForwardedChannels);
    connect(m_process, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        if (status == QProcess::NormalExit && code == 0) {
            end(true);
        } else {
            fallBack();
        }
    });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            fallBack();
        }
    });
    m_process->start();
}

void HelpFileOpener::fallBack() {
    if (!m_ended) {
        end(ShowHelpFileWith(m_prompts, m_viewers, m_helpFile));
    }
}

void HelpFileOpener::end(bool shown) {
    if (m_ended) {
        return;
    }
    m_ended = true;
    emit finished(shown);
    deleteLater();
}

void StartPaintOnCopy(app::Prompts& prompts, const app::AppState& state) {
    // The paint program works on a copy, never on the working files.
    QString argument = state.UntitledFile;
    if (!CopyReplacing(state.TempBMPFile, state.UntitledFile)) {
        argument.clear();
    }
    if (!start(prompts, state.PaintProgram, argument)) {
        reportCannotStart(prompts, QStringLiteral("Can't find MSPaint.exe"));
    }
}

void ShowAbout(app::Prompts& prompts) {
    prompts.message(AboutText(), QStringLiteral("About this Program"), app::MessageIcon::None,
                    app::MessageButtons::Ok);
}

QString AboutText() {
    const QStringList items = {
        QStringLiteral("Vornix Display Tools"),
        QStringLiteral("www.vornix.example"),
        QStringLiteral("Tel. +1 555 0171"),
        QStringLiteral("Beta Version %1.%2").arg(kVersionMinor).arg(kVersionRevision),
        QStringLiteral("Provided as is, without warranty of any kind."),
    };
    return items.join(kCrLf + kCrLf) + kCrLf;
}

bool CopyReplacing(const QString& source, const QString& target) {
    if (source.isEmpty() || target.isEmpty()) {
        return false;
    }
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        return false;
    }
    // The copy is written beside the target and renamed over it on commit, so a failed copy
    // never leaves a half-written file under the target's name, and a link planted at the
    // target is replaced rather than followed.
    image::AtomicFileWriter out(QFile::encodeName(target).toStdString());
    if (!out.open()) {
        return false;
    }
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(kCopyChunk);
        if (chunk.isEmpty() || !out.write(std::string_view(chunk.constData(), chunk.size()))) {
            return false; // the unfinished copy is discarded with `out`
        }
    }
    return out.commit();
}

} // namespace vornix::dialogs
