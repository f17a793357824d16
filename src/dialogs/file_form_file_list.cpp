#include "dialogs/file_form_file_list.h"

#include <QDir>
#include <QFocusEvent>
#include <QSignalBlocker>

#include "dialogs/file_form_names.h"
#include "dialogs/file_form_rules.h"

namespace vornix::dialogs {

FileFormFileList::FileFormFileList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    // A long name is shortened in the middle, keeping its extension in view; its tip holds it
    // whole.
    setTextElideMode(Qt::ElideMiddle);
    // A selection by mouse or keys names a file; clicking the selected file again names it
    // again. Focus arriving by a click marks nothing by itself; by Tab it selects the first
    // file.
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (!fileName().isEmpty()) {
            emit fileClicked();
        }
    });
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        if (item->isSelected()) {
            emit fileClicked();
        }
    });
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem*) { emit fileDoubleClicked(); });
}

void FileFormFileList::focusInEvent(QFocusEvent* event) {
    QListWidget::focusInEvent(event);
    const bool byKeys =
        event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
    if (byKeys && selectedItems().isEmpty() && count() > 0) {
        setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
    }
}

void FileFormFileList::setPath(const QString& path) {
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

void FileFormFileList::setPattern(const QString& pattern) {
    if (pattern == m_pattern) {
        return;
    }
    m_pattern = pattern;
    refresh();
    emit patternChanged();
}

QString FileFormFileList::fileName() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? QString() : selected.front()->text();
}

void FileFormFileList::refresh() {
    const QSignalBlocker blocker(this);
    clear();
    if (m_path.isEmpty()) {
        return;
    }
    // Names that are not valid UTF-8 are listed too, shown with replacement characters; the
    // open commands find such a file again by the shown name.
    QStringList names;
    for (const file_form::ListedFile& file : file_form::listFiles(m_path)) {
        names.append(file.shown);
    }
    for (const QString& name : file_form::filterFileNames(names, m_pattern)) {
        auto* entry = new QListWidgetItem(name, this);
        entry->setToolTip(name);
    }
    setCurrentRow(-1);
}

} // namespace vornix::dialogs
