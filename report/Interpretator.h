#pragma once
// The script interpreter of report runs: reading a name, assigning one and
// calling a function reach the running report.

#include "RP_Intrp.h"

namespace report {

class TInterpretator : public TrpInterpretator {
public:
    // The running report's value of the name (Null when no report runs).
    void ReadVariable(const std::string& name, Variant& value) override;
    // First that applies: a script variable of that name is set; a
    // dictionary variable of the running report is set; MODALRESULT on a
    // dialog page; CURY moves the current page's position; PROGRESS shows
    // its text; a property named object.property is assigned (found as
    // the report's values find it);
    // otherwise a new script variable.
    void WriteVariable(const std::string& name, const Variant& value) override;
    // The running report's functions and commands.
    void CallFunction(const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3,
                      Variant& val) override;

protected:
    bool StopRequested() override;
};

} // namespace report
