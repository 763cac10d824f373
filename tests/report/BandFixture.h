#pragma once
// A report built in code and run by the band engine: one template page (A4
// on the virtual printer, margins of 20 report pixels), text measured at 7
// pixels a character, a user data set "Rows" whose records the test lists,
// and the prepared pages read back as the texts placed on them.

#include "report/RP_Class.h"
#include "report/RpGlobals.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace report {

// One text as placed on a prepared page.
struct PlacedText {
    std::string Name;
    std::string Text;  // lines joined by "|", line-end markers removed
    std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
};

class BandFixture : public ::testing::Test {
public:
    // Records what the run tells the user.
    struct Questions : TrpQuestions {
        std::vector<std::string> messages;
        std::string InputBox(const std::string&, const std::string&, const std::string& defaultText) override
        {
            return defaultText;
        }
        int MessageBox(const std::string& text, const std::string&, int) override
        {
            messages.push_back(text);
            return MessageBoxAnswer::Ok;
        }
    };

    void SetUp() override
    {
        RunState().Reset();
        EngineGlobals().ScriptVariables.Clear();
        questions.messages.clear();
        savedQuestions = EngineGlobals().Questions;
        EngineGlobals().Questions = &questions;
        form = std::make_unique<QWidget>();
        form->setObjectName("frmMain");
        report = new TrpReport(form.get());
        report->setObjectName("repTest");
        report->MeasurerFactory = &measurers;
        report->Now = [] { return 45000.25; };
        report->OnGetValue = [this](const std::string& name, Variant& value) { GetValue(name, value); };
        page = &report->Pages.Add();
        page->MarginLeft = page->MarginTop = page->MarginRight = page->MarginBottom = 20;
        rows = new TrpUserDataset(form.get());
        rows->setObjectName("Rows");
        rows->OnCheckEOF = [this](TrpDataset& data, bool& eof) {
            eof = data.RecNo >= static_cast<std::int32_t>(records.size());
        };
    }

    void TearDown() override
    {
        form.reset();
        EngineGlobals().Questions = savedQuestions;
        RunState().Reset();
        EngineGlobals().ScriptVariables.Clear();
    }

    // The current record's field of that name; past the end the last
    // record stays current, as with a database.
    void GetValue(const std::string& name, Variant& value)
    {
        if (records.empty() || rows->RecNo < 0)
            return;
        const std::size_t at = std::min(static_cast<std::size_t>(rows->RecNo), records.size() - 1);
        {
            const auto field = records[at].find(name);
            if (field != records[at].end())
                value = field->second;
        }
    }

    TrpBandView& AddBand(TrpBandType type, std::int32_t top, std::int32_t height, const std::string& name,
                         std::uint16_t flags = BandFlag::OnFirstPage | BandFlag::OnLastPage,
                         const std::string& dataSource = {})
    {
        auto band = std::make_unique<TrpBandView>();
        band->SetBandType(static_cast<int>(type));
        band->Name = name;
        band->Left = 0;
        band->Top = top;
        band->Width = 700;
        band->Height = height;
        band->Flags = flags;
        band->FormatString = dataSource;
        return static_cast<TrpBandView&>(*page->AddObject(std::move(band)));
    }

    TrpMemoView& AddText(const std::string& name, const std::string& text, std::int32_t left, std::int32_t top,
                         std::int32_t width = 200, std::int32_t height = 16, TrpPage* on = nullptr)
    {
        auto memo = std::make_unique<TrpMemoView>();
        memo->Name = name;
        memo->Memo = SplitTextLines(text);
        memo->Left = left;
        memo->Top = top;
        memo->Width = width;
        memo->Height = height;
        memo->Flags = MemoFlag::WordWrap;
        memo->DisplayFormat = 0;
        memo->GapX = 0;
        memo->GapY = 0;
        return static_cast<TrpMemoView&>(*(on != nullptr ? on : page)->AddObject(std::move(memo)));
    }

    // Runs the report; the number of prepared pages.
    std::size_t Run()
    {
        prepared = report->Prepare();
        page = &report->Pages.Page(0);  // the template comes back anew
        return report->EMFPages->Count();
    }

    // The texts of a prepared page, in the order they were placed.
    std::vector<PlacedText> Texts(std::size_t index)
    {
        std::vector<PlacedText> texts;
        report->EMFPages->RebuildPage(index);
        for (const auto& view : report->EMFPages->PageRecord(index).Rebuilt->Objects) {
            std::string text;
            for (const std::string& line : view->Memo) {
                std::string clean;
                for (char c : line)
                    if (c != '\1')
                        clean += c;
                if (clean.empty() && line.find('\1') != std::string::npos && &line == &view->Memo.back())
                    continue;
                text += (text.empty() ? "" : "|") + clean;
            }
            texts.push_back({view->Name, text, view->Left, view->Top, view->Width, view->Height});
        }
        report->EMFPages->ReleasePage(index);
        return texts;
    }

    // Only the texts of a page.
    std::vector<std::string> Strings(std::size_t index)
    {
        std::vector<std::string> strings;
        for (const PlacedText& text : Texts(index))
            strings.push_back(text.Text);
        return strings;
    }

    // The first text of that name on a page.
    PlacedText Find(std::size_t index, const std::string& name)
    {
        for (const PlacedText& text : Texts(index))
            if (text.Name == name)
                return text;
        ADD_FAILURE() << name << " is not on page " << index + 1;
        return {};
    }

    // Records of one field.
    void Records(const std::string& field, const std::vector<Variant>& values)
    {
        records.clear();
        for (const Variant& value : values)
            records.push_back({{field, value}});
    }

    // Records numbered 1 to count in the field N.
    void CountedRecords(int count)
    {
        records.clear();
        for (int n = 1; n <= count; ++n)
            records.push_back({{"N", Variant(std::int32_t{n})}});
    }

    Questions questions;
    TrpQuestions* savedQuestions = nullptr;
    TrpFixedWidthFactory measurers{7};
    std::unique_ptr<QWidget> form;
    TrpReport* report = nullptr;
    TrpPage* page = nullptr;
    TrpUserDataset* rows = nullptr;
    std::vector<std::map<std::string, Variant>> records;
    bool prepared = false;
};

} // namespace report
