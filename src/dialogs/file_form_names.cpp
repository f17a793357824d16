#include "dialogs/file_form_names.h"

#include <algorithm>
#include <memory>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <QFile>

namespace vornix::dialogs::file_form {

namespace {

constexpr QChar kReplacement(0xFFFD);

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

// Calls visit(name bytes, is a regular file) for every entry but "." and "..".
template <typename Visit> bool forEachEntry(const QByteArray& directory, Visit visit) {
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(directory.constData()));
    if (!dir) {
        return false;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..") {
            continue;
        }
        struct stat info {};
        const bool regular =
            ::fstatat(::dirfd(dir.get()), entry->d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
        visit(name, regular);
    }
    return true;
}

} // namespace

QList<ListedFile> listFiles(const QString& directory) {
    QList<ListedFile> files;
    forEachEntry(QFile::encodeName(directory), [&files](const QByteArray& name, bool regular) {
        if (regular && !name.startsWith('.')) {
            files.append({QString::fromUtf8(name), name});
        }
    });
    std::sort(files.begin(), files.end(), [](const ListedFile& a, const ListedFile& b) {
        const int order = a.shown.compare(b.shown, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.native < b.native;
    });
    return files;
}

QByteArray nativePath(const QString& path) {
    const QByteArray encoded = QFile::encodeName(path);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString name = path.mid(slash + 1);
    struct stat info {};
    if (!name.contains(kReplacement) || ::stat(encoded.constData(), &info) == 0) {
        return encoded;
    }
    const QString folder =
        slash < 0 ? QStringLiteral(".") : path.left(std::max<qsizetype>(slash, 1));
    const QByteArray folderBytes = QFile::encodeName(folder);
    QList<QByteArray> matches;
    forEachEntry(folderBytes, [&](const QByteArray& entry, bool) {
        if (QString::fromUtf8(entry) == name) {
            matches.append(entry);
        }
    });
    if (matches.size() != 1) {
        return encoded;
    }
    return slash < 0
               ? matches.front()
               : (folderBytes.endsWith('/') ? folderBytes : folderBytes + '/') + matches.front();
}

} // namespace vornix::dialogs::file_form
