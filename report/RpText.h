#pragma once
// How the engine reads the bytes of its texts.
//
// Texts are kept as the bytes the template holds, so a template reads and
// writes back unchanged.  The program's own code page is UTF-8: a text that
// is valid UTF-8 is taken as such.  A text that is not (written by a program
// on a single-byte code page) is read one byte per character through the
// code page of its font's character set: Cyrillic (204) is Windows-1251,
// every other set Windows-1252.

#include <cstdint>
#include <string>
#include <string_view>

namespace report {

constexpr std::uint16_t kDefaultCharset = 1;
constexpr std::uint16_t kRussianCharset = 204;

bool IsValidUtf8(std::string_view text);

// How one text steps through its characters and what they are.
class TrpTextCodec {
public:
    TrpTextCodec(std::string_view text, std::uint16_t charset)
        : utf8_(IsValidUtf8(text)), cyrillic_(charset == kRussianCharset)
    {
    }

    bool IsUtf8() const { return utf8_; }
    // Bytes of the character that starts at pos (at least 1).
    std::size_t CharLength(std::string_view text, std::size_t pos) const;
    // The character that starts at pos.
    char32_t CharAt(std::string_view text, std::size_t pos) const;
    std::u32string Decode(std::string_view text) const;
    std::size_t CharCount(std::string_view text) const;

private:
    bool utf8_;
    bool cyrillic_;
};

// Texts counted in characters, as the text functions count them: the code
// points of a valid UTF-8 text, the bytes of any other.
std::size_t TextLength(std::string_view text);
// At most count characters from the 1-based character from (a from below 1
// is the first); empty when count is not positive or from lies past the end.
std::string TextCopy(std::string_view text, std::int64_t from, std::int64_t count);
// The 1-based character position of the first sub in text, 0 when sub is
// empty or absent.  In a UTF-8 text only a match of whole characters counts.
std::int64_t TextPos(std::string_view sub, std::string_view text);

// One byte of Windows-1252 or Windows-1251 as a Unicode character.
char32_t Cp1252ToUnicode(unsigned char byte);
char32_t Cp1251ToUnicode(unsigned char byte);

// Upper case of Latin, Latin-1 and Cyrillic letters; others unchanged.
char32_t UpperChar(char32_t c);

} // namespace report
