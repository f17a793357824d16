#include "dialogs/file_form_dir_delegate.h"

#include <algorithm>

namespace vornix::dialogs {

int FileFormDirDelegate::indentOf(int depth, int deepest, int rowWidth) {
    const int room = std::max(0, rowWidth - kMinimumNameWidth);
    if (deepest * kIndentPixels <= room) {
        return depth * kIndentPixels;
    }
    // Deep paths would push names out of the list: every step shrinks alike, so the entries
    // still read as a path.
    return deepest > 0 ? depth * room / deepest : 0;
}

int FileFormDirDelegate::indentOf(const QModelIndex& index, int rowWidth) {
    // The subdirectories come last and are the deepest entries; without them the current
    // directory is.
    const QAbstractItemModel* model = index.model();
    const QModelIndex last = model->index(model->rowCount(index.parent()) - 1, 0, index.parent());
    return indentOf(index.data(kDepthRole).toInt(), last.data(kDepthRole).toInt(), rowWidth);
}

void FileFormDirDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    QStyleOptionViewItem shifted(option);
    shifted.rect.setLeft(option.rect.left() + indentOf(index, option.rect.width()));
    QStyledItemDelegate::paint(painter, shifted, index);
}

QSize FileFormDirDelegate::sizeHint(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    const QSize size = QStyledItemDelegate::sizeHint(option, index);
    return {size.width() + indentOf(index, option.rect.width()), size.height()};
}

} // namespace vornix::dialogs
