#pragma once

#include <QStyledItemDelegate>

namespace app {

/// Lays a list's rows out at one height whatever script they hold: a row of
/// Latin letters alone is as high as one with Japanese, whose glyphs come
/// from a taller fallback font.
class EvenRowsDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace app
