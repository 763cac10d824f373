#pragma once
// A report of one page with one text object (Memo1) and one band, owned by
// a form that also owns an SQLite data set named Orders over the rows of
// SqliteFixture.  The report is current; the run state and the script
// variables start empty for each test.

#include "SqliteFixture.h"

#include "report/RP_Class.h"
#include "report/RpGlobals.h"

#include <QWidget>

#include <memory>

namespace report {

class ReportFixture : public SqliteFixture {
protected:
    void SetUp() override
    {
        SqliteFixture::SetUp();
        RunState().Reset();
        EngineGlobals().ScriptVariables.Clear();
        form = std::make_unique<QWidget>();
        form->setObjectName("frmMain");
        orders = new TDataSet(form.get());
        orders->setObjectName("Orders");
        orders->ConnectionName = Connection();
        orders->SQL = "select * from orders order by id";
        report = new TrpReport(form.get());
        report->setObjectName("repTest");
        TrpPage& page = report->Pages.Add();
        memo = static_cast<TrpMemoView*>(page.AddObject(std::make_unique<TrpMemoView>()));
        memo->Name = "Memo1";
        memo->Memo = {"Total: [Total]"};
        memo->Width = 120;
        memo->DisplayFormat = 0;
        report->MakeCurrent();
    }

    void TearDown() override
    {
        RunState().Reset();
        EngineGlobals().ScriptVariables.Clear();
        form.reset();
        SqliteFixture::TearDown();
    }

    Variant Value(const std::string& name)
    {
        Variant value;
        report->ResolveVariable(name, value);
        return value;
    }

    std::string Bracket(const std::string& text)
    {
        std::string result;
        report->EvaluateBracket(text, result);
        return result;
    }

    Variant Eval(const std::string& expression) { return report->Evaluate(expression); }

    std::unique_ptr<QWidget> form;
    TDataSet* orders = nullptr;
    TrpReport* report = nullptr;
    TrpMemoView* memo = nullptr;
};

} // namespace report
