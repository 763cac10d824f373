#pragma once
// The band of a report run: one per band view of a template page while the
// page is being built (the page owns it).  The band engine (RpBandEngine.cpp)
// builds the bands, links their chains and walks the data; each band prints
// itself (RpBandPrint.cpp: height, fit, stretching, splitting, band
// columns; RpSubReports.cpp; RpCrossBands.cpp) and keeps the aggregate
// values of its records.  Values and functions read its
// type, name, data set, line counters and aggregates.

#include "RP_DSet.h"
#include "RP_Pars.h"
#include "RpBandView.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace report {

class TrpPage;
class TrpView;

// The function codes of aggregates.
namespace AggregateCode {
constexpr char Sum = 11;
constexpr char Min = 12;
constexpr char Max = 13;
constexpr char Avg = 14;
constexpr char Count = 15;
} // namespace AggregateCode

// The name of an aggregate entry: band name, function code, expression and
// flags, each followed by the byte 1.
std::string AggregateKey(const std::string& bandName, char code, const std::string& expression,
                         const std::string& flags);

// The data level of a band type (1 master, 2 detail, 3 subdetail, 4 cross)
// and the data band type of a level.
int BandLevel(int bandType);
int LevelDataBandType(int level);
// Master, detail and subdetail data (5, 8, 11).
bool IsDataBandType(int bandType);

class TrpBand : public TrpBandRuntime {
public:
    static constexpr std::size_t kMaxSubReports = 63;

    TrpBand(TrpPage* page, int type) : Page(page), Type(type) {}
    // Closes the data sets the run opened and frees the ones the band owns.
    ~TrpBand() override;
    TrpBand(const TrpBand&) = delete;
    TrpBand& operator=(const TrpBand&) = delete;

    // The first band of this band's chain (the bands of its type).
    TrpBand* ChainFirst();
    // The band whose counters LINE# and LINETHROUGH# show: this band when
    // it has a data set, else the first band of its chain.
    TrpBand* CounterBand();
    // A band exists when a view made it, or when it is the band of the
    // objects outside every band and holds some.
    bool Exists() const;
    bool IsDataBand() const { return IsDataBandType(Type); }
    // The height counted for the band where room is measured: 0 for a band
    // that does not exist.
    std::int32_t ExistingHeight() const { return Exists() ? Height : 0; }

    // ---- printing ----
    // Prints the band: true when it caused a page or column break (or, on
    // the page of a sub-report, did not end on this page).
    bool PrintBand();
    std::int32_t CalcHeight();
    void DrawObjects();
    // True when sub-reports were printed.
    bool PrintObjects();
    void PrintObject(TrpView& view);
    void SplitPrint();
    // Whether a band of that height at y needs the next column (it takes
    // it unless testOnly).
    bool CheckColumnFit(std::int32_t y, std::int32_t height, bool testOnly);

    // ---- sub-reports ----
    void InitSubReports();
    void RunSubReports();

    // ---- cross bands ----
    void PrintCross();

    // ---- aggregates ----
    // After each record of a data band: every entry takes the record.
    void UpdateAggregates();
    // After the band printed: a group header remembers its condition's
    // value; a band with an aggregate owner resets its entries there.
    void ResetAggregates();
    // An entry's value; AVG divided by the records the entry took (0 below
    // one record); MIN and MAX of no record are Null.  Null for an entry
    // that does not exist.
    Variant AggregateValue(const std::string& name) const;

    // ---- what the band view's script properties reach ----
    void SetChildBand(const std::string& name) override;
    void SetBreaked(bool value) override;
    void SetCondition(const std::string& condition) override;
    void SetGeometry(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) override;
    void SetVisible(bool value) override;
    void SetDataSource(const std::string& name) override;
    bool HasDataSet() const override { return DataSet != nullptr; }
    bool Eof() const override;
    void Next() override;
    void Prior() override;
    void First() override;

    TrpPage* Page;
    TrpBandView* View = nullptr;
    std::uint16_t Flags = 0;
    TrpBand* NextBand = nullptr;  // the next and previous band of the same type
    TrpBand* PrevBand = nullptr;
    TrpBand* NextGroup = nullptr;  // group headers of one data band, outermost first
    TrpBand* PrevGroup = nullptr;
    TrpBand* FirstGroup = nullptr;  // on a data band: its group-header chain
    TrpBand* LastGroup = nullptr;
    TrpBand* ChildBand = nullptr;
    // On a band that shows aggregates: the data band that keeps them.
    TrpBand* AggregateOwner = nullptr;

    // Sub-reports: the index of the first one among the objects, and which
    // have finished.
    std::int32_t FirstSubReport = -1;
    bool SubReportsFinished = true;
    std::array<bool, kMaxSubReports> SubReportFinished{};

    std::int32_t LineNo = 1;       // LINE#
    std::int32_t LineThrough = 1;  // LINETHROUGH#, not reset by groups
    // A group header: its condition's value when it last printed.
    Variant LastGroupValue;

    TrpBand* HeaderBand = nullptr;
    TrpBand* FooterBand = nullptr;
    TrpBand* DataBand = nullptr;

    // Aggregates: the entries registered on this data band (by key) and the
    // records each entry took.
    TrpVariables AggregateValues;
    std::vector<std::int32_t> AggregateCounts;
    bool HasCrossObjects = false;

    bool RepeatedHeader = false;
    std::int32_t CalculatedHeight = -1;
    std::int32_t BandColumn = 1;   // 1-based, for bands printed side by side
    std::int32_t SavedXAdjust = 0;
    // The script set CURY while a break was pending.
    bool PositionSetByScript = false;
    bool ScriptAlreadyRun = false;
    // The band is being printed (SHOWBAND of it would never end).
    bool Printing = false;

    std::int32_t X = 0, Y = 0, Width = 0, Height = 0;
    std::int32_t SliceHeight = 0;
    int Type;
    std::string Name;

    bool PrintIfSubsetEmpty = false;
    bool NewPageAfter = false;
    bool Stretched = false;
    bool PageBreak = false;  // may be split across pages
    bool PrintChildIfInvisible = false;
    bool Visible = true;

    // Objects (not owned; positions relative to the band), the band's
    // before-print script (the view's memo) and script.
    std::vector<TrpView*> Objects;
    TrpLines Memo;
    TrpLines Script;

    TrpDataset* DataSet = nullptr;
    std::unique_ptr<TrpDataset> OwnedDataSet;
    TrpDataset* CrossDataSet = nullptr;
    std::unique_ptr<TrpDataset> OwnedCrossDataSet;
    // The run opened the data sets (OpenDataSets): freeing closes them.
    bool DataSetsOpened = false;
    // A cross data band: the most records a row of its data set had.
    std::int32_t WidestRow = 0;

    // A group header's condition, postfix-coded.
    std::string GroupCondition;

    // Breaks asked for by the band's script (NEWPAGE, NEWCOLUMN).
    std::int32_t NewPageCount = 0;
    std::int32_t NewColumnCount = 0;

private:
    // The parts of an entry's key, parsed once per entry.
    struct AggregateEntry {
        int Column = -1;       // cross column; -1 without
        std::string BandName;  // upper-cased
        char Code = 0;
        std::string Expression;
        bool CountInvisible = false;
    };
    const AggregateEntry& Entry(int index) const;
    void ParseEntries() const;
    void ResetEntry(int index);
    void DrawRecordChain();

    mutable std::vector<AggregateEntry> entries_;
};

} // namespace report
