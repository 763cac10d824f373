// Random expressions, postfix texts, scripts and coded lines through the
// report engine's conversion, compilation and evaluation.  The first byte
// chooses the road ('0' to '4'); the rest is the text.  Scripts run with a
// step budget, and the hooks keep the values they store small, so every
// input ends quickly.  Only the engine's own exceptions are expected.
#include "report/Exceptions.h"
#include "report/RP_Intrp.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace report;

constexpr std::size_t kMaxText = 256;
constexpr int kMaxCalls = 2000;

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (;;) {
        const std::size_t p = text.find('\n', start);
        lines.push_back(text.substr(start, p == std::string::npos ? std::string::npos : p - start));
        if (p == std::string::npos)
            return lines;
        start = p + 1;
    }
}

class FuzzScript : public TrpInterpretator {
public:
    TrpVariables vars;
    int steps = 500;
    int calls = 0;

    void ReadVariable(const std::string& name, Variant& value) override
    {
        const int i = vars.IndexOf(name);
        if (i >= 0)
            value = vars.GetValue(i);
        else if (name.size() % 3 == 1)
            value = Variant(static_cast<std::int32_t>(name.size()));
        else if (name.size() % 3 == 2)
            value = Variant(name);
    }

    void WriteVariable(const std::string& name, const Variant& value) override
    {
        Variant v = value;
        if (v.isText() && v.textValue().size() > kMaxText)
            v = Variant(v.textValue().substr(0, kMaxText));
        if (vars.GetCount() < 256 || vars.IndexOf(name) >= 0)
            vars.SetVariable(name, v);
    }

    void CallFunction(const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3,
                      Variant& val) override
    {
        if (++calls > kMaxCalls)
            throw Exception("call budget spent");
        if (name == "EVAL")
            val = Parser().Evaluate(p1.textValue());
        else if (name == "GETARRAY")
            val = vars.GetVariable("Arr_" + p1.textValue() + "_" + Parser().Evaluate(p2.textValue()).toText());
        else if (name == "SETARRAY")
            WriteVariable("Arr_" + p1.textValue() + "_" + Parser().Evaluate(p2.textValue()).toText(),
                          Parser().Evaluate(p3.textValue()));
        else if (name == "LEN")
            val = Variant(static_cast<std::int32_t>(p1.textValue().size()));
    }

protected:
    bool StopRequested() override { return --steps < 0; }
};

void FuzzOne(char road, const std::string& text)
{
    FuzzScript script;
    if (text.size() % 2 == 1)
        script.Parser().Settings.decimalSeparator = ',';
    TrpParser& parser = script.Parser();
    switch (road) {
    case 0: {
        const std::string postfix = parser.ToPostfix(text);
        parser.EvalPostfix(postfix);
        parser.EvalPostfix(postfix);
        break;
    }
    case 1:
        parser.EvalPostfix(text);
        break;
    case 2: {
        std::vector<std::string> coded, errors;
        script.Compile(SplitLines(text), coded, errors);
        if (errors.empty()) {
            std::vector<std::string> found;
            script.CollectAggregates(coded, {"SUM", "COUNT"}, &script.vars, found);
            script.Run(coded);
        }
        break;
    }
    case 3: {
        const std::vector<std::string> coded = SplitLines(text);
        std::vector<std::string> found;
        script.CollectAggregates(coded, {"SUM", "COUNT"}, &script.vars, found);
        script.Run(coded);
        break;
    }
    default: {
        TrpVariables vars;
        vars.SetVariable("v", Variant(text.substr(0, text.size() / 2)));
        vars.SetVariable("w", Variant("v + SUM(w) + [v]"));
        std::vector<std::string> found;
        TrpFunctionSplitter({"SUM", "count"}, found, &vars).Split(text);
        for (std::size_t start = 0, end = 0; start < text.size(); start = end + 1)
            ExtractBracketed(text, start, end);
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0 || size > 8192)
        return 0;
    const char road = static_cast<char>(static_cast<std::uint8_t>(data[0] - '0') % 5);
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    try {
        FuzzOne(road, text);
    } catch (const report::Exception&) {
        // Refused input: the engine's errors are the expected outcome.
    }
    return 0;
}
