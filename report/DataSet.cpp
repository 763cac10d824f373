#include "DataSet.h"

#include <QDate>
#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QTime>

#include <limits>

namespace report {

namespace {

std::string Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

TFieldType KindOf(QMetaType type)
{
    switch (type.id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        return ftInteger;
    case QMetaType::Double:
    case QMetaType::Float:
        return ftFloat;
    case QMetaType::Bool:
        return ftBoolean;
    case QMetaType::QDate:
    case QMetaType::QTime:
    case QMetaType::QDateTime:
        return ftDateTime;
    case QMetaType::QByteArray:
        return ftBlob;
    case QMetaType::QString:
        return ftString;
    default:
        return ftUnknown;
    }
}

bool IsIntegerValue(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

// Days since 1899-12-30, the way date-time values count them.
double DateTimeValue(const QDate& date, const QTime& time)
{
    static const QDate origin(1899, 12, 30);
    double days = date.isValid() ? static_cast<double>(origin.daysTo(date)) : 0.0;
    const double fraction = time.isValid() ? time.msecsSinceStartOfDay() / 86'400'000.0 : 0.0;
    return days < 0 ? days - fraction : days + fraction;
}

Variant IntegerVariant(const QVariant& value)
{
    if (value.metaType().id() == QMetaType::ULongLong || value.metaType().id() == QMetaType::ULong) {
        const qulonglong u = value.toULongLong();
        if (u <= static_cast<qulonglong>(std::numeric_limits<std::int32_t>::max()))
            return Variant(static_cast<std::int32_t>(u));
        return Variant(std::to_string(u));
    }
    const qlonglong v = value.toLongLong();
    if (v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max())
        return Variant(static_cast<std::int32_t>(v));
    return Variant(std::to_string(v));
}

Variant ConvertValue(const QVariant& value, TFieldType kind)
{
    if (IsIntegerValue(value)) {
        if (kind == ftBoolean)
            return Variant(value.toLongLong() != 0);
        if (kind == ftFloat)
            return Variant(value.toDouble());
        return IntegerVariant(value);
    }
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return Variant(value.toBool());
    case QMetaType::Double:
    case QMetaType::Float:
        return Variant(value.toDouble());
    case QMetaType::QDate:
        return Variant::dateTime(DateTimeValue(value.toDate(), QTime()));
    case QMetaType::QTime:
        return Variant::dateTime(DateTimeValue(QDate(), value.toTime()));
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        return Variant::dateTime(DateTimeValue(dt.date(), dt.time()));
    }
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return Variant(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }
    default:
        return Variant(value.toString().toStdString());
    }
}

} // namespace

// ---- TField -------------------------------------------------------------------

std::string TField::FieldName() const
{
    return dataSet_->record_.fieldName(index_).toStdString();
}

TFieldType TField::DataType() const
{
    return dataSet_->kinds_.at(static_cast<std::size_t>(index_));
}

bool TField::IsNull() const
{
    dataSet_->CheckActive();
    return dataSet_->RecNo() < 0 || dataSet_->query_.isNull(index_);
}

Variant TField::Value() const
{
    if (IsNull())
        return Variant::null();
    return ConvertValue(dataSet_->query_.value(index_), DataType());
}

bool TField::HasGetTextHandler() const
{
    return dataSet_->HandlerOf(index_) != nullptr;
}

std::string TField::DisplayText() const
{
    if (const auto* handler = dataSet_->HandlerOf(index_))
        return (*handler)(*this);
    const Variant value = Value();
    return value.isNull() ? std::string() : value.toText();
}

std::string TField::AsBytes() const
{
    if (IsNull())
        return {};
    const QVariant value = dataSet_->query_.value(index_);
    if (value.metaType().id() == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    return value.toString().toStdString();
}

// ---- TDataSet -----------------------------------------------------------------

TDataSet::TDataSet(QObject* owner) : QObject(owner) {}

TDataSet::~TDataSet() = default;

void TDataSet::Fail(const QString& what) const
{
    const QSqlError error = query_.lastError();
    const QString text = error.isValid() ? error.text().trimmed() : what;
    throw EDatabaseError(text.isEmpty() ? what.toStdString() : text.toStdString());
}

void TDataSet::CheckActive() const
{
    if (!active_)
        throw EDatabaseError("Cannot perform this operation on a closed dataset " + Name());
}

void TDataSet::Open()
{
    if (active_)
        return;
    const QSqlDatabase db = ConnectionName.isEmpty() ? QSqlDatabase::database()
                                                     : QSqlDatabase::database(ConnectionName);
    if (!db.isOpen()) {
        const QString text = db.lastError().text().trimmed();
        throw EDatabaseError(text.isEmpty() ? "The database connection of " + Name() + " is not open"
                                            : text.toStdString());
    }
    query_ = QSqlQuery(db);
    query_.setForwardOnly(false);
    if (!query_.exec(QString::fromStdString(SQL)))
        Fail("Unable to execute the statement of " + objectName());
    if (!query_.isSelect()) {
        query_ = QSqlQuery();
        throw EDatabaseError("The statement of " + Name() + " returns no rows");
    }
    record_ = query_.record();
    kinds_.clear();
    for (int i = 0; i < record_.count(); ++i)
        kinds_.push_back(KindOf(record_.field(i).metaType()));
    active_ = true;
    First();
}

void TDataSet::Close()
{
    query_ = QSqlQuery();
    record_ = QSqlRecord();
    kinds_.clear();
    active_ = false;
    eof_ = bof_ = true;
}

void TDataSet::First()
{
    CheckActive();
    const bool found = query_.first();
    if (!found && query_.lastError().isValid())
        Fail("Unable to read " + objectName());
    eof_ = !found;
    bof_ = true;
}

void TDataSet::Next()
{
    CheckActive();
    bof_ = false;
    if (eof_)
        return;
    const int row = query_.at();
    if (query_.next())
        return;
    if (query_.lastError().isValid())
        Fail("Unable to read " + objectName());
    eof_ = true;
    if (row >= 0)
        query_.seek(row);
}

void TDataSet::Prior()
{
    CheckActive();
    const int row = query_.at();
    eof_ = false;
    if (row > 0 && query_.previous()) {
        bof_ = false;
        return;
    }
    if (query_.lastError().isValid())
        Fail("Unable to read " + objectName());
    bof_ = true;
    eof_ = !query_.first();
}

bool TDataSet::IsEmpty() const
{
    CheckActive();
    return RecordCount() == 0;
}

int TDataSet::RecNo() const
{
    return active_ && query_.at() >= 0 ? query_.at() : -1;
}

int TDataSet::RecordCount() const
{
    CheckActive();
    const int size = query_.size();
    if (size >= 0)
        return size;
    // The driver does not count: the last row's position tells.
    auto& query = const_cast<QSqlQuery&>(query_);
    const int row = query.at();
    const int count = query.last() ? query.at() + 1 : 0;
    if (row >= 0)
        query.seek(row);
    return count;
}

void TDataSet::GotoBookmark(TBookmark bookmark)
{
    CheckActive();
    if (!query_.seek(bookmark)) {
        if (query_.lastError().isValid())
            Fail("Unable to read " + objectName());
        throw EDatabaseError("Record not found");
    }
    eof_ = bof_ = false;
}

int TDataSet::FieldCount() const
{
    return active_ ? record_.count() : 0;
}

std::vector<std::string> TDataSet::FieldNames() const
{
    std::vector<std::string> names;
    for (int i = 0; i < FieldCount(); ++i)
        names.push_back(record_.fieldName(i).toStdString());
    return names;
}

std::optional<TField> TDataSet::FindField(const std::string& name) const
{
    const int index = active_ ? record_.indexOf(QString::fromStdString(name)) : -1;
    if (index < 0)
        return std::nullopt;
    return TField(this, index);
}

TField TDataSet::FieldByName(const std::string& name) const
{
    if (auto field = FindField(name))
        return *field;
    throw EDatabaseError("Field '" + name + "' not found");
}

void TDataSet::SetGetTextHandler(const std::string& fieldName, GetTextHandler handler)
{
    if (handler)
        handlers_[Upper(fieldName)] = std::move(handler);
    else
        handlers_.erase(Upper(fieldName));
}

const TDataSet::GetTextHandler* TDataSet::HandlerOf(int index) const
{
    if (handlers_.empty())
        return nullptr;
    const auto it = handlers_.find(Upper(record_.fieldName(index).toStdString()));
    return it == handlers_.end() ? nullptr : &it->second;
}

// ---- field helpers ------------------------------------------------------------

bool IsBlobField(const TField& field)
{
    return field.DataType() == ftBlob;
}

void SaveBlobToStream(const TField& field, TrpStream& target)
{
    target.Seek(0);
    target.Truncate();
    target.WriteBytes(field.AsBytes());
    target.Seek(0);
}

void FieldValueAsVariant(const TField& field, Variant& value)
{
    auto* dataSet = const_cast<TDataSet*>(field.DataSet());
    if (!dataSet->Active())
        dataSet->Open();
    if (field.HasGetTextHandler()) {
        value = Variant(field.DisplayText());
        return;
    }
    value = field.Value();
    if (value.isNull()) {
        switch (field.DataType()) {
        case ftString:
            value = Variant(std::string());
            break;
        case ftBoolean:
            value = Variant(false);
            break;
        default:
            value = Variant(std::int32_t{0});
            break;
        }
    }
}

std::string FieldNameIfPresent(TDataSet* dataSet, const std::string& name)
{
    if (dataSet == nullptr)
        return {};
    try {
        if (!dataSet->Active())
            dataSet->Open();
        for (const auto& fieldName : dataSet->FieldNames())
            if (QString::fromStdString(fieldName).compare(QString::fromStdString(name), Qt::CaseInsensitive) == 0)
                return name;
    } catch (const std::exception&) {
        // A data set whose fields cannot be listed has none.
    }
    return {};
}

} // namespace report
