#include "report/DateTimeFormat.h"
#include "report/RP_Class.h"
#include "report/RP_Prntr.h"
#include "report/RpControls.h"
#include "report/RpFieldReferences.h"
#include "report/RpGlobals.h"
#include "report/RpLocale.h"
#include "ScopedFifo.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <fstream>

namespace report {
namespace {

TEST(EngineStrings, TheTableByNumber)
{
    const std::pair<int, const char*> texts[] = {
        {53000, "Find text"},
        {53048, "Enter page numbers and/or page ranges, separated by commas. For example, 1,3,5-12"},
        {53055, "Even pages"},
        {55000, "OK"},
        {55001, "Cancel"},
        {55007, "Virtual printer"},
        {55077, "Report title"},
        {55098, "Child"},
        {55099, "None"},
        {55155, "1234,5"},
        {55178, "d mmmm yyyy"},
        {55200, "An error occured during calculating"},
        {55206, "Error"},
        {55209, "Untitled"},
        {55337, "1"},
        {55439, "Undefined symbol"},
        {55620, "Database"},
        {55621, "FIELDISNULL(<FieldName>)/Returns 'true' if DB-field is null"},
        {55655, "Retype password for validate"},
    };
    for (const auto& [id, text] : texts)
        EXPECT_EQ(LoadEngineString(id), text) << id;
    // Numbers the table does not hold are empty: paper names, the default
    // bin, the designer's descriptions, and anything else.
    for (int id : {55008, 55008 + 66, 55435, 55349, 55380, 55416, 53420, 55005, 12345})
        EXPECT_EQ(LoadEngineString(id), "") << id;
}

TEST(EngineStrings, LocalisationAndResourceLibraries)
{
    TrpLocale& locale = EngineLocale();
    locale.OnLocalize = [](int id, std::string& text) {
        if (id == 55000)
            text = "Gut";
    };
    EXPECT_EQ(LoadEngineString(55000), "Gut");
    EXPECT_EQ(LoadEngineString(55001), "Cancel");  // an empty answer falls through
    locale.OnLocalize = nullptr;

    // The printer model takes its names from the engine's texts too.
    EngineGlobals();
    TrpPrinter& printer = EnginePrinter();
    printer.SelectByIndex(printer.VirtualIndex());
    const std::string paper2 = printer.PaperNames().at(1);

    QTemporaryDir dir;
    const QString path = dir.filePath("de.txt");
    std::ofstream(path.toStdString()) << "# German\n55001\tAbbrechen\r\nnot a line\n55206\t" << std::string(2000, 'x')
                                      << "\n55007\tVirtueller Drucker\n55009\tBrief\n";
    EXPECT_FALSE(locale.LoadResourceLibrary(dir.filePath("missing.txt")));
    EXPECT_FALSE(locale.LibraryLoaded());
    {
        // A FIFO is refused at once, without waiting for a writer.
        ScopedFifo fifo(dir.filePath("pipe.txt").toStdString());
        ASSERT_TRUE(fifo.Made());
        EXPECT_FALSE(locale.LoadResourceLibrary(QString::fromStdString(fifo.Path())));
        EXPECT_FALSE(fifo.Waited());
        EXPECT_FALSE(locale.LibraryLoaded());
    }
    ASSERT_TRUE(locale.LoadResourceLibrary(path));
    EXPECT_EQ(LoadEngineString(55001), "Abbrechen");
    EXPECT_EQ(LoadEngineString(55206).size(), TrpLocale::kMaxText);
    EXPECT_EQ(LoadEngineString(55000), "");  // the library replaces the program's table
    EXPECT_EQ(printer.Printers().back(), "Virtueller Drucker");
    EXPECT_EQ(printer.PaperNames().at(1), "Brief");
    locale.FreeResourceLibrary();
    EXPECT_EQ(LoadEngineString(55000), "OK");
    EXPECT_EQ(printer.Printers().back(), "Virtual printer");
    EXPECT_EQ(printer.PaperNames().at(1), paper2);
}

TEST(EngineGlobals, TextsConstantsAndImages)
{
    const TrpGlobals& globals = EngineGlobals();
    EXPECT_EQ(globals.EngineNumber, 1);
    EXPECT_EQ(globals.BandNames[0], "Report title");
    EXPECT_EQ(globals.BandNames[22], "None");
    EXPECT_EQ(globals.FormatTexts.Booleans[3], "False;True");
    EXPECT_EQ(globals.FormatTexts.Times[1], "h:nn:ss");

    const TrpVariables& constants = globals.ScriptConstants;
    EXPECT_TRUE(constants.GetSorted());
    const std::pair<const char*, Variant> values[] = {
        {"clWhite", Variant(std::int32_t{0xFFFFFF})},
        {"clNavy", Variant(std::int32_t{0x800000})},
        {"clAqua", Variant(std::int32_t{0xFFFF00})},
        {"clTransparent", Variant(std::int32_t{0x1FFFFFFF})},
        {"clBtnFace", Variant(static_cast<std::int32_t>(0x8000000F))},
        {"clInfoBk", Variant(static_cast<std::int32_t>(0x80000018))},
        {"mrYes", Variant(std::int32_t{6})},
        {"fsBold", Variant(std::int32_t{2})},
        {"rptaDown", Variant(std::int32_t{16})},
        {"baRest", Variant(std::int32_t{7})},
        {"psDouble", Variant(std::int32_t{5})},
        {"mb_YesNoCancel", Variant(std::int32_t{3})},
        {"mb_IconWarning", Variant(std::int32_t{0x30})},
        {"CRLF", Variant("\r\n")},
    };
    for (const auto& [name, value] : values)
        EXPECT_EQ(constants.GetVariable(name), value) << name;
    EXPECT_GE(constants.IndexOf("NULL"), 0);
    EXPECT_TRUE(constants.GetVariable("Null").isNull());

    EXPECT_EQ(globals.Checkerboard.size(), QSize(8, 8));
    EXPECT_EQ(globals.Checkerboard.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(globals.Checkerboard.pixel(1, 0), qRgb(0, 0, 0));
    EXPECT_EQ(globals.Checkerboard.pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_FALSE(globals.Compressor.Enabled());
}

TEST(EngineGlobals, ADestroyedReportLeavesNothingBound)
{
    {
        TrpReport report;
        report.MakeCurrent();
        EXPECT_TRUE(EngineGlobals().Parser.OnGetValue);
    }
    EXPECT_FALSE(EngineGlobals().Parser.OnGetValue);
    EXPECT_FALSE(EngineGlobals().Parser.OnFunction);
    EXPECT_EQ(RunState().Report, nullptr);
    EXPECT_EQ(EngineGlobals().Parser.Evaluate("1 + 1"), Variant(2.0));
}

TEST(EngineLocaleSettings, FromAQtLocale)
{
    const FormatSettings german = LocaleFormatSettings(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(german.decimalSeparator, ',');
    EXPECT_EQ(german.thousandSeparator, '.');
    EXPECT_EQ(german.dateOrder, DateOrder::DMY);
    EXPECT_EQ(german.dateSeparator, '.');
    EXPECT_EQ(german.longMonthNames[2], "M\xC3\xA4rz");
    EXPECT_EQ(german.longDayNames[0], "Sonntag");
    const FormatSettings us = LocaleFormatSettings(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(us.decimalSeparator, '.');
    EXPECT_EQ(us.dateOrder, DateOrder::MDY);
    EXPECT_EQ(us.longDateFormat, "dddd, mmmm d, yyyy");

    // A date-time value reads in the locale's short date and long time
    // formats, without the time zone that Qt's long time format names.
    double date = 0, time = 0;
    ASSERT_TRUE(TryEncodeDate(2026, 12, 10, date));
    ASSERT_TRUE(TryEncodeTime(9, 47, 59, 0, time));
    const Variant morning = Variant::dateTime(date + time);
    EXPECT_EQ(morning.toText(LocaleFormatSettings(QLocale::c())), "10 Dec 2026 09:47:59");
    EXPECT_EQ(morning.toText(us), "12/10/26 9:47:59 AM");
    EXPECT_EQ(morning.toText(LocaleFormatSettings(QLocale(QLocale::English, QLocale::UnitedKingdom))),
              "10/12/2026 09:47:59");
    EXPECT_EQ(morning.toText(german), "10.12.26 09:47:59");
    EXPECT_EQ(Variant::dateTime(date + 0.75).toText(us), "12/10/26 6:00:00 PM");
    EXPECT_EQ(Variant::dateTime(date).toText(german), "10.12.26");
    EXPECT_EQ(Variant::dateTime(time).toText(german), "09:47:59");
    EXPECT_EQ(FormatDateTime("c", date + time, us), "12/10/26 9:47:59 AM");
    EXPECT_EQ(FormatDateTime("ddddd tt", date + time, german), "10.12.26 09:47:59");
}

TEST(ComponentPaths, FormsDataModulesAndOwnedComponents)
{
    QWidget form;
    form.setObjectName("frmMain");
    QGroupBox group(&form);
    group.setObjectName("grpData");
    auto* nested = new TDataSet(&group);
    nested->setObjectName("Orders");
    QObject module;
    module.setObjectName("dmData");
    auto* inner = new QObject(&module);
    inner->setObjectName("Inner");
    auto* deep = new TDataSet(inner);
    deep->setObjectName("Deep");
    RegisterDataModule(&module);

    EXPECT_EQ(FindComponentByPath(&form, "orders"), nested);
    EXPECT_EQ(FindComponentByPath(&form, "Absent"), nullptr);
    EXPECT_EQ(FindComponentByPath(nullptr, "Orders"), nullptr);
    EXPECT_EQ(FindComponentByPath(nullptr, "FRMMAIN.Orders"), nested);
    EXPECT_EQ(FindComponentByPath(nullptr, "dmData.Inner.Deep"), deep);
    EXPECT_EQ(FindComponentByPath(nullptr, "dmData.Nothing.Deep"), nullptr);
    EXPECT_EQ(FindComponentByPath(nullptr, "nowhere.Orders"), nullptr);
    try {
        FindComponentByPath(nullptr, "a.b.c.d");
        FAIL() << "found";
    } catch (const EClassNotFound& error) {
        EXPECT_STREQ(error.what(), "Missing a.b.c.d");
    }

    // SplitFieldReference through these components: only data sets count.
    TrpComponentFieldLookup lookup(&form);
    TDataSet* dataSet = nullptr;
    std::string field;
    SplitFieldReference("grpData.x", dataSet, field, lookup);
    EXPECT_EQ(dataSet, nullptr);
    UnregisterDataModule(&module);
    EXPECT_EQ(FindComponentByPath(nullptr, "dmData.Inner"), nullptr);
}

TEST(Controls, EnablingAGroupShowsIt)
{
    QWidget dialog;
    auto* label = new QLabel("Name", &dialog);
    auto* edit = new QLineEdit(&dialog);
    auto* button = new QPushButton("Go", &dialog);
    const QColor buttonText = button->palette().color(QPalette::Active, QPalette::ButtonText);
    SetControlsEnabled({label, edit, button}, false);
    EXPECT_FALSE(label->isEnabled());
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(label->palette().color(QPalette::WindowText), ColorFromValue(0x80000011));
    EXPECT_EQ(edit->palette().color(QPalette::Base), ColorFromValue(0x8000000F));
    EXPECT_EQ(button->palette().color(QPalette::Active, QPalette::ButtonText), buttonText);
    SetControlsEnabled({label, edit}, true);
    EXPECT_TRUE(edit->isEnabled());
    EXPECT_EQ(label->palette().color(QPalette::WindowText), ColorFromValue(0x80000008));
    EXPECT_EQ(edit->palette().color(QPalette::Base), ColorFromValue(0x80000005));
}

TEST(Controls, TheControlUnderAPoint)
{
    QWidget window;
    auto* under = new QLabel(&window);  // created first, under the group
    under->setGeometry(0, 30, 100, 100);
    auto* first = new QPushButton(&window);
    first->setGeometry(0, 0, 50, 20);
    auto* group = new QGroupBox(&window);
    group->setGeometry(0, 30, 100, 100);
    auto* edit = new QLineEdit(group);
    edit->setGeometry(10, 20, 50, 20);
    auto* hidden = new QPushButton(&window);
    hidden->setGeometry(0, 0, 50, 20);
    hidden->hide();
    auto* empty = new QGroupBox(&window);  // a container without children is a control
    empty->setGeometry(200, 0, 40, 40);

    EXPECT_EQ(FindControlAtPoint(&window, {5, 5}), first);      // the hidden one is passed over
    EXPECT_EQ(FindControlAtPoint(&window, {49, 19}), first);
    EXPECT_EQ(FindControlAtPoint(&window, {50, 5}), nullptr);   // right edge outside
    EXPECT_EQ(FindControlAtPoint(&window, {15, 55}), edit);     // inside the group's child
    EXPECT_EQ(FindControlAtPoint(&window, {90, 120}), under);   // the group is never the answer
    EXPECT_EQ(FindControlAtPoint(&window, {210, 10}), empty);
}

} // namespace
} // namespace report
