#pragma once

#include <QListWidget>
#include <QString>

namespace vornix::dialogs {

// The file list of the file window: the files of one directory whose names match a pattern
// (";"-separated wildcards, any letter case). pathChanged() and patternChanged() are raised
// only when the value really changes. fileClicked() is raised when the user selects a file,
// fileDoubleClicked() when the user double-clicks one; refilling the list raises neither.
class FileFormFileList : public QListWidget {
    Q_OBJECT

public:
    explicit FileFormFileList(QWidget* parent = nullptr);

    QString path() const { return m_path; }
    // Lists the files of path (made absolute and clean); "" is ignored.
    void setPath(const QString& path);

    QString pattern() const { return m_pattern; }
    void setPattern(const QString& pattern);

    // The selected file's name, "" when none is selected.
    QString fileName() const;

signals:
    void pathChanged();
    void patternChanged();
    void fileClicked();
    void fileDoubleClicked();

protected:
    // Tabbing into the list selects its first file when none is selected.
    void focusInEvent(QFocusEvent* event) override;

private:
    void refresh();

    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
};

} // namespace vornix::dialogs
