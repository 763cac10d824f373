#include "RpLocale.h"

#include "RP_Prntr.h"
#include "platform/QtFileIo.h"

#include <QFile>
#include <QLocale>

namespace report {

namespace {

const std::unordered_map<int, std::string>& ProgramStringTable()
{
    static const std::unordered_map<int, std::string> table = [] {
        QFile file(":/report/engine-strings.txt");
        if (!file.open(QIODevice::ReadOnly))
            return std::unordered_map<int, std::string>();
        return ParseStringTable(file.readAll());
    }();
    return table;
}

std::string Cut(const std::string& text)
{
    return text.size() > TrpLocale::kMaxText ? text.substr(0, TrpLocale::kMaxText) : text;
}

// A Qt date or time format as a date-time mask of the engine, showing the
// same text: months are m and minutes n, and H is h (a mask counts hours
// to 12 when it holds am/pm, as Qt's h does; no locale mixes H with AP);
// AP and ap become the locale's or the lower-case texts of the 12-hour
// clock; a time zone (t), which a report's time has not, goes with the
// blanks beside it.  Literal text is quoted where the mask would read it
// as a letter, a separator or a quote.
std::string ReportMask(const QString& qtFormat)
{
    std::string mask;
    std::string literal;
    const auto flushLiteral = [&] {
        if (literal.empty())
            return;
        const char quote = literal.find('"') == std::string::npos ? '"' : '\'';
        bool plain = true;
        for (const char c : literal)
            plain = plain && !((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '/' || c == ':' ||
                               c == '"' || c == '\'');
        mask += plain ? literal : quote + literal + quote;
        literal.clear();
    };
    const qsizetype size = qtFormat.size();
    for (qsizetype i = 0; i < size;) {
        const QChar c = qtFormat[i];
        if (c == u'\'') {
            // 'text', with '' for a quote inside it or on its own.
            if (i + 1 < size && qtFormat[i + 1] == u'\'') {
                literal += '\'';
                i += 2;
                continue;
            }
            qsizetype j = i + 1;
            while (j < size) {
                if (qtFormat[j] == u'\'') {
                    if (j + 1 < size && qtFormat[j + 1] == u'\'') {
                        literal += '\'';
                        j += 2;
                        continue;
                    }
                    break;
                }
                literal += QString(qtFormat[j]).toStdString();
                ++j;
            }
            i = j + 1;
            continue;
        }
        qsizetype run = 1;
        while (i + run < size && qtFormat[i + run] == c)
            ++run;
        const char letter = c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '\0';
        std::string part;
        switch (letter) {
        case 'd':
        case 'y':
        case 's':
        case 'z':
        case 'h':
            part = std::string(static_cast<std::size_t>(run), letter);
            break;
        case 'H':
            part = std::string(static_cast<std::size_t>(run), 'h');
            break;
        case 'M':
            part = std::string(static_cast<std::size_t>(run), 'm');
            break;
        case 'm':
            part = std::string(static_cast<std::size_t>(run), 'n');
            break;
        case 'A':
        case 'a':
            // AP, ap, A or a: the texts of the 12-hour clock.
            part = letter == 'A' ? "ampm" : "am/pm";
            if (i + run < size && (qtFormat[i + run] == u'P' || qtFormat[i + run] == u'p'))
                ++run;
            break;
        case 't':
            while (!literal.empty() && literal.back() == ' ')
                literal.pop_back();
            i += run;
            if (mask.empty() && literal.empty())
                while (i < size && qtFormat[i] == u' ')
                    ++i;
            continue;
        default:
            literal += QString(qtFormat.mid(i, run)).toStdString();
            i += run;
            continue;
        }
        flushLiteral();
        mask += part;
        i += run;
    }
    // What was left of a literal before a dropped zone at the end.
    while (!literal.empty() && literal.back() == ' ')
        literal.pop_back();
    flushLiteral();
    return mask;
}

char SingleByte(const QString& text, char fallback)
{
    return text.size() == 1 && text[0].unicode() < 0x80 ? static_cast<char>(text[0].unicode()) : fallback;
}

} // namespace

std::unordered_map<int, std::string> ParseStringTable(const QByteArray& bytes)
{
    std::unordered_map<int, std::string> table;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const qsizetype tab = line.indexOf('\t');
        bool ok = false;
        const int id = tab > 0 ? line.left(tab).toInt(&ok) : 0;
        if (ok)
            table[id] = line.mid(tab + 1).toStdString();
    }
    return table;
}

bool TrpLocale::LoadResourceLibrary(const QString& path)
{
    QFile file;
    if (QString reason; !platform::OpenRegularFile(file, path, reason))
        return false;
    library_ = ParseStringTable(file.readAll());
    loaded_ = true;
    EnginePrinter().LoadPaperNames();
    return true;
}

void TrpLocale::FreeResourceLibrary()
{
    library_.clear();
    loaded_ = false;
    EnginePrinter().LoadPaperNames();
}

void TrpLocale::ResourceText(int id, std::string& text) const
{
    if (OnLocalize) {
        std::string answer;
        OnLocalize(id, answer);
        if (!answer.empty()) {
            text = answer;
            return;
        }
    }
    const auto& table = loaded_ ? library_ : ProgramStringTable();
    const auto it = table.find(id);
    text = it == table.end() ? std::string() : Cut(it->second);
}

TrpLocale& EngineLocale()
{
    static TrpLocale locale;
    return locale;
}

std::string LoadEngineString(int id)
{
    std::string text;
    EngineLocale().ResourceText(id, text);
    return text;
}

FormatSettings LocaleFormatSettings(const QLocale& locale)
{
    FormatSettings settings;
    settings.decimalSeparator = SingleByte(locale.decimalPoint(), '.');
    settings.thousandSeparator = SingleByte(locale.groupSeparator(), ' ');
    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    const qsizetype d = shortDate.indexOf(u'd'), m = shortDate.indexOf(u'M'), y = shortDate.indexOf(u'y');
    if (y >= 0 && y < m && y < d)
        settings.dateOrder = DateOrder::YMD;
    else if (d >= 0 && d < m)
        settings.dateOrder = DateOrder::DMY;
    else
        settings.dateOrder = DateOrder::MDY;
    for (const QChar c : shortDate) {
        if (!c.isLetter() && c.unicode() < 0x80 && c != u'\'') {
            settings.dateSeparator = static_cast<char>(c.unicode());
            break;
        }
    }
    for (int month = 1; month <= 12; ++month) {
        settings.shortMonthNames[static_cast<std::size_t>(month - 1)] =
            locale.monthName(month, QLocale::ShortFormat).toStdString();
        settings.longMonthNames[static_cast<std::size_t>(month - 1)] =
            locale.monthName(month, QLocale::LongFormat).toStdString();
    }
    for (int day = 0; day < 7; ++day) {
        const int qtDay = day == 0 ? 7 : day;  // Qt counts Monday 1 to Sunday 7
        settings.shortDayNames[static_cast<std::size_t>(day)] = locale.dayName(qtDay, QLocale::ShortFormat).toStdString();
        settings.longDayNames[static_cast<std::size_t>(day)] = locale.dayName(qtDay, QLocale::LongFormat).toStdString();
    }
    settings.longDateFormat = ReportMask(locale.dateFormat(QLocale::LongFormat));
    settings.shortDateFormat = ReportMask(shortDate);
    settings.longTimeFormat = ReportMask(locale.timeFormat(QLocale::LongFormat));
    settings.timeAMString = locale.amText().toStdString();
    settings.timePMString = locale.pmText().toStdString();
    return settings;
}

} // namespace report
