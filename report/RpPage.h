#pragma once
// The template pages of a report: paper, margins, columns, the dialog-page
// settings and the objects each page owns.

#include "RP_Prntr.h"
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

    // Build state of a report run, kept by the band engine: the first band
    // of each band type, where the next band starts (CurY) and the lowest y
    // a band may reach (CurBottomY), COLUMN# and CURRENT#.
    std::array<TrpBand*, 23> FirstBands{};
    std::int32_t CurY = 0;
    std::int32_t CurBottomY = 0;
    std::int32_t ColumnNo = 1;
    std::int32_t CurrentNo = 1;

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
