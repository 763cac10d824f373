#include "RpExportFilter.h"

#include <algorithm>

namespace report {

namespace {

std::vector<TrpExportFilterEntry>& Registered()
{
    static std::vector<TrpExportFilterEntry> filters;
    return filters;
}

} // namespace

void RegisterExportFilter(TrpExportFilter& filter, const std::string& description, const std::string& mask)
{
    UnregisterExportFilter(filter);
    Registered().push_back({&filter, description, mask});
}

void UnregisterExportFilter(TrpExportFilter& filter)
{
    std::erase_if(Registered(), [&filter](const TrpExportFilterEntry& entry) { return entry.Filter == &filter; });
}

const std::vector<TrpExportFilterEntry>& ExportFilters()
{
    return Registered();
}

} // namespace report
