#pragma once
// Prepared pages of an event-list report, laid out as the stored template
// prints the event list: a title on the first page, a header row of eight
// columns, 65 rows of eight columns (Tahoma 8) and a footer of two texts
// (Tahoma 7) a page, on the template page's paper (A4).  For benchmarks
// and pictures of the preview.

namespace report {
class TrpEMFPages;
class TrpPage;
} // namespace report

// Appends the pages of that many events; the template page gives the
// paper.  Every page's text objects are emitted as the band engine emits
// them.
void AddEventListPages(report::TrpEMFPages& pages, const report::TrpPage& templatePage, int events);
