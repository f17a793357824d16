#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace vornix::app {
class Prompts;
struct AppState;
} // namespace vornix::app

namespace vornix::dialogs {

// The help text's file name; it lives in the program's own directory, or in the documentation
// folder of an installed copy.
inline constexpr char kHelpFileName[] = "Vornix.txt";

// The folder that holds the help text: programDir when the text is there (a build tree, a
// portable copy), else the installed documentation folder relative to programDir
// (../share/doc/vornix) when the text is there, else programDir, so that the editor reports
// the missing file under its usual name.
QString HelpFileDirectory(const QString& programDir);

// "Help File": starts textEditor with the single argument programDir + "/Vornix.txt" and
// does not wait for it. When there is no editor or it cannot be started, HelpFileNotShown's box.
// A missing help file is left to the editor to report.
void OpenHelpFile(app::Prompts& prompts, const QString& textEditor, const QString& programDir);

// Starts the first of `viewers` that starts, with the single argument helpFile; when none
// does, the message "Can't find Notepad.exe", titled kFileErrorTitle (OK, no icon), the box
// the window has always shown when its editor cannot be started. True when a viewer started.
bool ShowHelpFileWith(app::Prompts& prompts, const QStringList& viewers, const QString& helpFile);

// "Help File" as the window runs it: the desktop's opener is started and watched without
// blocking the window; when it is missing, cannot start or ends with a failure (it has no
// viewer for text, for instance), the text viewers are tried in turn (ShowHelpFileWith).
// The object deletes itself once it has finished.
class HelpFileOpener : public QObject {
    Q_OBJECT
public:
    HelpFileOpener(app::Prompts& prompts, QString opener, QStringList viewers,
                   QObject* parent = nullptr);
    void open(const QString& helpFile);

signals:
    // The guide is shown (by the opener or a viewer), or the user was told it could not be.
    void finished(bool shown);

private:
    void fallBack();
    void end(bool shown);

    app::Prompts& m_prompts;
    QString m_opener;
    QStringList m_viewers;
    QString m_helpFile;
    QProcess* m_process = nullptr;
    bool m_ended = false;
};

// "Run MSPaint": copies the working bitmap TempBMPFile over UntitledFile and starts
// PaintProgram with the copy's path as its single argument, or with the empty string when
// the copy failed (no working bitmap yet, for instance). The copy replaces the old one only
// once it is complete. When the paint program cannot be started, the message
// "Can't find MSPaint.exe" titled kFileErrorTitle (OK, no icon).
void StartPaintOnCopy(app::Prompts& prompts, const app::AppState& state);

// "About": the About box, titled "About this Program", OK, no icon, with AboutText().
void ShowAbout(app::Prompts& prompts);

// The About text: maker, web address, telephone, "Beta Version <minor>.<revision>" and the
// legal notice, each followed by CR LF twice except the last, which is followed by CR LF once.
QString AboutText();

// Copies source over target, replacing target only by a complete copy. False when the copy
// could not be made; target is then left as it was.
bool CopyReplacing(const QString& source, const QString& target);

} // namespace vornix::dialogs
