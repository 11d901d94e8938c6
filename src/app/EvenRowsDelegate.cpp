#include "EvenRowsDelegate.h"

#include <QApplication>
#include <QStyle>

#include <algorithm>

namespace app {

QSize EvenRowsDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    QStyleOptionViewItem japanese = option;
    initStyleOption(&japanese, index);
    japanese.text = QStringLiteral("画層Ag");
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    size.setHeight(std::max(size.height(),
                            style->sizeFromContents(QStyle::CT_ItemViewItem, &japanese, QSize(), option.widget).height()));
    return size;
}

} // namespace app
