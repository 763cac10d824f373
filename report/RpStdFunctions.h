#pragma once
// The two function libraries every engine installs: the standard library
// (text, date, number, dialog and aggregate functions) and the database
// library (FIELDISNULL).

#include "RpFunctions.h"

namespace report {

class TrpStdFunctionLibrary : public TrpFunctionLibrary {
public:
    TrpStdFunctionLibrary();
    std::string ClassName() const override { return "TrpStdFunctionLibrary"; }
    void EvaluateFunction(int index, const Variant& p1, const Variant& p2, const Variant& p3,
                          Variant& val) override;
};

class TDatabaseFunctionLibrary : public TrpFunctionLibrary {
public:
    TDatabaseFunctionLibrary();
    std::string ClassName() const override { return "TDatabaseFunctionLibrary"; }
    void EvaluateFunction(int index, const Variant& p1, const Variant& p2, const Variant& p3,
                          Variant& val) override;
    void AddDescriptions() override;
};

// An aggregate call (SUM, MIN, MAX, AVG, COUNT): while the band engine
// measures, registers an entry on the data band being registered; while it
// prints, the value of the current band's entry.
void AggregateFunction(char code, const Variant& p1, const Variant& p2, const Variant& p3, Variant& val);

} // namespace report
