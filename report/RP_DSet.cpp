#include "RP_DSet.h"

namespace report {

// ---- TrpDataset ---------------------------------------------------------------

TrpDataset::TrpDataset(QObject* owner) : QObject(owner) {}

void TrpDataset::Open() {}

void TrpDataset::Close() {}

void TrpDataset::First()
{
    RecNo = 0;
    if (OnFirst)
        OnFirst(*this);
}

void TrpDataset::Next()
{
    ++RecNo;
    if (RangeEnd == reCount && RecNo >= RangeEndCount)
        return;
    if (OnNext)
        OnNext(*this);
}

void TrpDataset::Prior()
{
    --RecNo;
    if (OnPrior)
        OnPrior(*this);
}

bool TrpDataset::Eof()
{
    bool eof = RangeEnd == reCount && RecNo >= RangeEndCount;
    if (OnCheckEOF)
        OnCheckEOF(*this, eof);
    return eof;
}

// ---- TrpDBDataSet -------------------------------------------------------------

TrpDBDataSet::TrpDBDataSet(QObject* owner) : TrpDataset(owner) {}

void TrpDBDataSet::SetDataSet(TDataSet* dataSet)
{
    dataSet_ = dataSet;
    dataSource_ = nullptr;
}

void TrpDBDataSet::SetDataSource(TDataSource* dataSource)
{
    dataSource_ = dataSource;
    if (dataSource != nullptr)
        dataSet_ = nullptr;
}

TDataSet* TrpDBDataSet::ActiveDataSet() const
{
    if (dataSource_ != nullptr && dataSource_->DataSet != nullptr)
        return dataSource_->DataSet;
    if (dataSet_ != nullptr)
        return dataSet_;
    throw EDSError("Unable to open dataset " + Name());
}

void TrpDBDataSet::Open()
{
    TDataSet* data = ActiveDataSet();
    if (OpenDataSource)
        data->Open();
    if (OnOpen)
        OnOpen(*this);
    bookmark_.reset();
    if (RangeBegin == rbCurrent || RangeEnd == reCurrent)
        bookmark_ = data->GetBookmark();
    end_ = false;
}

void TrpDBDataSet::Close()
{
    TDataSet* data = ActiveDataSet();
    if (bookmark_) {
        const TBookmark bookmark = *bookmark_;
        bookmark_.reset();
        if (data->Active() && bookmark >= 0)
            data->GotoBookmark(bookmark);
    }
    if (OnClose)
        OnClose(*this);
    if (CloseDataSource)
        data->Close();
}

void TrpDBDataSet::First()
{
    TDataSet* data = ActiveDataSet();
    if (RangeBegin == rbCurrent && bookmark_ && *bookmark_ >= 0)
        data->GotoBookmark(*bookmark_);
    else
        data->First();
    end_ = false;
    TrpDataset::First();
}

void TrpDBDataSet::Next()
{
    TDataSet* data = ActiveDataSet();
    end_ = false;
    if (RangeEnd == reCurrent && bookmark_ && TDataSet::SameBookmark(data->GetBookmark(), *bookmark_)) {
        end_ = true;
        return;
    }
    data->Next();
    TrpDataset::Next();
}

void TrpDBDataSet::Prior()
{
    ActiveDataSet()->Prior();
    TrpDataset::Prior();
}

bool TrpDBDataSet::Eof()
{
    const bool base = TrpDataset::Eof();
    return base || ActiveDataSet()->Eof() || end_;
}

} // namespace report
