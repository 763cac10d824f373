#pragma once
// The band of a report run: one per band view of a template page while
// the page is being built.  What values and functions read of it: its
// type and name, its data set and line counters, the page and column
// breaks that scripts ask for, and its aggregate values.  The band engine
// builds the bands and their chains.

#include "RP_DSet.h"
#include "RP_Pars.h"
#include "RpBandView.h"

#include <cstdint>
#include <memory>
#include <string>

namespace report {

class TrpPage;

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

class TrpBand {
public:
    TrpBand(TrpPage* page, int type) : Page(page), Type(type) {}
    TrpBand(const TrpBand&) = delete;
    TrpBand& operator=(const TrpBand&) = delete;

    // The first band of this band's chain (the bands of its type).
    TrpBand* ChainFirst();
    // The band whose counters LINE# and LINETHROUGH# show: this band when
    // it has a data set, else the first band of its chain.
    TrpBand* CounterBand();

    // An aggregate entry's value; AVG divided by the record count (0 below
    // one record).  Null for an entry that does not exist.
    Variant AggregateValue(const std::string& name) const;

    TrpPage* Page;
    int Type;
    std::string Name;
    TrpBandView* View = nullptr;
    std::uint16_t Flags = 0;
    TrpBand* Next = nullptr;  // the next and previous band of the same type
    TrpBand* Prev = nullptr;

    std::int32_t LineNo = 1;       // LINE#
    std::int32_t LineThrough = 1;  // LINETHROUGH#, not reset by groups

    TrpDataset* DataSet = nullptr;
    std::unique_ptr<TrpDataset> OwnedDataSet;

    // Breaks asked for by the band's script (NEWPAGE, NEWCOLUMN).
    std::int32_t NewPageCount = 0;
    std::int32_t NewColumnCount = 0;
    // The script set CURY while a break was pending.
    bool PositionSetByScript = false;

    // Aggregates: the entries registered on this data band, its record
    // count, and, on a band that shows aggregates, the band that keeps them.
    TrpVariables AggregateValues;
    std::int32_t AggregateCount = 0;
    TrpBand* AggregateOwner = nullptr;
    bool HasCrossObjects = false;
};

} // namespace report
