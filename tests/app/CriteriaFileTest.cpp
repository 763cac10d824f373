#include "FilterPrinters.h"

#include "app/CriteriaFile.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace {

QByteArray readFile(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}

QString fixture(const char* name)
{
    return QStringLiteral(QV_CRITERIA_FIXTURES "/") + QString::fromLatin1(name);
}

// The record of the hand-written "full.quv".
TEventFilter fullCriteria()
{
    TEventFilter c;
    c.Warning = false;
    c.AuditSuccess = false;
    c.Source = QStringLiteral("Service Control Manager");
    c.Category = QStringLiteral("Disk");
    c.User = QStringLiteral("OSTRIVEL\\jdoe");
    c.UserSubstring = false;
    c.Computer = QStringLiteral("SRV");
    c.ComputerSubstring = true;
    c.EventIDs = QStringLiteral("5, 7-9, 100-");
    c.DescriptionText = QStringLiteral("disk is full");
    c.Date = true;
    c.Time = true;
    c.From = 45292.25; // 2024-01-01 06:00
    c.To = 45293.75;   // 2024-01-02 18:00
    return c;
}

TEST(CriteriaFile, WritesTheGoldenText)
{
    EXPECT_EQ(CriteriaFileText(fullCriteria()), readFile(fixture("full.quv")));
}

TEST(CriteriaFile, ReadsTheGoldenText)
{
    TEventFilter c;
    ASSERT_TRUE(LoadCriteriaFile(fixture("full.quv"), c));
    EXPECT_EQ(c, fullCriteria());
}

TEST(CriteriaFile, ReadsAsThePlatformsIniFunctionsDo)
{
    TEventFilter c;
    ASSERT_TRUE(LoadCriteriaFile(fixture("odd.quv"), c));
    EXPECT_EQ(c.Source, "Disk");          // trimmed, the first of a repeated key
    EXPECT_FALSE(c.Information);          // missing: 0 unticks
    EXPECT_TRUE(c.Warning);               // "$1"
    EXPECT_TRUE(c.Error);                 // "0x10"
    EXPECT_FALSE(c.AuditSuccess);
    EXPECT_TRUE(c.AuditFailure);          // any number but 0 ticks
    EXPECT_EQ(c.User, "  spaced  ");      // enclosing quotes removed, blanks kept
    EXPECT_EQ(c.EventIDs, "quoted");
    EXPECT_TRUE(c.Category.isEmpty());
    EXPECT_FALSE(c.UserSubstring);
    EXPECT_FALSE(c.Date);
    EXPECT_EQ(c.From, 45292.5);
    EXPECT_EQ(c.To, 0);                   // malformed: the default
}

TEST(CriteriaFile, Versions)
{
    struct Case {
        const char* general;
        bool read;
    } cases[] = {
        {"Version=1", true},
        {"Version=0.5", true},
        {"Version=1.0", true},
        {"Version=1.5", false},
        {"Version=2", false},
        {"Version=1,0", false}, // not a number with "." decimals
        {"Version=", false},
        {"", false},            // no Version at all
        {"Version=nan", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.general);
        const QByteArray text = QByteArray("[General]\r\n") + c.general + "\r\n[Criteria]\r\nSource=S\r\n";
        TEventFilter criteria;
        criteria.Source = QStringLiteral("before");
        EXPECT_EQ(ParseCriteriaFileText(text, criteria), c.read);
        EXPECT_EQ(criteria.Source, c.read ? "S" : "before");
    }
}

TEST(CriteriaFile, TextsReadBackUnchanged)
{
    TEventFilter c;
    for (const char* text : {"  leading and trailing  ", "\"quoted\"", "'single'", "\"", "a=b;c", "[x]", "Grüße ©"}) {
        SCOPED_TRACE(text);
        c.DescriptionText = QString::fromUtf8(text);
        TEventFilter back;
        ASSERT_TRUE(ParseCriteriaFileText(CriteriaFileText(c), back));
        EXPECT_EQ(back.DescriptionText, c.DescriptionText);
    }
}

TEST(CriteriaFile, TimesUseADotWhateverTheLocale)
{
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const char* cBefore = std::setlocale(LC_NUMERIC, nullptr);
    const std::string cLocale = cBefore ? cBefore : "C";
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8"); // may be missing; the Qt default is enough then

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("comma.quv"));
    TEventFilter c = fullCriteria();
    c.From = 45292.123456789012;
    SaveCriteriaFile(path, c);
    const QByteArray text = readFile(path);
    EXPECT_TRUE(text.contains("TimeFrom=45292.123456789\r\n")) << text.toStdString();
    EXPECT_TRUE(text.contains("TimeTo=45293.75\r\n"));
    EXPECT_TRUE(text.contains("Version=1\r\n"));
    TEventFilter back;
    ASSERT_TRUE(LoadCriteriaFile(path, back));
    EXPECT_NEAR(back.From, c.From, 1e-9);
    EXPECT_EQ(back.To, 45293.75);

    EXPECT_EQ(QLocale().decimalPoint(), ",");
    std::setlocale(LC_NUMERIC, cLocale.c_str());
    QLocale::setDefault(before);
}

TEST(CriteriaFile, OutOfRangeTimesTakeTheDefault)
{
    for (const char* value : {"-1", "1e300", "inf", "2958466"}) {
        SCOPED_TRACE(value);
        TEventFilter c;
        ASSERT_TRUE(ParseCriteriaFileText(QByteArray("[General]\nVersion=1\n[Criteria]\nTimeFrom=") + value, c));
        EXPECT_EQ(c.From, 0);
    }
}

TEST(CriteriaFile, AFileThatCannotBeReadNamesItself)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("missing.quv"));
    TEventFilter c;
    c.Source = QStringLiteral("kept");
    try {
        LoadCriteriaFile(missing, c);
        FAIL() << "no error";
    } catch (const ECriteriaFileError& e) {
        EXPECT_NE(std::string(e.what()).find(missing.toStdString()), std::string::npos) << e.what();
    }
    EXPECT_THROW(LoadCriteriaFile(dir.path(), c), ECriteriaFileError); // a directory
    EXPECT_EQ(c.Source, "kept");

    QFile big(dir.filePath(QStringLiteral("big.quv")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    big.resize(kMaxCriteriaFileSize + 1);
    big.close();
    EXPECT_THROW(LoadCriteriaFile(big.fileName(), c), ECriteriaFileError);
}

TEST(CriteriaFile, AFailedSaveLeavesNothingBehind)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("no-such-dir/x.quv"));
    EXPECT_THROW(SaveCriteriaFile(path, fullCriteria()), ECriteriaFileError);
    EXPECT_FALSE(QFile::exists(path));

    // Saving over a file replaces it whole.
    const QString existing = dir.filePath(QStringLiteral("old.quv"));
    QFile old(existing);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(5000, 'x'));
    old.close();
    SaveCriteriaFile(existing, fullCriteria());
    EXPECT_EQ(readFile(existing), readFile(fixture("full.quv")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("old.quv")});
}

} // namespace
