#pragma once

#include <QString>
#include <QStringList>

namespace vornix::dialogs {

// Where the Help menu looks for the two outside programs it starts. Built from the process
// environment for the real program; tests build their own.
struct ProgramLookup {
    QStringList searchPath; // directories searched in order, as in PATH
    QString paintOverride;  // the paint program the user named in VORNIX_PAINT ("" if none)
};

// The lookup of the running process: PATH and VORNIX_PAINT.
ProgramLookup SystemProgramLookup();

// The program that shows the help text: the desktop's file opener, else the first text editor
// of a short list that is found; "" when there is none.
QString FindTextEditor(const ProgramLookup& lookup);

// The desktop's file opener (xdg-open) on the search path; "" when there is none.
QString FindFileOpener(const ProgramLookup& lookup);

// Every text editor of FindTextEditor's list that is found, the opener left out, in the
// list's order: the programs Help File falls back on when the opener fails.
QStringList FindTextViewers(const ProgramLookup& lookup);

// The paint program that "Run MSPaint" starts: the one named in VORNIX_PAINT (resolved on
// the search path when it is a bare name), else the first of a short list that is found;
// "" when there is none.
QString FindPaintProgram(const ProgramLookup& lookup);

} // namespace vornix::dialogs
