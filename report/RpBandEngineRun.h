#pragma once
// What the band engine's files share of the run: the running report, its
// prepared pages, the terminate flag, calculation errors, scripts and the
// guards that keep the run's state in order around nested prints.

#include "RpBand.h"
#include "RpEMFPages.h"
#include "RpPage.h"
#include "RpReport.h"
#include "RpRunState.h"

#include <exception>
#include <string>

namespace report {

// The report whose values are read (the composite's member inside a
// composite run).  A band engine runs only under a report.
TrpReport& RunningReport();
// The report whose prepared pages are filled, and the pages.
TrpReport& PagesReport();
TrpEMFPages& RunPages();
// The run ends: Cancel, STOPREPORT or a calculation error.
bool RunTerminated();
// The error becomes the run's calculation error (the run ends).
void RunError(std::exception_ptr error);
void RunError(const std::string& message);
// Runs a script of the run with the given current object; an error is the
// run's.
void RunLines(const TrpLines& lines, TrpView* current);
// Progress of the run: the number of the page being built.
void RunProgress(int pageNumber);

// Writes the object onto the prepared page being built (PAGE#), moved to
// left and top for the time it takes; its own geometry is kept.
void EmitOnCurrentPage(TrpView& view, std::int32_t left, std::int32_t top);

// The engine's events on the running report, then on the composite report
// driving it when that is another report.
void FireEndPage(int pageNo);

// Keeps the current band and object of the run state across a nested
// print (a header printed by a page break, a band shown by a script).
class TrpCurrentBandScope {
public:
    TrpCurrentBandScope() : band_(RunState().Band), view_(RunState().View), page_(RunState().Page) {}
    ~TrpCurrentBandScope()
    {
        RunState().Band = band_;
        RunState().View = view_;
        RunState().Page = page_;
    }
    TrpCurrentBandScope(const TrpCurrentBandScope&) = delete;
    TrpCurrentBandScope& operator=(const TrpCurrentBandScope&) = delete;

private:
    TrpBand* band_;
    TrpView* view_;
    TrpPage* page_;
};

// Marks the bands printed meanwhile as the ones a new page or column
// brings along.
class TrpBreakScope {
public:
    explicit TrpBreakScope(TrpPage& page) : page_(page) { ++page_.BreakDepth; }
    ~TrpBreakScope() { --page_.BreakDepth; }
    TrpBreakScope(const TrpBreakScope&) = delete;
    TrpBreakScope& operator=(const TrpBreakScope&) = delete;

private:
    TrpPage& page_;
};

// Sets a flag for as long as the scope lasts.
class TrpFlagScope {
public:
    TrpFlagScope(bool& flag, bool value) : flag_(flag), saved_(flag) { flag_ = value; }
    ~TrpFlagScope() { flag_ = saved_; }
    TrpFlagScope(const TrpFlagScope&) = delete;
    TrpFlagScope& operator=(const TrpFlagScope&) = delete;

private:
    bool& flag_;
    bool saved_;
};

} // namespace report
