#pragma once
// The data dictionary's lists as the template stream carries them: the
// report's variables, the aliases of data sets and fields, and the band
// data sources.

#include "RP_Pars.h"
#include "RP_Utils.h"

#include <string>
#include <vector>

namespace report {

class TrpDataDictionary {
public:
    // Each list holds at most this many entries; a stream that claims more
    // is damaged (a real dictionary has dozens, and the lists look names up
    // one by one).
    static constexpr std::size_t kMaxEntries = 16384;

    // An entry of the old dictionary layout, kept as read.
    struct LegacyField {
        std::uint8_t Kind = 0;
        std::int32_t Index = 0;
        std::string Texts[3];
    };

    // Empties the three lists (and the old-layout entries).
    void Clear();
    // The dictionary record after its type byte.  Counts are checked
    // against the bytes that remain.
    void ReadDictionary(TrpStream& stream);
    void WriteDictionary(TrpStream& stream) const;

    TrpVariables Variables;
    TrpVariables FieldAliases;
    TrpVariables BandDatasources;
    std::vector<LegacyField> LegacyFields;
};

} // namespace report
