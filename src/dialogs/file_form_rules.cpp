#include "dialogs/file_form_rules.h"

#include <array>
#include <cmath>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace vornix::dialogs::file_form {

namespace {

struct FilterEntry {
    const char* text;
    const char* pattern;
};

// The blanks inside the texts line the brackets up in the list; they are part of the texts.
constexpr std::array<FilterEntry, kFilterCount> kFilters{{
    {"BMP files (*.BMP,JPG,GIF)", "*.BMP;*.JPG;*.GIF"},
    {"LCD files  (*.PXL)", "*.PXL"},
    {"All Files    (*.*)", "*.*"},
}};

constexpr int kTwipsPerPixel = 15;

// One expression per wildcard, compiled once for a whole directory listing.
QList<QRegularExpression> compileWildcards(const QString& pattern) {
    QList<QRegularExpression> expressions;
    for (const QString& part : pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        QString wildcard = part.trimmed();
        if (wildcard == QLatin1String("*.*")) {
            wildcard = QStringLiteral("*");
        }
        QRegularExpression expression(QRegularExpression::wildcardToRegularExpression(wildcard),
                                      QRegularExpression::CaseInsensitiveOption);
        if (expression.isValid()) {
            expressions.append(expression);
        }
    }
    return expressions;
}

} // namespace

QString filterEntryText(int index) {
    if (index < 0 || index >= kFilterCount) {
        return {};
    }
    return QString::fromLatin1(kFilters[static_cast<std::size_t>(index)].text);
}

QString filterPattern(int index) {
    if (index == 0 || index == 1) {
        return QString::fromLatin1(kFilters[static_cast<std::size_t>(index)].pattern);
    }
    return QString::fromLatin1(kFilters[2].pattern);
}

int filterIndexForType(const QString& type) {
    if (type == QLatin1String("BMP")) {
        return 0;
    }
    if (type == QLatin1String("PXL")) {
        return 1;
    }
    return 2;
}

QString requestType(const QString& requestCode) {
    return requestCode.left(3);
}

QString requestMode(const QString& requestCode) {
    return requestCode.right(1);
}

QString nameWithoutExtension(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

QString captionForMode(const QString& mode) {
    if (mode == QLatin1String("S")) {
        return QStringLiteral("File Management - SAVE FILE");
    }
    if (mode == QLatin1String("O")) {
        return QStringLiteral("File Management - OPEN FILE");
    }
    return QStringLiteral("File Management");
}

QStringList filterFileNames(const QStringList& fileNames, const QString& pattern) {
    const QList<QRegularExpression> expressions = compileWildcards(pattern);
    QStringList matching;
    for (const QString& name : fileNames) {
        for (const QRegularExpression& expression : expressions) {
            if (expression.match(name).hasMatch()) {
                matching.append(name);
                break;
            }
        }
    }
    return matching;
}

int twipsToPixels(int twips) {
    return static_cast<int>(std::lround(static_cast<double>(twips) / kTwipsPerPixel));
}

QRect twipsRect(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

QPoint formPosition(const QRect& screen, const QSize& window) {
    const float screenWidth = static_cast<float>(screen.width() * kTwipsPerPixel);
    const float screenHeight = static_cast<float>(screen.height() * kTwipsPerPixel);
    const float width = static_cast<float>(window.width() * kTwipsPerPixel);
    const float height = static_cast<float>(window.height() * kTwipsPerPixel);
    const float left = screenWidth * 7.0f / 12.0f - width / 2.0f;
    const float top = screenHeight / 2.0f - height / 2.0f;
    return {screen.x() + static_cast<int>(std::lround(left / kTwipsPerPixel)),
            screen.y() + static_cast<int>(std::lround(top / kTwipsPerPixel))};
}

QString driveOf(const QStringList& roots, const QString& path) {
    QString best;
    for (const QString& root : roots) {
        const bool holds =
            path == root || (root.endsWith(QLatin1Char('/')) ? path.startsWith(root)
                                                             : path.startsWith(root + u'/'));
        if (holds && root.size() > best.size()) {
            best = root;
        }
    }
    return best;
}

QString absoluteDirectory(const QString& path) {
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

bool isUsableDirectory(const QString& path) {
    if (path.isEmpty()) {
        return false;
    }
    const QFileInfo info(path);
    return info.isDir() && info.isReadable() && info.isExecutable();
}

QString fallbackDirectory() {
    for (const QString& candidate : {QDir::currentPath(), QDir::homePath()}) {
        if (isUsableDirectory(candidate)) {
            return absoluteDirectory(candidate);
        }
    }
    return QDir::rootPath();
}

} // namespace vornix::dialogs::file_form
