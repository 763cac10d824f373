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

// Qt's date-format letters as report masks have them: months are m.
std::string DateMask(const QString& qtFormat)
{
    std::string mask;
    bool quoted = false;
    for (const QChar c : qtFormat) {
        if (c == u'\'')
            quoted = !quoted;
        if (!quoted && c == u'M')
            mask += 'm';
        else
            mask += QString(c).toStdString();
    }
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
    settings.longDateFormat = DateMask(locale.dateFormat(QLocale::LongFormat));
    settings.timeAMString = locale.amText().toStdString();
    settings.timePMString = locale.pmText().toStdString();
    return settings;
}

} // namespace report
