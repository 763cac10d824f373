#include "RpMemoLayout.h"

#include "RpText.h"

#include <algorithm>

namespace report {

namespace {

bool IsVowel(char32_t c)
{
    switch (c) {
    case U'\u0401':  // Ё
    case U'\u0410':  // А
    case U'\u0415':  // Е
    case U'\u0418':  // И
    case U'\u041E':  // О
    case U'\u0423':  // У
    case U'\u042B':  // Ы
    case U'\u042D':  // Э
    case U'\u042E':  // Ю
    case U'\u042F':  // Я
        return true;
    default:
        return false;
    }
}

bool IsSign(char32_t c)
{
    return c == U'\u042A' || c == U'\u042C';  // Ъ Ь
}

bool IsDelimiter(char32_t c)
{
    return c == U' ' || c == U',' || c == U'-' || c == U'.';
}

std::string WithMarker(std::string_view text)
{
    std::string line(text);
    line += kLineEndMarker;
    return line;
}

} // namespace

std::vector<std::size_t> HyphenationPoints(std::u32string_view word)
{
    std::vector<std::size_t> points;
    const std::size_t length = word.size();
    if (length <= 3)
        return points;
    // A point i breaks after the i-th character (1-based), 2 <= i <= length - 2.
    for (std::size_t i = 2; i + 2 <= length; ++i) {
        const char32_t c = word[i - 1];
        const char32_t next = word[i];
        const char32_t afterNext = word[i + 1];
        bool point;
        if (IsVowel(c))
            point = IsVowel(next) || IsVowel(afterNext);
        else if (IsSign(c))
            point = !IsDelimiter(afterNext);
        else
            point = !IsVowel(next) && !IsSign(next) && IsVowel(afterNext);
        if (point)
            points.push_back(i);
    }
    return points;
}

TrpLines WrapLine(std::string_view line, int availableWidth, bool wordBreak, const TrpTextMeasurer& measurer,
                  std::uint16_t charset)
{
    TrpLines out;
    const TrpTextCodec codec(line, charset);
    const bool hasBreaks = line.find_first_of("\r\n") != std::string_view::npos;
    if (!hasBreaks && (codec.CharCount(line) <= 1 || measurer.TextWidth(line) <= availableWidth)) {
        out.push_back(WithMarker(line));
        return out;
    }
    const std::size_t n = line.size();
    std::size_t lineStart = 0;
    std::size_t candidate = 0;  // the last space seen, or the line start
    bool candidateIsSpace = false;
    std::size_t i = 0;
    while (i < n) {
        const char c = line[i];
        if (c == '\r' || c == '\n') {
            out.push_back(WithMarker(line.substr(lineStart, i - lineStart)));
            while (i < n && (line[i] == '\r' || line[i] == '\n'))
                ++i;
            if (i == n)
                return out;
            lineStart = candidate = i;
            candidateIsSpace = false;
            continue;
        }
        const std::size_t length = codec.CharLength(line, i);
        if (c == ' ') {
            candidate = i;
            candidateIsSpace = true;
            i += length;
            continue;
        }
        if (measurer.TextWidth(line.substr(lineStart, i + length - lineStart)) <= availableWidth) {
            i += length;
            continue;
        }
        if (wordBreak) {
            const std::size_t wordStart = candidateIsSpace ? candidate + 1 : candidate;
            std::size_t wordEnd = line.find_first_of(" ,-.", wordStart);
            if (wordEnd == std::string_view::npos)
                wordEnd = n;
            // Points after the current character cannot fit; the two
            // characters after it are all that the points before it look at.
            std::size_t lookahead = i + length;
            for (int k = 0; k < 2 && lookahead < wordEnd; ++k)
                lookahead += codec.CharLength(line, lookahead);
            wordEnd = std::min(wordEnd, lookahead);
            const std::string_view word = line.substr(wordStart, wordEnd - wordStart);
            std::u32string upper = codec.Decode(word);
            for (char32_t& ch : upper)
                ch = UpperChar(ch);
            std::size_t best = std::string_view::npos;
            std::size_t offset = wordStart;
            std::size_t chars = 0;
            for (const std::size_t point : HyphenationPoints(upper)) {
                while (chars < point) {
                    offset += codec.CharLength(line, offset);
                    ++chars;
                }
                if (offset <= lineStart)
                    continue;
                std::string candidateLine(line.substr(lineStart, offset - lineStart));
                candidateLine += '-';
                if (measurer.TextWidth(candidateLine) <= availableWidth)
                    best = offset;
            }
            if (best != std::string_view::npos) {
                std::string hyphenated(line.substr(lineStart, best - lineStart));
                hyphenated += '-';
                out.push_back(std::move(hyphenated));
                lineStart = candidate = best;
                candidateIsSpace = false;
                continue;
            }
        }
        if (candidateIsSpace) {
            out.emplace_back(line.substr(lineStart, candidate - lineStart));
            lineStart = candidate = candidate + 1;
            candidateIsSpace = false;
            continue;
        }
        if (i == lineStart) {
            // Wider than the whole line on its own: it takes a line.
            if (i + length >= n)
                break;
            out.emplace_back(line.substr(i, length));
            i += length;
        } else {
            out.emplace_back(line.substr(lineStart, i - lineStart));
        }
        lineStart = candidate = i;
        candidateIsSpace = false;
    }
    out.push_back(WithMarker(line.substr(lineStart)));
    return out;
}

TrpLines LayoutLines(const TrpLines& expanded, const TrpLayoutParams& params, const TrpTextMeasurer& measurer)
{
    if (!params.InRun && expanded.size() == 1 && !expanded.front().empty() && expanded.front()[0] == '[' &&
        measurer.TextWidth(expanded.front()) > params.AvailableWidth)
        return expanded;
    TrpLines laidOut;
    for (const auto& line : expanded) {
        if (params.LaidOut) {
            laidOut.push_back(line);
        } else if (params.WordWrap) {
            TrpLines wrapped = WrapLine(line, params.AvailableWidth, params.WordBreak, measurer, params.Charset);
            laidOut.insert(laidOut.end(), std::make_move_iterator(wrapped.begin()),
                           std::make_move_iterator(wrapped.end()));
        } else {
            laidOut.push_back(WithMarker(line));
        }
    }
    return laidOut;
}

} // namespace report
