#pragma once

#include <QListWidget>
#include <QString>

namespace vornix::dialogs {

// The directory list of the file window: the current directory, its parents up to the root,
// and its subdirectories, each indented by its depth. A click only highlights an entry; a
// double-click, or Enter on a highlighted entry, opens it. pathChanged() is raised only when
// the path really changes.
class FileFormDirList : public QListWidget {
    Q_OBJECT

public:
    // Item data role that holds an entry's full path.
    static constexpr int kPathRole = Qt::UserRole;

    explicit FileFormDirList(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    // Shows path (made absolute and clean); "" is ignored. The path is not checked: an
    // unreadable directory shows no subdirectories.
    void setPath(const QString& path);

    // Opens the directory of an entry, as a double-click does; an entry that cannot be read
    // is refused with a beep, the list stays where it is and the highlight goes back to the
    // directory shown.
    void openEntry(QListWidgetItem* item);

signals:
    void pathChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void refresh();
    void addEntry(const QString& text, const QString& path, int depth, bool open);
    void highlightCurrentDirectory();

    QString m_path;
    int m_currentRow = -1; // the entry of the directory shown
};

} // namespace vornix::dialogs
