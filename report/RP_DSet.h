#pragma once
// The report's data sets: what the band engine walks its data bands over.
//
// The band engine calls First, then repeatedly tests Eof, prints a record
// and calls Next.  TrpDataset defines this protocol and a record range;
// TrpUserDataset lets its owner drive it entirely through events;
// TrpDBDataSet walks a database data set (DataSet.h).
//
// Ranges: RangeBegin rbFirst starts at the first record, rbCurrent at the
// record that was current when the data set was opened; RangeEnd reLast
// ends at the last record (for an event-driven data set: when OnCheckEOF
// says so), reCurrent at the record that was current when it was opened,
// reCount after RangeEndCount records.

#include "DataSet.h"
#include "Exceptions.h"

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace report {

// A data set that has nothing to walk.
class EDSError : public Exception {
public:
    using Exception::Exception;
};

enum TRangeBegin : std::uint8_t { rbFirst, rbCurrent };
enum TRangeEnd : std::uint8_t { reLast, reCurrent, reCount };

class TrpDataset : public QObject {
public:
    using TNotifyEvent = std::function<void(TrpDataset& sender)>;
    using TCheckEOFEvent = std::function<void(TrpDataset& sender, bool& eof)>;

    explicit TrpDataset(QObject* owner = nullptr);

    std::string Name() const { return objectName().toStdString(); }

    // Nothing here; a database data set opens and closes its data.
    virtual void Open();
    virtual void Close();
    // RecNo := 0, then OnFirst.
    virtual void First();
    // RecNo + 1, then OnNext, except when RangeEnd is reCount and RecNo has
    // reached RangeEndCount.
    virtual void Next();
    // RecNo - 1, then OnPrior.
    virtual void Prior();
    // True with reCount once RecNo reaches RangeEndCount; otherwise False,
    // unless OnCheckEOF says otherwise.
    virtual bool Eof();

    TRangeBegin RangeBegin = rbFirst;
    TRangeEnd RangeEnd = reLast;
    std::int32_t RangeEndCount = 0;
    TNotifyEvent OnFirst;
    TNotifyEvent OnNext;
    TNotifyEvent OnPrior;
    TCheckEOFEvent OnCheckEOF;

    // Records passed since First.
    std::int32_t RecNo = 0;
};

// A data set whose owner supplies the records through its events.
class TrpUserDataset : public TrpDataset {
public:
    using TrpDataset::TrpDataset;
};

class TrpDBDataSet : public TrpDataset {
public:
    explicit TrpDBDataSet(QObject* owner = nullptr);

    // Setting one reference clears the other; a referenced component that
    // is destroyed leaves no dangling reference.
    void SetDataSet(TDataSet* dataSet);
    void SetDataSource(TDataSource* dataSource);
    TDataSet* DataSet() const { return dataSet_; }
    TDataSource* DataSource() const { return dataSource_; }

    // The data source's data set if there is one, else DataSet; raises
    // EDSError "Unable to open dataset " + name when neither exists.
    TDataSet* ActiveDataSet() const;

    void Open() override;
    void Close() override;
    void First() override;
    void Next() override;
    void Prior() override;
    bool Eof() override;

    bool OpenDataSource = true;
    bool CloseDataSource = false;
    TNotifyEvent OnOpen;
    TNotifyEvent OnClose;

private:
    QPointer<TDataSet> dataSet_;
    QPointer<TDataSource> dataSource_;
    std::optional<TBookmark> bookmark_;
    bool end_ = false;
};

} // namespace report
