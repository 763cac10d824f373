#pragma once
// The state of the report run, one for the whole process: one report runs
// at a time.  The report run and the band engine set it; values,
// functions, commands and script hooks read it.

#include "Variant.h"

#include <cstdint>
#include <string>

namespace report {

class TrpBand;
class TrpEMFPages;
class TrpPage;
class TrpReport;
class TrpView;

// What the band engine offers to the report commands while it runs.
class TrpBandEngineHooks {
public:
    virtual ~TrpBandEngineHooks() = default;
    // SHOWBAND: prints the band whose view has that name on the current
    // page; nothing when there is none.
    virtual void ShowBandByName(const std::string& name) = 0;
};

struct TrpRunState {
    // The report whose values are read, and the one whose prepared pages
    // are filled (they differ only inside a composite report's members).
    TrpReport* Report = nullptr;
    TrpReport* PagesReport = nullptr;
    // The engine's run-time mode: pages are being built or shown.
    bool Running = false;
    TrpPage* Page = nullptr;
    TrpBand* Band = nullptr;
    TrpView* View = nullptr;
    // 0-based; PAGE# is PageNo + 1.
    std::int32_t PageNo = 0;
    std::int32_t TotalPages = 0;
    // Captured once when a preparation begins.
    double Date = 0;
    double Time = 0;
    bool ErrorFlag = false;
    std::string ErrorMessage;
    bool DialogCancelled = false;
    // Between the members of a composite report.
    bool NextOnPreviousPage = false;
    bool ContinueOnPage = false;

    // Values: the last bracketed expression's value (VALUE), the name the
    // resolver evaluates as an expression (against endless recursion), the
    // expression text for error messages.
    Variant Value;
    std::string NameUnderEvaluation;
    std::string Expression;
    // While the band engine registers aggregates: unanswered names are
    // Empty, nothing is formatted, and aggregates register against this
    // data band.
    bool MeasuringPass = false;
    TrpBand* RegisteringBand = nullptr;

    TrpBandEngineHooks* BandEngine = nullptr;

    // The prepared pages that the band engine fills; null outside a run.
    TrpEMFPages* Prepared = nullptr;
    // Print to the previous page: where the last template page ended (its
    // current y and bottom y), whether the next one continues there, and
    // whether the page footer was printed at that end.
    std::int32_t SavedY = 0;
    std::int32_t SavedBottomY = 0;
    bool Append = false;
    bool FooterPrinted = false;

    // Back to the state of no run.
    void Reset() { *this = TrpRunState(); }
};

TrpRunState& RunState();

// Makes a view the run's current object for as long as the scope lasts.
class TrpCurrentViewScope {
public:
    explicit TrpCurrentViewScope(TrpView* view) : saved_(RunState().View) { RunState().View = view; }
    ~TrpCurrentViewScope() { RunState().View = saved_; }
    TrpCurrentViewScope(const TrpCurrentViewScope&) = delete;
    TrpCurrentViewScope& operator=(const TrpCurrentViewScope&) = delete;

private:
    TrpView* saved_;
};

} // namespace report
