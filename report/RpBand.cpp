#include "RpBand.h"

#include "VariantRules.h"

#include <vector>

namespace report {

namespace {

constexpr int kBandLevels[kBandTypeCount] = {
    1, 1, 1, 1,  // report title, summary, page header, page footer
    1, 1, 1,     // master
    2, 2, 2,     // detail
    3, 3, 3,     // subdetail
    1, 1, 1,     // overlay, column header, column footer
    1, 1,        // group header, group footer
    4, 4, 4,     // cross
    1, 1,        // child, none
};

} // namespace

std::string AggregateKey(const std::string& bandName, char code, const std::string& expression,
                         const std::string& flags)
{
    std::string key = bandName;
    key += '\1';
    key += code;
    key += '\1';
    key += expression;
    key += '\1';
    key += flags;
    key += '\1';
    return key;
}

int BandLevel(int bandType)
{
    return bandType >= 0 && bandType < kBandTypeCount ? kBandLevels[bandType] : 1;
}

int LevelDataBandType(int level)
{
    switch (level) {
    case 2:
        return static_cast<int>(TrpBandType::DetailData);
    case 3:
        return static_cast<int>(TrpBandType::SubdetailData);
    case 4:
        return static_cast<int>(TrpBandType::CrossData);
    default:
        return static_cast<int>(TrpBandType::MasterData);
    }
}

TrpBand* TrpBand::ChainFirst()
{
    TrpBand* band = this;
    while (band->Prev != nullptr)
        band = band->Prev;
    return band;
}

TrpBand* TrpBand::CounterBand()
{
    return DataSet != nullptr ? this : ChainFirst();
}

Variant TrpBand::AggregateValue(const std::string& name) const
{
    const int index = AggregateValues.IndexOf(name);
    if (index < 0)
        return Variant::null();
    const Variant value = AggregateValues.GetValue(index);
    // Band, code, expression and flags, each ended by the byte 1; a cross
    // column number may lead.
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end = name.find('\1'); end != std::string::npos; end = name.find('\1', start)) {
        parts.push_back(name.substr(start, end - start));
        start = end + 1;
    }
    const std::size_t codePart = parts.size() >= 5 ? 2 : 1;
    const char code = codePart < parts.size() && !parts[codePart].empty() ? parts[codePart][0] : 0;
    if (code != AggregateCode::Avg)
        return value;
    if (AggregateCount < 1)
        return Variant(std::int32_t{0});
    return VarDiv(value, Variant(AggregateCount));
}

} // namespace report
