#include "dialogs/file_form_dir_list.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QSignalBlocker>
#include <QStyle>

#include "dialogs/file_form_dir_delegate.h"
#include "dialogs/file_form_rules.h"

namespace vornix::dialogs {

FileFormDirList::FileFormDirList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new FileFormDirDelegate(this));
    setIconSize(QSize(16, 16));
    setUniformItemSizes(true);
    // Long names are shortened in the middle, so that names differing only at their end stay
    // apart; each entry's tip holds its full path.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideMiddle);
    connect(this, &QListWidget::itemDoubleClicked, this, &FileFormDirList::openEntry);
}

void FileFormDirList::setPath(const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    const QString absolute = file_form::absoluteDirectory(path);
    if (absolute == m_path) {
        return;
    }
    m_path = absolute;
    refresh();
    emit pathChanged();
}

void FileFormDirList::openEntry(QListWidgetItem* item) {
    if (item == nullptr) {
        return;
    }
    const QString target = item->data(kPathRole).toString();
    if (!file_form::isUsableDirectory(target)) {
        // The highlight goes back to the directory the list still shows.
        QApplication::beep();
        highlightCurrentDirectory();
        return;
    }
    setPath(target);
}

void FileFormDirList::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    QListWidgetItem* item = currentItem();
    // Enter on another directory opens it; on the current one it goes on to the OK button.
    if (enter && item != nullptr && item->data(kPathRole).toString() != m_path) {
        openEntry(item);
        event->accept();
        return;
    }
    if (enter) {
        event->ignore();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void FileFormDirList::refresh() {
    const QSignalBlocker blocker(this);
    clear();

    const QStringList parts = m_path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString walked = QStringLiteral("/");
    addEntry(walked, walked, 0, true);
    for (qsizetype i = 0; i < parts.size(); ++i) {
        walked = QDir::cleanPath(walked + u'/' + parts[i]);
        addEntry(parts[i], walked, static_cast<int>(i + 1), true);
    }
    m_currentRow = count() - 1;
    QListWidgetItem* current = item(m_currentRow);

    const QDir directory(m_path);
    const QStringList children =
        directory.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    const int childDepth = static_cast<int>(parts.size()) + 1;
    for (const QString& child : children) {
        addEntry(child, directory.absoluteFilePath(child), childDepth, false);
    }
    setCurrentItem(current);
    scrollToItem(current, QAbstractItemView::PositionAtCenter);
}

void FileFormDirList::highlightCurrentDirectory() {
    if (QListWidgetItem* current = item(m_currentRow)) {
        setCurrentItem(current);
    }
}

void FileFormDirList::addEntry(const QString& text, const QString& path, int depth, bool open) {
    const QStyle::StandardPixmap icon = open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon;
    auto* entry = new QListWidgetItem(style()->standardIcon(icon), text, this);
    entry->setData(kPathRole, QDir::cleanPath(path));
    entry->setToolTip(QDir::cleanPath(path));
    entry->setData(FileFormDirDelegate::kDepthRole, depth);
}

} // namespace vornix::dialogs
