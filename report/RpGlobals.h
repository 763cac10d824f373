#pragma once
// The engine's process-wide objects and tables, created once on first use
// (EngineGlobals): the engine texts that formatting and band names use, the
// function libraries, the evaluator and the script interpreter of report
// runs, the script variables and constants, and the seam through which
// reports ask the user questions.

#include "DisplayFormat.h"
#include "Interpretator.h"
#include "RP_Pars.h"
#include "RpBandView.h"
#include "RpFunctions.h"
#include "RpQuestions.h"

#include <QImage>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace report {

class TrpView;

// The prepared-report compressor: packing is switched off, so it passes
// bytes through unchanged.
struct TrpCompressor {
    bool Enabled() const { return false; }
    std::string Pack(const std::string& bytes) const { return bytes; }
    std::string Unpack(const std::string& bytes) const { return bytes; }
};

class TrpGlobals {
public:
    TrpGlobals();
    ~TrpGlobals();
    TrpGlobals(const TrpGlobals&) = delete;
    TrpGlobals& operator=(const TrpGlobals&) = delete;

    // From the engine texts, read once: the engine number (55337), the band
    // type names (55077-55099) and the texts of the display formats.
    int EngineNumber = 0;
    std::array<std::string, kBandTypeCount> BandNames;
    TrpFormatTexts FormatTexts;

    std::vector<std::string> SharedList;
    // A checkerboard of the first two colours of the colour table, and the
    // canvas of the measuring pass.
    QImage Checkerboard;
    QImage MeasureCanvas;

    TrpInstalledFunctions InstalledFunctions;
    TrpFunctionLibraries Libraries{InstalledFunctions};

    // The evaluator of report runs and the interpreter of report scripts,
    // and the report they are bound to (TrpReport::MakeCurrent).
    TrpParser Parser;
    TInterpretator Interpreter;
    const void* BoundReport = nullptr;

    // Both keep their names sorted.
    TrpVariables ScriptVariables;
    TrpVariables ScriptConstants;

    TrpCompressor Compressor;
    // Objects that want to hear of each page's end.
    std::vector<TrpView*> EndPageNotify;

    // INPUT and MESSAGEBOX ask here; the program's dialogs unless replaced.
    TrpQuestions* Questions = nullptr;
    // Shows a script's PROGRESS text in the progress window's second line;
    // nothing while no progress window listens.
    std::function<void(const std::string&)> ShowProgressText;

private:
    void LoadEngineTexts();
    void AddScriptConstants();

    TrpDialogQuestions dialogQuestions_;
};

TrpGlobals& EngineGlobals();

// The sixteen colours of the engine's colour table (0x00BBGGRR), white and
// black first.
extern const std::array<std::uint32_t, 16> kEngineColors;

} // namespace report
