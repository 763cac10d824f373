#include "EventListModel.h"

#include "LogImages.h"

#include "ntlib/EventItem.h"

TEventListModel::TEventListModel(const std::vector<TEventItem*>& events, const TLogImageList& images,
                                 QObject* parent)
    : QAbstractTableModel(parent)
    , events_(events)
    , images_(images)
{
}

void TEventListModel::SetCount(int count)
{
    beginResetModel();
    count_ = count < 0 ? 0 : count;
    endResetModel();
}

int TEventListModel::IndexOfRow(int row) const
{
    if (row < 0 || row >= count_)
        return -1;
    const int index = count_ - 1 - row;
    return static_cast<std::size_t>(index) < events_.size() ? index : -1;
}

int TEventListModel::RowOfIndex(int listIndex) const
{
    if (listIndex < 0 || listIndex >= count_ || static_cast<std::size_t>(listIndex) >= events_.size())
        return -1;
    return count_ - 1 - listIndex;
}

TEventItem* TEventListModel::EventAt(int row) const
{
    const int index = IndexOfRow(row);
    return index < 0 ? nullptr : events_[static_cast<std::size_t>(index)];
}

void TEventListModel::SetFormatter(const TEventColumnFormatter& formatter)
{
    formatter_ = formatter;
    if (count_ > 0) {
        // Every text changes: a layout change keeps the selection and costs
        // nothing per row.
        emit layoutAboutToBeChanged();
        emit layoutChanged();
    }
}

int TEventListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count_;
}

int TEventListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kLogColumnCount;
}

QVariant TEventListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.column() < 0 || index.column() >= kLogColumnCount)
        return {};
    TEventItem* e = EventAt(index.row());
    if (!e)
        return {};
    const auto column = static_cast<TLogColumn>(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return formatter_.Text(*e, column);
    case Qt::DecorationRole:
        if (column == lcType) {
            const int image = EventTypeImageIndex(e->EventType);
            if (image >= 0)
                return images_.Icon(image);
        }
        return {};
    case EventTypeRole:
        return static_cast<int>(e->EventType);
    default:
        return {};
    }
}

QVariant TEventListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kLogColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return LogColumnCaption(static_cast<TLogColumn>(section));
}

Qt::ItemFlags TEventListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}
