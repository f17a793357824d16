#include "dialogs/file_form_drive_list.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QDir>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QStorageInfo>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include "dialogs/file_form_rules.h"

namespace vornix::dialogs {

namespace {

const QString kRoot = QStringLiteral("/");

QString entryText(const QString& root, const QString& label) {
    return label.isEmpty() ? root : root + QStringLiteral("  [") + label + u']';
}

} // namespace

FileFormDriveList::FileFormDriveList(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    view()->setTextElideMode(Qt::ElideMiddle);
    loadMountedVolumes();
    connect(this, &QComboBox::activated, this, &FileFormDriveList::onActivated);
}

void FileFormDriveList::loadMountedVolumes() {
    QStringList roots;
    QStringList labels;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = QDir::cleanPath(volume.rootPath());
        // Single files bind-mounted into a container are volumes too, but not places to browse.
        if (!volume.isValid() || !QFileInfo(root).isDir() || roots.contains(root)) {
            continue;
        }
        roots.append(root);
        labels.append(volume.name());
    }
    setVolumes(roots, labels);
}

void FileFormDriveList::setVolumes(const QStringList& roots, const QStringList& labels) {
    QList<std::pair<QString, QString>> volumes;
    for (qsizetype i = 0; i < roots.size(); ++i) {
        volumes.append({roots[i], i < labels.size() ? labels[i] : QString()});
    }
    std::sort(volumes.begin(), volumes.end(), [](const auto& a, const auto& b) {
        if ((a.first == kRoot) != (b.first == kRoot)) {
            return a.first == kRoot;
        }
        return a.first < b.first;
    });
    if (volumes.isEmpty() || volumes.front().first != kRoot) {
        volumes.prepend({kRoot, QString()});
    }

    const QSignalBlocker blocker(this);
    clear();
    m_roots.clear();
    for (const auto& [root, label] : volumes) {
        addItem(entryText(root, label), root);
        setItemData(count() - 1, entryText(root, label), Qt::ToolTipRole);
        m_roots.append(root);
    }
    setCurrentIndex(static_cast<int>(m_roots.indexOf(m_drive)));
    updateToolTip();
}

void FileFormDriveList::updateToolTip() {
    setToolTip(currentText());
}

QRect FileFormDriveList::textArea() const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    return style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField,
                                   this);
}

QString FileFormDriveList::shownText() const {
    return fontMetrics().elidedText(currentText(), Qt::ElideMiddle, textArea().width());
}

void FileFormDriveList::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.currentText = shownText();
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void FileFormDriveList::setDrive(const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    QString drive = file_form::driveOf(m_roots, file_form::absoluteDirectory(path));
    if (drive.isEmpty()) {
        drive = kRoot;
    }
    {
        const QSignalBlocker blocker(this);
        setCurrentIndex(static_cast<int>(m_roots.indexOf(drive)));
    }
    updateToolTip();
    if (drive == m_drive) {
        return;
    }
    m_drive = drive;
    emit driveChanged();
}

void FileFormDriveList::onActivated(int index) {
    if (index >= 0 && index < m_roots.size()) {
        setDrive(m_roots[index]);
    }
}

} // namespace vornix::dialogs
