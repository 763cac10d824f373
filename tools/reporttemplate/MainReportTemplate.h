#pragma once
// The report template that the main window carries for printing and
// previewing the event list: one A4 page with a title band ("[EventLogTitle]"),
// a page header of eight column names, a master data band over the data set
// "dsCommon" with the eight values of an event, and a page footer with
// "Page [PAGE#] of [TOTALPAGES]" and the date and time of the run.  Built
// through the report objects, so that every field the template stream
// stores is the objects' own; qv-reporttemplate writes it to
// resources/report/main-report.rpf.

#include <string>

namespace report {
class TrpReportTemplate;
}

// The date the template was made and last changed (days since 1899-12-30),
// stored in its report information so that every build writes the same
// bytes.
constexpr double kMainReportTemplateDate = 45383.5;  // 2024-04-01 12:00

// Replaces the template's pages, dictionary and information by the event
// list's.
void BuildMainReportTemplate(report::TrpReportTemplate& reportTemplate);

// The template stream of the event list's template.
std::string MainReportTemplateStream();
