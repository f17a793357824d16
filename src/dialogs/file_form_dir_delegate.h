#pragma once

#include <QStyledItemDelegate>

namespace vornix::dialogs {

// Draws each directory entry shifted right by its depth, so that the list reads as a path
// from the root down to the current directory and its subdirectories. In a deep path the steps
// shrink so that the deepest entry still leaves kMinimumNameWidth pixels for its name.
class FileFormDirDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    // Item data role that holds an entry's depth (0 for the root).
    static constexpr int kDepthRole = Qt::UserRole + 1;
    static constexpr int kIndentPixels = 10;
    static constexpr int kMinimumNameWidth = 96;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The indent of an entry at depth in a list whose deepest entry is at deepest.
    static int indentOf(int depth, int deepest, int rowWidth);

private:
    static int indentOf(const QModelIndex& index, int rowWidth);
};

} // namespace vornix::dialogs
