#pragma once
// Small routines that the report engine shares: the string and line-list
// forms of template streams, font-style codes, ";"-separated texts, field
// references and the hex text of passwords.
//
// Texts are bytes in the program's 8-bit code page and travel unchanged;
// see RpText.h for how they are shown.

#include "RpStream.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace report {

using TrpLines = std::vector<std::string>;

// Strings and lines of the counted forms hold at most this many bytes.
constexpr std::size_t kMaxStreamString = 0xFFFF;

// uint16 length, the bytes, one byte that is read and ignored.  The length
// is checked against the stream before anything is allocated.
std::string ReadCountedString(TrpStream& stream);
// uint16 length, the bytes, one 0.  Raises EWriteError for a text longer
// than 65,535 bytes.
void WriteCountedString(TrpStream& stream, std::string_view text);
// Bytes up to the first 0 (consumed, not part of the text).  A stream that
// ends without a 0 raises EReadError.
std::string ReadZeroString(TrpStream& stream);

// uint16 count; then, unless it is 0, lines of uint16 length and bytes, each
// followed by a separator byte, until a separator of 0.  An empty list is
// the three bytes 00 00 00.
void ReadLineList(TrpStream& stream, TrpLines& lines);
// The counted list form.  The count field only tells an empty list from a
// non-empty one, so lists of more than 65,535 lines are written with the
// count 65,535.  Raises EWriteError for a line longer than 65,535 bytes.
void WriteLineList(TrpStream& stream, const TrpLines& lines);
// Bytes up to a 0; byte 13 ends a line (added even when empty); the text
// before the 0 is added when not empty.
void ReadLineListOld(TrpStream& stream, TrpLines& lines);

std::uint16_t ReadUInt16(TrpStream& stream);
void WriteUInt16(TrpStream& stream, std::uint16_t value);
void WriteInt32(TrpStream& stream, std::int32_t value);

// The string and line-list forms that the stream's version asks for:
// below 23 the zero-terminated ones, from 23 on the counted ones.
std::string ReadStreamString(TrpStream& stream);
void ReadStreamLines(TrpStream& stream, TrpLines& lines);

// The lines of a text split at CR LF, LF or CR, the way a line list takes a
// whole text; a final line break adds no empty line.
TrpLines SplitTextLines(std::string_view text);
// The lines joined, each followed by CR LF.
std::string JoinTextLines(const TrpLines& lines);

// Font styles: the stored code has italic 1, bold 2, underline 4 and
// strike-out 8; other bits are ignored.
struct TrpFontStyles {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    friend bool operator==(const TrpFontStyles&, const TrpFontStyles&) = default;
};
TrpFontStyles FontStyleFromBits(int code);
int FontStyleToBits(const TrpFontStyles& styles);

// The text between a leading and a trailing double quote, when it is longer
// than two characters; otherwise the text unchanged.
std::string StripDoubleQuotes(std::string_view text);
// From the 1-based position, the characters up to the next ";" or the end;
// the position moves past that ";".
std::string NextSemicolonItem(std::string_view text, std::size_t& position);
// Clears the list and adds the ";"-separated items: "a;;b" gives three
// items, ";a" an empty first one, "a;b;" two, "" none.
void SplitToList(std::string_view text, TrpLines& list);

// Each byte as two upper-case hex digits, high half first.
std::string BytesToHex(std::string_view bytes);
// Two characters per byte, an odd last character ignored; a character is
// upper-cased and taken as its value minus 55 above "9", else minus 48.
std::string HexToBytes(std::string_view hex);

// Field references: a field name alone, or up to three component names and
// a field name joined by ".".  From the first double quote on everything is
// the field name, so a quoted field name may hold points.
struct TrpFieldReferenceParts {
    std::vector<std::string> parts;  // each cut to 255 characters
    int points = 0;                  // points seen before the scan stopped
};
TrpFieldReferenceParts ParseFieldReference(std::string_view reference);

class TDataSet;  // a data set of the data-access layer

// What SplitFieldReference needs of the data-access and component layers.
class TrpFieldLookup {
public:
    virtual ~TrpFieldLookup() = default;
    // The data set named by a path: one name is a component of the report's
    // owner; two or three names start with an open form or data module.
    // Null when a step is missing or the component found is no data set.
    virtual TDataSet* FindDataSet(const std::vector<std::string>& path) = 0;
    // Whether an open form or data module has that name (letter case
    // ignored).
    virtual bool HasForm(const std::string& name) = 0;
    // The name when the data set has a field of that name (letter case
    // ignored), else the empty text.
    virtual std::string FieldNameIfPresent(TDataSet* dataSet, const std::string& name) = 0;
};

// Resolves a field reference into its data set and field name.  The field
// name is emptied first; with no point, the data set passed in is searched;
// with two points and no form of the first name the data set passed in
// stays and is searched; with more than three points nothing changes.
void SplitFieldReference(std::string_view reference, TDataSet*& dataSet, std::string& fieldName,
                         TrpFieldLookup& lookup);

} // namespace report
