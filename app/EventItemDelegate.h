#pragma once
// Cells of the event list drawn with the platform list view's narrow
// padding: a type icon and a text two pixels in from the cell's edges, so
// that the columns' designed widths hold their whole texts ("Audit
// Success" with its icon in 94 pixels of Tahoma 8).  The style still draws
// each cell's background, selection and focus.

#include <QStyledItemDelegate>

class TEventItemDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    // Space between the cell's edges and its icon or text, and between the
    // icon and the text.
    static constexpr int kMargin = 2;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};
