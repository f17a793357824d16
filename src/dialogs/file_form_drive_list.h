#pragma once

#include <QComboBox>
#include <QString>
#include <QStringList>

namespace vornix::dialogs {

// The drive list of the file window: the mounted volumes, the root "/" first. Its value is the
// root path of the chosen volume. driveChanged() is raised only when that value really
// changes, whether the user picked a volume or the window set one.
class FileFormDriveList : public QComboBox {
    Q_OBJECT

public:
    explicit FileFormDriveList(QWidget* parent = nullptr);

    // Root paths of the listed volumes, in list order.
    QStringList drives() const { return m_roots; }
    QString drive() const { return m_drive; }

    // Chooses the volume that holds path (a volume's root or any directory on it). Paths
    // outside every listed volume fall to the root "/".
    void setDrive(const QString& path);

    // Replaces the listed volumes; "/" is always listed and comes first.
    void setVolumes(const QStringList& roots, const QStringList& labels = {});

    // The closed list's text as drawn: a long entry is shortened in the middle with "…", the
    // whole entry being the tool tip.
    QString shownText() const;

signals:
    void driveChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void updateToolTip();
    QRect textArea() const;
    void loadMountedVolumes();
    void onActivated(int index);

    QStringList m_roots;
    QString m_drive;
};

} // namespace vornix::dialogs
