#pragma once
// The template pages of a report: paper, margins, columns, the dialog-page
// settings and the objects each page owns.

#include "RP_Prntr.h"
#include "RpBandView.h"
#include "RpObject.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace report {

class TrpBand;
class TrpBandRuntime;
class TrpPages;

class TrpDialogForm;

class TrpPage : public TrpObject {
public:
    static constexpr std::int32_t kA4 = 9;
    static constexpr std::int32_t kCustomPaper = 256;
    static constexpr std::int32_t kDefaultBin = 0xFFFF;

    TrpPage(TrpPages* owner, std::int32_t paperSize, std::int32_t width, std::int32_t height, std::int32_t bin,
            std::uint8_t orientation);

    TrpPages* Owner() const { return owner_; }
    std::size_t Index() const;

    ~TrpPage() override;

    // Script properties (see the table in the .cpp).
    void AssignProperty(const std::string& name, const Variant& value) override;
    Variant ReadProperty(const std::string& name) override;
    void RegisterProperties() override;

    // The printer model that lays out this page: the owner's, else the
    // engine's.
    TrpPrinter& Printer() const;
    // Sets the printer model to the paper and takes paper, orientation and
    // page info from it; a paper the printer refuses is set again as a
    // custom size in the default bin.  A bin of -1 becomes the default bin.
    void ApplyPaper(std::int32_t paperSize, std::int32_t bin, std::int32_t width, std::int32_t height,
                    std::uint8_t orientation);
    // The printer model's paper names joined by ";" ("No data" without any)
    // and their codes, for editors.
    std::string PaperNamesText() const;
    std::vector<std::int32_t> PaperSizesArray() const;

    // The printable limits in report pixels.  During a run the bottom limit
    // leaves room for the page footer.
    std::int32_t TopLimit() const;
    std::int32_t LeftLimit() const;
    std::int32_t RightLimit() const;
    std::int32_t BottomLimit() const;

    // Runs a non-empty page script through the host, with no current
    // object.
    void RunScript();

    // A dialog page before the report is built: its controls go onto a
    // form that is shown modally when one of them is visible (and the page
    // too); otherwise the page script just runs.  False when the user
    // cancelled the form.
    bool PrepareDialog();
    // Frees the controls' widgets and the form.
    void UnprepareDialog();
    // The form while a dialog page is prepared; null otherwise.
    TrpDialogForm* Form() const { return form_.get(); }

    // Letter case ignored; null when absent.
    TrpView* FindView(const std::string& name) const;
    // "Page" and the first number 1..10000 that no page of the report has.
    void SetDefaultName();

    // Appends an object and makes this page its parent.
    TrpView* AddObject(std::unique_ptr<TrpView> view);

    // The page record after its type byte.
    void ReadRecord(TrpStream& stream);
    void WriteRecord(TrpStream& stream) const;

    std::vector<std::unique_ptr<TrpView>> Objects;
    TrpLines Script;
    std::int32_t PaperSize = kA4;
    std::int32_t PaperWidth = 2100, PaperHeight = 2970;  // tenths of a millimetre
    std::uint8_t Orientation = 0;                        // 0 portrait, 1 landscape
    std::int32_t Bin = kDefaultBin;
    std::int32_t MarginLeft = 0, MarginTop = 0, MarginRight = 0, MarginBottom = 0;
    std::uint16_t PrintToPrevPage = 0;  // 16-bit Boolean: not 0 is true
    std::uint16_t UseMargins = 0xFFFF;
    std::int32_t Columns = 1, ColumnGap = 0;
    std::int32_t ColumnWidth = 0;  // set when the page is built
    TrpPageInfo PageInfo;
    std::uint8_t PageType = 0;  // 0 report page, 1 dialog page
    std::string Name;
    std::uint8_t BorderStyle = 3;
    std::string Caption = "Form";
    std::int32_t Color = static_cast<std::int32_t>(kBtnFaceColor);
    std::int32_t FormLeft = 220, FormTop = 120, FormWidth = 380, FormHeight = 300;
    std::uint8_t Position = 4;
    bool Visible = true;

    // ---- the band engine (RpBandEngine.cpp, RpSubReports.cpp) ----
    // A report page: its bands made from its band views, CURRENT# and
    // COLUMN# at 1.  In the second pass of a two-pass run a prepared page is
    // only rewound.  A dialog page shows its form; false when cancelled.
    bool PrepareBuild();
    // Frees the bands (or the dialog form), except between the two passes.
    void UnprepareBuild();
    void BuildBandLists();
    // Binds objects to data fields and registers the aggregates of the
    // bands against their data bands.
    void PrepareDataFields();
    // Opens the data sets of the bands; an error is the run's.
    void OpenDataSets();
    // Builds the prepared pages of this template page.
    void GeneratePages();
    void RunDataLevel(int level);
    // Prints the band (or, recording for a sub-report, notes it); nothing
    // for none.
    void ShowBand(TrpBand* band);
    void NewPage();
    void NewColumn(TrpBand* band);
    void EndPages();
    // SHOWBAND: the first band of that name (letter case ignored) prints.
    void ShowBandByName(const std::string& name);
    // LINE# := value, and the text objects of the band forget their last
    // value.
    void ResetLine(TrpBand* band, std::int32_t value);
    // Replays a sub-report's play list from its position: true when a band
    // did not fit on this page.
    bool ReplayPlayList();
    // The first band of a type (always there once the page is prepared).
    TrpBand* FirstBand(TrpBandType type) const { return FirstBands[static_cast<std::size_t>(type)]; }
    // The column footer's height where room is measured.
    std::int32_t ColumnFooterHeight() const;
    // A break was asked for, but this column holds only what every new
    // page or column brings along: the band can never fit.  The run's
    // calculation error.
    void BandDoesNotFit(const TrpBand& band);
    // A band printed with a new page or column asked for another.
    void BreakWhileBreaking(const TrpBand* band);

    // A sub-report's play list: what the band engine did while recording.
    enum class TrpPlayAction : std::uint8_t { Print, First, Next };
    struct TrpPlayEntry {
        TrpBand* Band;
        TrpPlayAction Action;
    };

    // Build state of a report run, kept by the band engine: the bands
    // (owned) and the first band of each band type, where the next band
    // starts (CurY) and the lowest y a band may reach (CurBottomY), COLUMN#
    // and CURRENT#.
    std::vector<std::unique_ptr<TrpBandRuntime>> Bands;
    std::array<TrpBand*, 23> FirstBands{};
    bool Skip = false;      // printed only as a sub-report
    bool Prepared = false;  // the bands exist
    std::int32_t CurColumn = 0;    // 0-based
    std::int32_t ColumnStartY = 0; // where every column of this page starts
    std::int32_t XAdjust = 0;      // added to every object's x
    std::vector<TrpPlayEntry> PlayList;
    // The bands of the data loop waiting to print (headers wait for the
    // first record that prints below them).
    std::vector<TrpBand*> Pending;
    std::uint8_t Mode = 0;  // 0 normal, 1 recording for a sub-report
    std::size_t ReplayPosition = 0;
    TrpBand* ContinuingBand = nullptr;
    std::int32_t ColumnNo = 1;
    std::int32_t CurrentNo = 1;
    TrpBand* LastPrintedBand = nullptr;
    bool RepeatHeadersDisabled = false;
    std::int32_t CurY = 0;
    std::int32_t CurBottomY = 0;
    // While the report summary prints, the column footer takes no room.
    bool ColumnFooterIgnored = false;
    // Nothing has printed on this page yet but what a new page brings along
    // (overlay, headers, repeated headers): a band that does not fit here
    // fits nowhere.
    bool FreshPage = true;
    // Breaks being carried out: bands printed meanwhile come with them.
    int BreakDepth = 0;
    // The page is being built, or recorded and replayed as a sub-report: a
    // sub-report of it now (of its own page, or in a cycle) would never end.
    bool Active = false;
    // Cross columns are being printed.
    bool CrossMode = false;

private:
    TrpViewHost& PageHost() const;

    TrpPages* owner_;
    std::unique_ptr<TrpDialogForm> form_;
};

class TrpPages {
public:
    TrpPages() = default;
    TrpPages(const TrpPages&) = delete;
    TrpPages& operator=(const TrpPages&) = delete;

    std::size_t Count() const { return pages_.size(); }
    TrpPage& Page(std::size_t index) const { return *pages_.at(index); }
    void Clear() { pages_.clear(); }
    // A page with the default paper (A4 portrait, default bin).
    TrpPage& Add();
    // The first object of that name on any page, letter case ignored.
    TrpView* FindObject(const std::string& name) const;
    // The base name followed by the first number 1..10000 that no object
    // (pages: no page) has; empty when all are taken.
    std::string UniqueObjectName(const std::string& base);
    std::string UniquePageName(const TrpPage* except);

    // While a template loads, names only come and never go, so the first
    // free number of a base name only grows: an index of the names seen
    // keeps naming thousands of unnamed objects linear.  NoteName records
    // each name as it is set.
    void BeginNameIndex();
    void EndNameIndex();
    void NoteName(const std::string& name);
    // Paints every object with band alignment, page by page, on an
    // off-screen image, so that alignment has placed them before a run.
    void CalcPass();

    // The engine the objects of these pages belong to; null for the default.
    TrpViewHost* Host = nullptr;
    // The printer model of these pages; null for the engine's.
    TrpPrinter* Printer = nullptr;

private:
    std::string IndexedName(const std::string& base);

    std::vector<std::unique_ptr<TrpPage>> pages_;
    bool indexing_ = false;
    std::unordered_set<std::string> names_;         // upper-cased
    std::unordered_map<std::string, int> nextFree_;  // upper-cased base name -> first candidate
};

// Ends the name index of a load however the load ends.
class TrpNameIndexScope {
public:
    explicit TrpNameIndexScope(TrpPages& pages) : pages_(pages) { pages_.BeginNameIndex(); }
    ~TrpNameIndexScope() { pages_.EndNameIndex(); }
    TrpNameIndexScope(const TrpNameIndexScope&) = delete;
    TrpNameIndexScope& operator=(const TrpNameIndexScope&) = delete;

private:
    TrpPages& pages_;
};

} // namespace report
