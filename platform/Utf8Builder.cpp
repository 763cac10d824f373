#include "Utf8Builder.h"

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// The length of the valid sequence at the start of `text`, or 0.
std::size_t validSequenceLength(std::string_view text)
{
    const auto b0 = static_cast<unsigned char>(text[0]);
    if (b0 < 0x80)
        return 1;
    std::size_t length = 0;
    char32_t minimum = 0;
    char32_t value = 0;
    if ((b0 & 0xE0) == 0xC0) {
        length = 2;
        minimum = 0x80;
        value = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3;
        minimum = 0x800;
        value = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4;
        minimum = 0x10000;
        value = b0 & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (!isContinuation(b))
            return 0;
        value = (value << 6) | (b & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

void AppendCodePoint(std::string& out, char32_t cp)
{
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        cp = kReplacement;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendValidUtf8(std::string& out, std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t length = validSequenceLength(text.substr(i));
        if (length == 0) {
            AppendCodePoint(out, kReplacement);
            ++i;
            // The rest of a broken sequence goes with it.
            while (i < text.size() && isContinuation(static_cast<unsigned char>(text[i])))
                ++i;
            continue;
        }
        out.append(text.substr(i, length));
        i += length;
    }
}

void AppendUtf16AsUtf8(std::string& out, std::u16string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            const char32_t cp = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
            AppendCodePoint(out, cp);
            ++i;
        } else {
            AppendCodePoint(out, unit); // an unpaired surrogate becomes U+FFFD
        }
    }
}

std::size_t CodePointCount(std::string_view text)
{
    std::size_t count = 0;
    for (char c : text)
        if (!isContinuation(static_cast<unsigned char>(c)))
            ++count;
    return count;
}

std::size_t CodePointPrefixBytes(std::string_view text, std::size_t count)
{
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!isContinuation(static_cast<unsigned char>(text[i]))) {
            if (seen == count)
                return i;
            ++seen;
        }
    }
    return text.size();
}

} // namespace platform
