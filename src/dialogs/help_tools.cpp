#include "dialogs/help_tools.h"

#include <QDir>
#include <QStandardPaths>
#include <QtGlobal>

namespace vornix::dialogs {

namespace {

// The desktop opener comes first: it starts the user's own choice of text viewer.
const QStringList kTextEditors = {
    QStringLiteral("xdg-open"), QStringLiteral("mousepad"),   QStringLiteral("gedit"),
    QStringLiteral("kate"),     QStringLiteral("xed"),        QStringLiteral("pluma"),
    QStringLiteral("leafpad"),  QStringLiteral("featherpad"), QStringLiteral("gnome-text-editor"),
};

const QStringList kPaintPrograms = {
    QStringLiteral("kolourpaint"), QStringLiteral("pinta"), QStringLiteral("mtpaint"),
    QStringLiteral("gimp"),        QStringLiteral("krita"),
};

QString findOnPath(const QString& name, const QStringList& searchPath) {
    if (searchPath.isEmpty()) {
        return {}; // an empty list would make the lookup fall back to the real PATH
    }
    return QStandardPaths::findExecutable(name, searchPath);
}

QString firstFound(const QStringList& names, const QStringList& searchPath) {
    for (const QString& name : names) {
        const QString found = findOnPath(name, searchPath);
        if (!found.isEmpty()) {
            return found;
        }
    }
    return {};
}

} // namespace

ProgramLookup SystemProgramLookup() {
    ProgramLookup lookup;
    const QString path = qEnvironmentVariable("PATH");
    for (const QString& dir : path.split(QDir::listSeparator(), Qt::SkipEmptyParts)) {
        lookup.searchPath.append(dir);
    }
    lookup.paintOverride = qEnvironmentVariable("VORNIX_PAINT").trimmed();
    return lookup;
}

QString FindTextEditor(const ProgramLookup& lookup) {
    return firstFound(kTextEditors, lookup.searchPath);
}

QString FindFileOpener(const ProgramLookup& lookup) {
    return findOnPath(kTextEditors.first(), lookup.searchPath);
}

QStringList FindTextViewers(const ProgramLookup& lookup) {
    QStringList found;
    for (const QString& name : kTextEditors.mid(1)) {
        if (const QString path = findOnPath(name, lookup.searchPath); !path.isEmpty()) {
            found.append(path);
        }
    }
    return found;
}

QString FindPaintProgram(const ProgramLookup& lookup) {
    const QString& chosen = lookup.paintOverride;
    if (!chosen.isEmpty()) {
        // A bare name is looked up like the listed programs; a path is taken as it is. A
        // program that cannot be found is kept anyway, so that starting it reports the failure
        // instead of silently starting another program.
        if (!chosen.contains(QLatin1Char('/'))) {
            const QString found = findOnPath(chosen, lookup.searchPath);
            if (!found.isEmpty()) {
                return found;
            }
        }
        return chosen;
    }
    return firstFound(kPaintPrograms, lookup.searchPath);
}

} // namespace vornix::dialogs
