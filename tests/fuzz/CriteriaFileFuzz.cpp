// Criteria files: any bytes either read or are refused for their version;
// what reads writes out as a file that reads to the same criteria and
// writes out the same again.
#include "app/CriteriaFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TEventFilter criteria;
    if (!ParseCriteriaFileText(bytes, criteria))
        return 0;
    const QByteArray written = CriteriaFileText(criteria);
    TEventFilter again;
    if (!ParseCriteriaFileText(written, again))
        std::abort();
    if (again.Source != criteria.Source || again.DescriptionText != criteria.DescriptionText ||
        again.EventIDs != criteria.EventIDs || again.Information != criteria.Information ||
        again.DTSeparately != criteria.DTSeparately)
        std::abort();
    if (CriteriaFileText(again) != written)
        std::abort();
    return 0;
}
