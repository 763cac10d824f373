#pragma once
// The data-access layer under the report's database data sets.
//
// A TDataSet is the result of one SELECT statement on a Qt SQL connection,
// held in a QSqlQuery that is not forward-only, so it can move both ways
// and return to a bookmarked row.  Its position is its own state:
// - First on an empty result, and Next on the last row, set Eof and leave
//   the last row current (the band engine steps back one record after the
//   end to print group footers);
// - Prior on the first row sets Bof and stays there;
// - a bookmark is the row position.
// Failures of the driver raise EDatabaseError with the driver's text.
//
// Field kinds come from the column types the driver reports; values come
// from what the row holds, so a column that SQLite declares loosely still
// gives numbers as numbers.

#include "Exceptions.h"
#include "RpStream.h"
#include "Variant.h"

#include <QObject>
#include <QPointer>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace report {

// A database failure: the message is the driver's text, or "Field 'x' not
// found" for a field a data set does not have.
class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

enum TFieldType : std::uint8_t {
    ftUnknown,
    ftString,
    ftInteger,  // a value beyond 32 bits reads as its decimal text
    ftFloat,
    ftBoolean,
    ftDateTime,
    ftBlob,
};

class TDataSet;

// One column of a data set's current row.  A handle: it stays valid while
// the data set stays open with the same statement.
class TField {
public:
    TField(const TDataSet* dataSet, int index) : dataSet_(dataSet), index_(index) {}

    const TDataSet* DataSet() const { return dataSet_; }
    int Index() const { return index_; }
    std::string FieldName() const;
    TFieldType DataType() const;
    bool IsNull() const;
    // The value of the current row: Null for a null, an integer, a real, a
    // Boolean, a date-time or a text (blobs as their bytes); an integer
    // outside 32 bits as its decimal text.
    Variant Value() const;
    // The value as shown: the data set's get-text handler when it has one
    // for this field, else the value's text ("" for a null).
    std::string DisplayText() const;
    bool HasGetTextHandler() const;
    // The bytes of a blob (or the text of any other value).
    std::string AsBytes() const;

private:
    const TDataSet* dataSet_;
    int index_;
};

using TBookmark = int;

class TDataSet : public QObject {
public:
    explicit TDataSet(QObject* owner = nullptr);
    ~TDataSet() override;

    // The connection, by its Qt SQL connection name; the default connection
    // when empty.
    QString ConnectionName;
    // The SELECT statement.
    std::string SQL;

    std::string Name() const { return objectName().toStdString(); }

    // Runs the statement and moves to the first row; raises EDatabaseError
    // when the driver refuses it or it yields no result set.
    void Open();
    void Close();
    bool Active() const { return active_; }

    void First();
    void Next();
    void Prior();
    bool Eof() const { return eof_; }
    bool Bof() const { return bof_; }
    bool IsEmpty() const;
    // The current row, 0-based; -1 when there is none.
    int RecNo() const;
    int RecordCount() const;

    TBookmark GetBookmark() const { return RecNo(); }
    void GotoBookmark(TBookmark bookmark);
    static bool SameBookmark(TBookmark a, TBookmark b) { return a == b; }

    int FieldCount() const;
    std::vector<std::string> FieldNames() const;
    // Letter case ignored.
    std::optional<TField> FindField(const std::string& name) const;
    // Raises EDatabaseError "Field 'name' not found".
    TField FieldByName(const std::string& name) const;

    // A handler that gives a field's display text, as a text value.
    using GetTextHandler = std::function<std::string(const TField&)>;
    void SetGetTextHandler(const std::string& fieldName, GetTextHandler handler);

private:
    friend class TField;

    void CheckActive() const;
    void Fail(const QString& what) const;
    const GetTextHandler* HandlerOf(int index) const;

    QSqlQuery query_;
    QSqlRecord record_;
    std::vector<TFieldType> kinds_;
    std::map<std::string, GetTextHandler> handlers_;  // upper-cased field name
    bool active_ = false;
    bool eof_ = true;
    bool bof_ = true;
};

// Names a data set, as a form's data source does.
class TDataSource : public QObject {
public:
    explicit TDataSource(QObject* owner = nullptr) : QObject(owner) {}
    QPointer<TDataSet> DataSet;
};

// True for blob fields: the only kind a picture or a stream loads from.
bool IsBlobField(const TField& field);
// The field's bytes written into the stream from its start; the stream is
// rewound to position 0.
void SaveBlobToStream(const TField& field, TrpStream& target);

// The field's value for a report: opens the data set when it is closed; the
// display text when the field has a get-text handler (for a null too: the
// handler says how it shows), else the value.  A null value becomes the
// empty value of the field's kind: "" for texts, False for Booleans, 0 for
// everything else.
void FieldValueAsVariant(const TField& field, Variant& value);
// The name when the data set has a field of that name (letter case
// ignored), else "".  No data set, or a data set whose fields cannot be
// listed, gives "".
std::string FieldNameIfPresent(TDataSet* dataSet, const std::string& name);

} // namespace report
