#pragma once
// The model behind a log window's event list.  It shows the window's list
// of events newest first: row r shows events[count - 1 - r].  Its row count
// is set apart from the list, so a load can fill the list while the view
// shows no rows, and the view learns the count in one step at the end.
// Only the rows the view asks for are formatted.

#include "EventColumns.h"

#include <QAbstractTableModel>

#include <vector>

class TEventItem;
class TLogImageList;

class TEventListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    // The role of a row's event type code (the row's data).
    static constexpr int EventTypeRole = Qt::UserRole;

    // `events` and `images` belong to the window and outlive the model's
    // use of them; the events are never freed here.
    TEventListModel(const std::vector<TEventItem*>& events, const TLogImageList& images,
                    QObject* parent = nullptr);

    // The number of rows the view shows (a reset of the model).  Rows past
    // the end of the list show nothing.
    void SetCount(int count);
    int Count() const { return count_; }

    // The event in a row, or nullptr outside the rows.
    TEventItem* EventAt(int row) const;
    // The row of a list index, or -1 when no row shows it.
    int RowOfIndex(int listIndex) const;
    // The list index of a row, or -1.
    int IndexOfRow(int row) const;

    void SetFormatter(const TEventColumnFormatter& formatter);
    const TEventColumnFormatter& Formatter() const { return formatter_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    const std::vector<TEventItem*>& events_;
    const TLogImageList& images_;
    TEventColumnFormatter formatter_;
    int count_ = 0;
};
