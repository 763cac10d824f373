#include "AppFakes.h"
#include "FilterPrinters.h"
#include "ScopedFifo.h"
#include "WhenShown.h"

#include "app/CriteriaFile.h"
#include "app/HelpContext.h"
#include "app/NameList.h"
#include "app/common.h"
#include "app/filt_frm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDateEdit>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimeEdit>

#include <gtest/gtest.h>

namespace {

class FilterDialogTest : public ::testing::Test {
protected:
    FakePrompts prompts;
    ScopedUserPrompts usePrompts{prompts};
    TfrmFilterDesign form;
    TNameList sources;
    TNameList categories;

    FilterDialogTest()
    {
        sources.Add("");
        sources.Add("Disk");
        sources.Add("Service Control Manager");
        categories.Add("");
        categories.Add("Logon");
    }

    // Execute, with `fill` run on the shown dialog, which then closes with
    // OK (or Cancel).
    bool execute(const char* caption, TEventFilter& filter, std::function<void(TfrmFilterDesign&)> fill, bool ok = true)
    {
        WhenShown<TfrmFilterDesign>([fill, ok](TfrmFilterDesign& shown) {
            fill(shown);
            (ok ? shown.btnOK() : shown.btnCancel())->click();
        });
        return form.Execute(QString::fromLatin1(caption), filter, sources, categories);
    }
};

TEST_F(FilterDialogTest, ShowsItsControlsReset)
{
    TEventFilter filter;
    QString title;
    bool resetChecked = false;
    ASSERT_TRUE(execute("Find", filter, [&](TfrmFilterDesign& f) {
        title = f.windowTitle();
        EXPECT_EQ(f.size(), QSize(478, 318));
        for (QCheckBox* box : {f.cbxInformation(), f.cbxWarning(), f.cbxError(), f.cbxAuditSuccess(),
                               f.cbxAuditFailure(), f.cbxUserSubstring(), f.cbxComputerSubstring()})
            EXPECT_TRUE(box->isChecked()) << box->text().toStdString();
        for (QCheckBox* box : {f.cbxDate(), f.cbxTime(), f.cbxSeparately()})
            EXPECT_FALSE(box->isChecked()) << box->text().toStdString();
        EXPECT_FALSE(f.cbxSeparately()->isEnabled());
        for (QWidget* picker : std::initializer_list<QWidget*>{f.dtpFromDate(), f.dtpToDate(), f.dtpFromTime(),
                                                                f.dtpToTime()})
            EXPECT_FALSE(picker->isEnabled());
        EXPECT_EQ(f.cbSources()->count(), 3);
        EXPECT_EQ(f.cbSources()->itemText(1), "Disk");
        EXPECT_EQ(f.cbSources()->currentText(), "");
        EXPECT_EQ(f.cbCategories()->count(), 2);
        EXPECT_EQ(f.dtpFromDate()->date(), QDate::currentDate());
        EXPECT_EQ(f.dtpFromTime()->time(), QTime(6, 0));
        EXPECT_EQ(f.dtpToTime()->time(), QTime(18, 0));
        EXPECT_TRUE(f.btnOK()->isDefault());
        EXPECT_EQ(f.btnLoad()->text(), "Load...");
        EXPECT_EQ(f.btnSave()->text(), "Save...");
        EXPECT_EQ(f.dlgLoad()->windowTitle(), "Load Criteria");
        EXPECT_EQ(f.dlgSave()->windowTitle(), "Save Criteria");
        EXPECT_EQ(f.dlgSave()->defaultSuffix(), "quv");
        EXPECT_EQ(HelpContextOf(&f), TfrmFilterDesign::kHelpContext);
        resetChecked = true;
    }));
    EXPECT_TRUE(resetChecked);
    EXPECT_EQ(title, "Find");
    TEventFilter untouched = NeutralCriteria();
    untouched.UserSubstring = untouched.ComputerSubstring = true;
    EXPECT_EQ(filter, untouched);

    // Whatever the last use left, the next one starts reset.
    ASSERT_TRUE(execute("Filter", filter, [](TfrmFilterDesign& f) {
        f.cbxError()->setChecked(false);
        f.edUser()->setText(QStringLiteral("x"));
        f.cbxDate()->click();
    }));
    ASSERT_TRUE(execute("Filter", filter, [](TfrmFilterDesign& f) {
        EXPECT_TRUE(f.cbxError()->isChecked());
        EXPECT_TRUE(f.edUser()->text().isEmpty());
        EXPECT_FALSE(f.cbxDate()->isChecked());
        EXPECT_FALSE(f.dtpFromDate()->isEnabled());
    }));
}

TEST_F(FilterDialogTest, OKCopiesTheControls)
{
    TEventFilter filter;
    ASSERT_TRUE(execute("Filter", filter, [](TfrmFilterDesign& f) {
        f.cbxWarning()->setChecked(false);
        f.cbSources()->setCurrentIndex(2);
        f.cbCategories()->setEditText(QStringLiteral("typed"));
        f.edUser()->setText(QStringLiteral("OSTRIVEL\\jdoe"));
        f.cbxUserSubstring()->setChecked(false);
        f.edComputer()->setText(QStringLiteral("SRV"));
        f.edEvents()->setText(QStringLiteral("5, 7-9"));
        f.edDescriptionText()->setText(QStringLiteral("full"));
    }));
    TEventFilter expected;
    expected.Warning = false;
    expected.Source = QStringLiteral("Service Control Manager");
    expected.Category = QStringLiteral("typed");
    expected.User = QStringLiteral("OSTRIVEL\\jdoe");
    expected.Computer = QStringLiteral("SRV");
    expected.ComputerSubstring = true;
    expected.EventIDs = QStringLiteral("5, 7-9");
    expected.DescriptionText = QStringLiteral("full");
    EXPECT_EQ(filter, expected);
}

TEST_F(FilterDialogTest, CancelGivesNeutralCriteria)
{
    TEventFilter filter;
    filter.Source = QStringLiteral("before");
    EXPECT_FALSE(execute("Find", filter, [](TfrmFilterDesign& f) { f.edUser()->setText(QStringLiteral("x")); },
                         false));
    EXPECT_EQ(filter, NeutralCriteria());
}

TEST_F(FilterDialogTest, FromAndToAreComposedOfTheTickedParts)
{
    const QDate from(2024, 1, 1);
    const QDate to(2024, 1, 2);
    struct Case {
        bool date, time;
        double from, to;
    } cases[] = {
        {false, false, 0, 0},
        {true, false, 45292, 45293},
        {false, true, 0.25, 0.75},
        {true, true, 45292.25, 45293.75},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.date << c.time);
        TEventFilter filter;
        ASSERT_TRUE(execute("Filter", filter, [&](TfrmFilterDesign& f) {
            if (c.date)
                f.cbxDate()->click();
            if (c.time)
                f.cbxTime()->click();
            f.dtpFromDate()->setDate(from);
            f.dtpToDate()->setDate(to);
        }));
        EXPECT_EQ(filter.Date, c.date);
        EXPECT_EQ(filter.Time, c.time);
        EXPECT_DOUBLE_EQ(filter.From, c.from);
        EXPECT_DOUBLE_EQ(filter.To, c.to);
    }
}

TEST_F(FilterDialogTest, SeparatelyNeedsDateAndTime)
{
    form.show();
    EXPECT_FALSE(form.cbxSeparately()->isEnabled());
    form.cbxDate()->click();
    EXPECT_TRUE(form.dtpFromDate()->isEnabled());
    EXPECT_FALSE(form.dtpFromTime()->isEnabled());
    EXPECT_FALSE(form.cbxSeparately()->isEnabled());
    form.cbxTime()->click();
    EXPECT_TRUE(form.dtpToTime()->isEnabled());
    EXPECT_TRUE(form.cbxSeparately()->isEnabled());
    form.cbxDate()->click();
    EXPECT_FALSE(form.dtpToDate()->isEnabled());
    EXPECT_FALSE(form.cbxSeparately()->isEnabled());
    form.hide();
}

TEST_F(FilterDialogTest, SaveAndLoadThroughTheFileDialogs)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("mine")); // the dialog adds ".quv"
    TEventFilter filter;
    ASSERT_TRUE(execute("Filter", filter, [&](TfrmFilterDesign& f) {
        f.cbxAuditSuccess()->setChecked(false);
        f.edComputer()->setText(QStringLiteral("  SRV  "));
        f.cbxTime()->click();
        f.dtpFromTime()->setTime(QTime(22, 0));
        WhenShown<QFileDialog>([&](QFileDialog& d) {
            d.selectFile(path);
            static_cast<QDialog&>(d).accept();
        });
        f.btnSave()->click();
    }));
    const QString saved = path + QStringLiteral(".quv");
    ASSERT_TRUE(QFile::exists(saved));

    TEventFilter loaded;
    ASSERT_TRUE(execute("Filter", loaded, [&](TfrmFilterDesign& f) {
        WhenShown<QFileDialog>([&](QFileDialog& d) {
            d.selectFile(saved);
            static_cast<QDialog&>(d).accept();
        });
        f.btnLoad()->click();
        // Loading fills the dialog only.
        EXPECT_FALSE(f.cbxAuditSuccess()->isChecked());
        EXPECT_TRUE(f.dtpFromTime()->isEnabled());
        EXPECT_FALSE(f.dtpFromDate()->isEnabled());
    }));
    EXPECT_EQ(loaded, filter);
    EXPECT_TRUE(prompts.asked.empty());
}

TEST_F(FilterDialogTest, AnUnreadableOrNewerFileChangesNothing)
{
    QTemporaryDir dir;
    const QString newer = dir.filePath(QStringLiteral("newer.quv"));
    QFile f(newer);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[General]\r\nVersion=1.5\r\n[Criteria]\r\nSource=Other\r\n");
    f.close();
    const QString missing = dir.filePath(QStringLiteral("missing.quv"));
    ScopedFifo fifo(dir.filePath(QStringLiteral("pipe.quv")).toStdString());
    ASSERT_TRUE(fifo.Made());
    const QString pipe = QString::fromStdString(fifo.Path());

    form.show();
    form.edUser()->setText(QStringLiteral("kept"));
    EXPECT_FALSE(form.LoadCriteriaFrom(newer));
    EXPECT_FALSE(form.LoadCriteriaFrom(missing));
    EXPECT_FALSE(form.LoadCriteriaFrom(QString()));
    EXPECT_FALSE(form.LoadCriteriaFrom(pipe));
    EXPECT_FALSE(fifo.Waited()) << "the dialog waited on the FIFO";
    EXPECT_EQ(form.edUser()->text(), "kept");
    EXPECT_TRUE(form.cbxInformation()->isChecked());
    form.hide();

    ASSERT_EQ(prompts.asked.size(), 4u);
    EXPECT_EQ(prompts.asked[0].text, "Error reading criteria file\rIncorrect format or incompatible version");
    EXPECT_EQ(prompts.asked[0].caption, "Load Criteria");
    EXPECT_EQ(prompts.asked[0].flags, UINT(MB_OK | MB_ICONERROR));
    for (std::size_t i : {1, 3}) {
        const QString& named = i == 1 ? missing : pipe;
        EXPECT_TRUE(prompts.asked[i].text.contains(named)) << prompts.asked[i].text.toStdString();
        EXPECT_EQ(prompts.asked[i].caption, "Load Criteria");
    }
    EXPECT_TRUE(prompts.asked[3].text.contains("not a regular file")) << prompts.asked[3].text.toStdString();
}

TEST_F(FilterDialogTest, ALoadedFileSetsThePickers)
{
    TEventFilter file;
    file.Information = false;
    file.Date = true;
    file.From = 45292.25;
    file.To = 45293.5;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("c.quv"));
    SaveCriteriaFile(path, file);
    form.show();
    ASSERT_TRUE(form.LoadCriteriaFrom(path));
    EXPECT_FALSE(form.cbxInformation()->isChecked());
    EXPECT_TRUE(form.cbxDate()->isChecked());
    EXPECT_TRUE(form.dtpFromDate()->isEnabled());
    EXPECT_EQ(form.dtpFromDate()->date(), QDate(2024, 1, 1));
    EXPECT_EQ(form.dtpFromTime()->time(), QTime(6, 0));
    EXPECT_EQ(form.dtpToDate()->date(), QDate(2024, 1, 2));
    EXPECT_EQ(form.dtpToTime()->time(), QTime(12, 0));
    EXPECT_EQ(form.FileCriteria(), file);
    form.hide();
}

} // namespace
