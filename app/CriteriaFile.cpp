#include "CriteriaFile.h"

#include "common.h"

#include "platform/QtFileIo.h"

#include <QFile>
#include <QLocale>
#include <QStringDecoder>

#include <charconv>
#include <cmath>
#include <map>

namespace {

// Dates the dialog's pickers can show: 1899-12-30 up to 9999-12-31.
constexpr double kLastDay = 2'958'466.0;

const char* const kGeneral = "General";
const char* const kCriteria = "Criteria";

// The values of one INI text: section -> key -> value, names folded to
// lower case, the first of each kept.
class TIniValues {
public:
    explicit TIniValues(const QString& text)
    {
        std::map<QString, QString>* section = nullptr;
        for (QStringView line : QStringView(text).split(u'\n')) {
            line = line.trimmed();
            if (line.startsWith(u'[')) {
                const qsizetype close = line.indexOf(u']');
                const QString name = line.mid(1, close < 0 ? -1 : close - 1).trimmed().toString().toLower();
                section = &sections_[name]; // a repeated section adds to the first
                continue;
            }
            const qsizetype eq = line.indexOf(u'=');
            if (!section || eq <= 0)
                continue;
            const QString key = line.left(eq).trimmed().toString().toLower();
            if (section->count(key))
                continue;
            QString value = line.mid(eq + 1).trimmed().toString();
            if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
                value = value.mid(1, value.size() - 2);
            section->emplace(key, value);
        }
    }

    const QString* Find(const char* section, const char* key) const
    {
        const auto s = sections_.find(QString::fromLatin1(section).toLower());
        if (s == sections_.end())
            return nullptr;
        const auto k = s->second.find(QString::fromLatin1(key).toLower());
        return k == s->second.end() ? nullptr : &k->second;
    }

    QString Text(const char* key) const
    {
        const QString* value = Find(kCriteria, key);
        return value ? *value : QString();
    }

    // An integer with the default 0; "0x" reads as hexadecimal too.
    bool Flag(const char* key) const
    {
        const QString* value = Find(kCriteria, key);
        if (!value)
            return false;
        QString number = *value;
        if (number.size() > 2 && number[0] == u'0' && (number[1] == u'x' || number[1] == u'X'))
            number = u'$' + number.mid(2);
        std::int32_t n = 0;
        return TryStrToInt(number, n) && n != 0;
    }

    // A floating-point number with "." decimals; `fallback` when missing or
    // malformed.
    double Number(const char* section, const char* key, double fallback) const
    {
        const QString* value = Find(section, key);
        if (!value)
            return fallback;
        const QByteArray latin = value->toLatin1();
        const char* first = latin.constData();
        const char* last = first + latin.size();
        if (first != last && *first == '+')
            ++first;
        double n = 0;
        const auto [end, error] = std::from_chars(first, last, n);
        return error == std::errc() && end == last && std::isfinite(n) ? n : fallback;
    }

private:
    std::map<QString, std::map<QString, QString>> sections_;
};

QString decode(const QByteArray& bytes)
{
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(body);
    if (utf8.hasError())
        text = QString::fromLatin1(body); // written on a single-byte code page
    text.remove(u'\r');
    return text;
}

// A text as a value that reads back unchanged: one line, quoted when
// reading would take blanks or enclosing quotes off it.
QString valueText(QString value)
{
    value.replace(u'\r', u' ').replace(u'\n', u' ');
    const bool quotes =
        value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front();
    if (quotes || value.trimmed() != value)
        return u'"' + value + u'"';
    return value;
}

QString numberText(double value)
{
    // The shortest general form up to 15 significant digits, "." always.
    return QLocale::c().toString(value, 'g', 15);
}

// A picker value from the file: a date the pickers can show, else 0.
double pickerValue(double value)
{
    return value >= 0 && value < kLastDay ? value : 0;
}

} // namespace

QByteArray CriteriaFileText(const TEventFilter& c)
{
    QString out;
    auto line = [&out](const QString& text) { out += text + QStringLiteral("\r\n"); };
    auto key = [&line](const char* name, const QString& value) { line(QString::fromLatin1(name) + u'=' + value); };
    auto flag = [&key](const char* name, bool value) { key(name, value ? QStringLiteral("1") : QStringLiteral("0")); };

    line(QStringLiteral("[%1]").arg(QString::fromLatin1(kGeneral)));
    key("Version", numberText(kCriteriaFileVersion));
    line(QStringLiteral("[%1]").arg(QString::fromLatin1(kCriteria)));
    flag("Information", c.Information);
    flag("Warning", c.Warning);
    flag("Error", c.Error);
    flag("AuditSuccess", c.AuditSuccess);
    flag("AuditFailure", c.AuditFailure);
    key("Source", valueText(c.Source));
    key("Category", valueText(c.Category));
    key("User", valueText(c.User));
    flag("UserSub", c.UserSubstring);
    key("Computer", valueText(c.Computer));
    flag("ComputerSub", c.ComputerSubstring);
    key("EventIDs", valueText(c.EventIDs));
    key("DescriptionText", valueText(c.DescriptionText));
    flag("Date", c.Date);
    flag("Time", c.Time);
    flag("DTSeparately", c.DTSeparately);
    key("TimeFrom", numberText(c.From));
    key("TimeTo", numberText(c.To));
    return out.toUtf8();
}

bool ParseCriteriaFileText(const QByteArray& text, TEventFilter& criteria)
{
    const TIniValues ini(decode(text));
    // A file without a version is of no version this program knows.
    const double version = ini.Number(kGeneral, "Version", 10000.0);
    if (version > kCriteriaFileVersion)
        return false;

    TEventFilter c;
    c.Information = ini.Flag("Information");
    c.Warning = ini.Flag("Warning");
    c.Error = ini.Flag("Error");
    c.AuditSuccess = ini.Flag("AuditSuccess");
    c.AuditFailure = ini.Flag("AuditFailure");
    c.Source = ini.Text("Source");
    c.Category = ini.Text("Category");
    c.User = ini.Text("User");
    c.UserSubstring = ini.Flag("UserSub");
    c.Computer = ini.Text("Computer");
    c.ComputerSubstring = ini.Flag("ComputerSub");
    c.EventIDs = ini.Text("EventIDs");
    c.DescriptionText = ini.Text("DescriptionText");
    c.Date = ini.Flag("Date");
    c.Time = ini.Flag("Time");
    c.DTSeparately = ini.Flag("DTSeparately");
    c.From = pickerValue(ini.Number(kCriteria, "TimeFrom", 0));
    c.To = pickerValue(ini.Number(kCriteria, "TimeTo", 0));
    criteria = c;
    return true;
}

void SaveCriteriaFile(const QString& path, const TEventFilter& criteria)
{
    platform::CheckedSaveFile file(path);
    if (!file.open() || !file.write(CriteriaFileText(criteria)) || !file.commit())
        throw ECriteriaFileError(
            QStringLiteral("Cannot write criteria file \"%1\": %2").arg(path, file.errorString()).toStdString());
}

bool LoadCriteriaFile(const QString& path, TEventFilter& criteria)
{
    QFile file;
    auto fail = [&path](const QString& reason) {
        throw ECriteriaFileError(QStringLiteral("Cannot read criteria file \"%1\": %2").arg(path, reason).toStdString());
    };
    if (QString reason; !platform::OpenRegularFile(file, path, reason))
        fail(reason);
    if (file.size() > kMaxCriteriaFileSize)
        fail(QStringLiteral("the file is too large to hold criteria"));
    const QByteArray text = file.read(kMaxCriteriaFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        fail(file.errorString());
    if (text.size() > kMaxCriteriaFileSize)
        fail(QStringLiteral("the file is too large to hold criteria"));
    return ParseCriteriaFileText(text, criteria);
}
