#include "dialogs/file_form_dir_delegate.h"

#include <algorithm>

namespace vornix::dialogs {

int FileFormDirDelegate::indentOf(const QModelIndex& index, int rowWidth) {
    // Deep paths would push names out of the list: the indent stops where a name still fits.
    const int indent = index.data(kDepthRole).toInt() * kIndentPixels;
    return std::clamp(rowWidth - kMinimumNameWidth, 0, indent);
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
