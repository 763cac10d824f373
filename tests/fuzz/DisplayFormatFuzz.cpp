// Display formats come with templates: custom number, date and Boolean
// formats, inline formats of bracketed expressions and the edit masks of
// FORMATTEXT.  The first byte chooses the road ('0' number mask, '1' date
// mask, '2' edit mask, '3' inline format and display); the rest is the
// text.  Only the engine's own exceptions are expected.
#include "report/DateTimeFormat.h"
#include "report/DisplayFormat.h"
#include "report/EditMask.h"
#include "report/Exceptions.h"
#include "report/NumberFormat.h"

#include <cstdint>
#include <string>

namespace {

using namespace report;

constexpr std::size_t kMaxText = 512;
constexpr double kNumbers[] = {0, -0.001, 1234.5, -98765.4321, 1e17, 1e-12, 2.675};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1 || size > kMaxText + 1)
        return 0;
    const char road = static_cast<char>(data[0]);
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const FormatSettings settings;
    try {
        switch (road) {
        case '0':
            for (const double number : kNumbers)
                FormatFloat(text, number, ',', '.');
            break;
        case '1':
            FormatDateTime(text, 36114.6134, settings);
            FormatDateTime(text, -700.25, settings);
            break;
        case '2':
            FormatMaskText(text, "abcdefghij0123456789", settings);
            FormatMaskText(text + ";0; ", "12", settings);
            break;
        case '3': {
            std::string expression, custom;
            std::int32_t code = 0;
            ParseInlineFormat(text, expression, code, custom);
            const TrpFormatTexts texts;
            for (const Variant& value : {Variant(1234.5), Variant::dateTime(36114.5), Variant(true), Variant(text)})
                FormatDisplayValue(value, code, custom, settings, texts);
            break;
        }
        default:
            break;
        }
    } catch (const Exception&) {
        // Refused: fine.
    }
    return 0;
}
