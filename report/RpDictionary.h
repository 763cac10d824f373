#pragma once
// The data dictionary of a report: its named variables (each an expression
// text or a data-field reference), the aliases of data sets and fields, the
// band data sources, and a cache of the names already resolved to fields.
//
// The value resolver asks the dictionary right after the application:
// first whether it knows a name (IsVariable), then for its value
// (GetValue).  Variables whose names begin with a blank are category
// headings.  A variable's value is an expression, evaluated when read, or a
// field reference such as Orders."Amount" or Orders.Amount.

#include "DataSet.h"
#include "RP_Pars.h"
#include "RP_Utils.h"

#include <QPointer>

#include <map>
#include <string>
#include <vector>

namespace report {

// What the dictionary needs of the report that runs: evaluation, the
// script variables, the current band's data set and the lookup of data
// sets and fields.
class TrpDictionaryHost {
public:
    virtual ~TrpDictionaryHost() = default;
    virtual Variant EvaluateExpression(const std::string& expression) = 0;
    // Script variables hide dictionary variables of the same name; null
    // when there are none.
    virtual const TrpVariables* ScriptVariables() const = 0;
    // The database data set of the current band; null for none.
    virtual TDataSet* CurrentBandDataSet() = 0;
    virtual TrpFieldLookup& FieldLookup() = 0;
};

class TrpDataDictionary {
public:
    // Each list holds at most this many entries; a stream that claims more
    // is damaged (a real dictionary has dozens, and the lists look names up
    // one by one).
    static constexpr std::size_t kMaxEntries = 16384;

    TrpDataDictionary() = default;
    TrpDataDictionary(const TrpDataDictionary&) = delete;
    TrpDataDictionary& operator=(const TrpDataDictionary&) = delete;

    // Empties the three lists (not the cache).
    void Clear();
    // Forgets every name resolved to a field; each build starts so, and
    // finds data sets replaced since the last one.
    void ClearCache();

    // True for a variable, and for a name that resolves to a data field
    // (which the cache then remembers).  A variable whose value is being
    // evaluated is not known to its own expression, so variables that refer
    // to each other end as undefined names instead of recursing.
    bool IsVariable(const std::string& name);
    // Null for an unknown name; a field's value for a cached name; the
    // script variable of that name when there is one; else the variable's
    // value evaluated as an expression (an empty text stays empty).
    void GetValue(const std::string& name, Variant& value);

    // Splits at the last "." outside double quotes; the field part loses
    // one pair of surrounding quotes.  False without such a point.
    static bool SplitFieldName(const std::string& text, std::string& dataSetPart, std::string& fieldPart);
    // The name of the first field alias whose value is alias (letter case
    // ignored); alias itself when there is none.
    std::string RealDataSetName(const std::string& alias) const;

    // The dictionary record after its type byte.  Counts are checked
    // against the bytes that remain.
    void ReadDictionary(TrpStream& stream);
    void WriteDictionary(TrpStream& stream) const;

    TrpVariables Variables;
    TrpVariables FieldAliases;
    TrpVariables BandDatasources;
    // The running report; null outside a run (no data sets, plain
    // evaluation).
    TrpDictionaryHost* Host = nullptr;

    // A name resolved to a field.
    struct CacheEntry {
        QPointer<TDataSet> DataSet;
        std::string FieldName;
    };
    // Upper-cased names.
    const std::map<std::string, CacheEntry>& Cache() const { return cache_; }

private:
    bool ResolvesToField(const std::string& reference, TDataSet* start, CacheEntry& entry);
    void ReadOldLayout(TrpStream& stream);
    void DropUnusedEntries();

    std::map<std::string, CacheEntry> cache_;
    std::vector<std::string> evaluating_;  // upper-cased names whose expressions are being evaluated
};

} // namespace report
