#pragma once
// The report component: a template (pages, dictionary, report
// information), the properties and events through which an application
// drives a run, and what a run asks of its report: the value of a name,
// the text of a bracketed expression, the functions and commands, and the
// calculation error that ends a run.
//
// A report is a component: its objectName is its name, and its parent is
// the owner whose components name data sets.

#include "RP_DSet.h"
#include "RpDictionary.h"
#include "RpEMFPages.h"
#include "RpExportFilter.h"
#include "RpFieldReferences.h"
#include "RpRunState.h"
#include "RpTemplateStream.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class QPainter;
class QPrinter;

namespace report {

class TrpBand;
class TrpPreview;
class TrpPrintForm;

enum TrpPreviewZoom : std::uint8_t { pzDefault, pzPageWidth, pzOnePage, pzTwoPages };
enum TrpReportType : std::uint8_t { rtSimple, rtMultiple };

// The preview's toolbar buttons, a set of bits.
namespace PreviewButton {
constexpr std::uint8_t pbZoom = 0x01;
constexpr std::uint8_t pbLoad = 0x02;
constexpr std::uint8_t pbSave = 0x04;
constexpr std::uint8_t pbPrint = 0x08;
constexpr std::uint8_t pbFind = 0x10;
constexpr std::uint8_t pbHelp = 0x20;
constexpr std::uint8_t pbExit = 0x40;
constexpr std::uint8_t pbPageSetup = 0x80;
} // namespace PreviewButton

class TrpReport : public QObject,
                  public TrpReportTemplate,
                  public TrpViewHost,
                  public TrpDictionaryHost,
                  public TrpBandEngineHooks {
public:
    using TDetailEvent = std::function<void(const std::string& parName, Variant& parValue)>;

    explicit TrpReport(QObject* owner = nullptr);
    ~TrpReport() override;

    std::string Name() const { return objectName().toStdString(); }

    // ---- properties ----
    QPointer<TrpDataset> Dataset;
    std::int32_t DefaultCopies = 1;
    bool DefaultCollate = true;
    bool GrayedButtons = false;
    TrpPreviewZoom InitialZoom = pzDefault;
    bool MDIPreview = false;
    bool ModalPreview = true;
    bool ModifyPrepared = true;
    // An embedded preview panel to show the report in, instead of a
    // preview window (not owned).
    QPointer<TrpPreview> Preview;
    std::uint8_t PreviewButtons = 0x7F;
    bool PrintIfEmpty = true;
    TrpReportType ReportType = rtSimple;
    bool ShowPrintDialog = true;
    bool ShowProgress = true;
    bool StoreInDFM = false;
    std::string Title;
    bool RebuildPrinter = false;
    bool UseDefaultDataSetName = false;
    // The separators, names and date order of the report's values.
    FormatSettings Settings;

    // ---- events ----
    std::function<void()> OnBeginDoc;
    std::function<void()> OnEndDoc;
    std::function<void(int pageNo)> OnBeginPage;
    std::function<void(int pageNo)> OnEndPage;
    std::function<void(TrpBand& band)> OnBeginBand;
    std::function<void(TrpBand& band)> OnEndBand;
    // Asked first for every name; a value that is not Empty is final.
    TDetailEvent OnGetValue;
    std::function<void(TrpLines& memo, TrpView& view)> OnBeforePrint;
    // Functions that no library and no command knows.
    TFunctionEvent OnUserFunction;
    std::function<void(int n)> OnProgress;
    std::function<void(TrpBand& band)> OnBeginColumn;
    std::function<void(int colNo, int& width)> OnPrintColumn;
    std::function<void(TrpPage& page)> OnManualBuild;
    std::function<void(TrpView& view)> OnObjectClick;
    std::function<void(TrpView& view, Qt::CursorShape& cursor)> OnMouseOverObject;
    std::function<void()> OnPrintReport;

    // ---- run state ----
    bool SavedDoublePass = false;
    // True while the pass that produces the pages to keep runs.
    bool FinalPass = false;
    // Ends every loop of a run: Cancel, STOPREPORT and calculation errors.
    std::atomic<bool> Terminated{false};
    // Pages are being built.
    bool Running = false;

    // Makes this report the one whose values the engine reads, and points
    // the engine's evaluator and interpreter at it, with the report's
    // Settings.  Evaluations through the report do so when another report
    // is current; after a change of Settings call it again.
    void MakeCurrent();

    // ---- values ----
    // The value of a name, in this order: OnGetValue; the dictionary; the
    // special names; the script variables; the engine values; the name
    // evaluated as an expression.  A name nothing answers raises
    // "Undefined symbol" with the name quoted (Empty while measuring).
    void ResolveVariable(const std::string& name, Variant& value);
    // CURY, FREESPACE, FINALPASS, PAGEHEIGHT, PAGEWIDTH, a property as
    // object.property (an object, a template page as PAGEn, or the current
    // object's own Memo.Count), a script constant; otherwise Empty.
    void EngineValue(const std::string& name, Variant& value);
    // One bracketed expression of a text object with its optional inline
    // format (" #..."), formatted by the current object's display format
    // unless the inline one overrides it.
    void EvaluateBracket(const std::string& text, std::string& result);
    void FormatValue(const Variant& value, std::int32_t code, const std::string& customFormat, std::string& result);

    // ---- functions and commands ----
    // Every installed library in turn, then the commands, then
    // OnUserFunction.  val starts as the text "0".
    void ResolveFunction(const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3,
                         Variant& val);
    void RunCommand(const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3, Variant& val);

    // Builds the run's error message from the current object and the
    // error, sets the error flag and ends the run.
    void CalculationError(std::exception_ptr error) override;

    // The first object of that name on any template page, letter case
    // ignored; null when there is none.
    TrpView* FindView(const std::string& name) const;

    // Finds data sets among the owner's components.
    TrpFieldLookup& FieldLookup() override;

    // ---- prepared pages ----
    // The result of the last preparation, or of a prepared-report file.  A
    // preview takes the pages while it shows them, leaving the report a
    // new set (NewPreparedPages), and hands them back around every print,
    // save and rebuild.
    std::unique_ptr<TrpEMFPages> EMFPages;
    // An empty set of prepared pages that belongs to this report.
    std::unique_ptr<TrpEMFPages> NewPreparedPages();
    // The report information reset, then the file read into the prepared
    // pages; the run is over afterwards.
    TrpPreparedResult LoadPreparedFile(const QString& fileName);
    // Raises EWriteError when the file cannot be written.
    void SavePreparedFile(const QString& fileName);

    // ---- the preview (RpReportPreview.cpp) ----
    // Prepares the report, then shows whatever pages the run left: a run
    // cancelled in its last pass shows the pages built so far; a failed run,
    // a cancelled first pass or dialog page leave none, and nothing shows.
    // Prepare's result.
    bool PreviewReport();
    // Shows the prepared pages in the embedded Preview, or in a preview
    // window of its own: an MDI child of the owner's MDI area with
    // MDIPreview, else a window of the owner, modal with ModalPreview.
    // Nothing without pages.
    void OpenPreview();

    // ---- what report objects ask ----
    bool IsRunning() const override;
    bool IsFirstPass() const override;
    Variant Evaluate(const std::string& expression) override;
    Variant EvalPostfix(const std::string& postfix) override;
    std::string ExpressionText(const std::string& expression, TrpView& view) override;
    bool BeforePrint(TrpLines& lines, TrpView& view) override;
    std::string EngineText(int id) const override;

    // ---- the run (RpReportRun.cpp) ----
    // Runs the template against the data into the prepared pages, in one
    // pass or two (DoublePassReport: the first counts the pages for
    // TOTALPAGES).  Scripts' changes to the template are undone afterwards.
    // An error of the run is shown once and leaves no pages.  True when the
    // run went to its end (also with no pages).
    bool Prepare();
    // Fills the prepared pages from the template: dialog pages first, then
    // every report page.
    virtual void BuildPages();
    // The printer model of the report's pages: their own, else the engine's.
    TrpPrinter& PrinterModel() const;
    // Selects the template's printer in the printer model, unless the
    // default printer is kept.
    void SelectTemplatePrinter();

    // ---- printing (RpReportPrint.cpp) and export (RpReportExport.cpp) ----
    // The print dialog, then the prepared pages printed with its choices;
    // nothing without a system printer.  False when nothing was printed
    // (no printer, the dialog cancelled).  A failure of the printer is
    // raised.
    bool PrintWithDialog();
    // Prints the prepared pages: the pages of the range text ("1,3-5",
    // "7-"; empty for all), so many copies, collated or not, all (0), odd
    // (1) or even (2) pages by their number in the whole report.  A range
    // text that does not read raises EConvertError before any job begins;
    // a printer that fails raises its error, the job aborted.
    void PrintPrepared(const std::string& pageRange, int copies, bool collate, int printMode);
    void PrintPages(const std::string& pageRange, int copies, bool collate, int printMode);
    // Selects printer newIndex of the printer model and lays the template
    // pages out on it; a printer that does not take them is refused with a
    // message and printer oldIndex comes back.  False then.
    bool SelectPrinter(int oldIndex, int newIndex);
    // Exports the prepared pages through the filter into the file; the file
    // is replaced only when the export ends whole.  A file that cannot be
    // written raises EWriteError.
    void ExportWithFilter(TrpExportFilter& filter, const std::string& fileName);

    // Print jobs go to this device; null: the printer model's system
    // printer.  (Tests and benchmarks print PDF files through it.)
    QPrinter* PrintDevice = nullptr;
    // Shows the print dialog modally; true for OK.  exec() unless replaced.
    std::function<bool(TrpPrintForm& dialog)> OnPrintDialog;
    // The filter of the export that runs; null otherwise.
    TrpExportFilter* ExportFilter = nullptr;
    // The choices of the last print, kept between PrintPrepared and the
    // step that prints.
    struct TrpPrintParams {
        std::string PageRange;
        int Copies = 1;
        bool Collate = true;
        int Mode = 0;
    } PrintParams;
    void ExportObject(TrpView& view) override;
    void ExportText(const QRect& clip, int x, int y, const std::string& text, std::uint16_t frameLines,
                    TrpView& view) override;

    // A composite report keeps its members' templates around a run.
    virtual void BeginDocument() {}
    virtual void EndDocument() {}
    // Opens Dataset at its first record, goes to its next record (false at
    // its end), or closes it; an error is the run's (false).
    enum class DatasetStep : std::uint8_t { Open, Next, Close };
    bool StepDataset(DatasetStep step);

    // ---- scripts (RpReportScripts.cpp) ----
    // Compiles a script once for the run; a script that does not compile
    // is the run's calculation error.
    void CompileScript(const TrpLines& lines, TrpView* owner);
    // Runs a script with the given current object; its errors are the
    // run's calculation error.
    void RunScriptLines(const TrpLines& lines, TrpView* current);
    // Forgets the compiled scripts (their objects are about to go).
    void ClearScripts();
    void RunScript(TrpView& view) override;
    void RunPageScript(TrpPage& page) override;

    // ---- what the band engine asks ----
    bool GetPrintingBand(TrpPrintingBand& band) const override;
    const TrpMeasurerFactory& Measurers() const override;
    void ShowBandByName(const std::string& name) override;
    // OnPrintColumn: a cross column is printed (it may change its width).
    void PrintColumn(int colNo, int& width);
    // The run's progress: the number of the page being built.
    void ReportProgress(int n);
    // The measurers of the report's text objects; Qt's fonts when null
    // (tests measure with fixed-width characters).
    const TrpMeasurerFactory* MeasurerFactory = nullptr;

    // ---- what the dictionary asks ----
    Variant EvaluateExpression(const std::string& expression) override { return Evaluate(expression); }
    const TrpVariables* ScriptVariables() const override;
    TDataSet* CurrentBandDataSet() override;

private:
    void EnsureCurrent();
    bool SpecialValue(const std::string& name, Variant& value);
    void SetArray(const Variant& p1, const Variant& p2, const Variant& p3);
    Variant GetArray(const Variant& p1, const Variant& p2);

    class PreparedOwner;
    // While the embedded Preview shows this report and holds its prepared
    // pages (the report has none), it gives them back for as long as the
    // scope lasts and is connected to the report again afterwards.
    class PagesFromPreview {
    public:
        explicit PagesFromPreview(TrpReport& report);
        ~PagesFromPreview();
        PagesFromPreview(const PagesFromPreview&) = delete;
        PagesFromPreview& operator=(const PagesFromPreview&) = delete;

    private:
        TrpReport& report_;
        QPointer<TrpPreview> preview_;
    };

    // The engine texts of the progress window's phases.
    static constexpr int kFromText = 55199;
    static constexpr int kPreparingReportText = 55203;
    static constexpr int kFirstPassText = 55204;
    static constexpr int kProcessingPageText = 55205;
    static constexpr int kPrintingPageText = 55208;
    // Runs a long step inside the engine's progress window, captioned
    // "Preparing report", its label the phase's text and the page number;
    // directly when the report shows no progress window (OnProgress
    // assigned, ShowProgress off).  False when the window ended with Cancel.
    bool RunWithProgress(int phaseText, bool numbered, const std::function<void()>& step);
    // Long work shows the engine's progress window: no OnProgress, and
    // ShowProgress on, in a program with windows.
    bool ShowsProgress() const;

    bool RunPasses();
    void PassStep();
    void PrintOnePage(QPrinter& device, QPainter& painter, std::size_t index, bool& first);

    TrpComponentFieldLookup lookup_{nullptr};
    std::unique_ptr<PreparedOwner> preparedOwner_;

    struct CompiledScript {
        TrpLines Source;
        std::vector<std::string> Coded;
    };
    const CompiledScript* Compiled(const TrpLines& lines);
    std::unordered_map<const TrpLines*, CompiledScript> scripts_;
};

// A report that runs other reports one after another into its own prepared
// pages, for each record of its Dataset (or once); page numbers run on
// across the members, and a member whose first page prints to the
// previous page continues on the last page of the one before it (when the
// paper is the same).
class TrpCompositeReport : public TrpReport {
public:
    using TrpReport::TrpReport;

    // The members, in order (not owned).
    std::vector<QPointer<TrpReport>> Reports;

    void BuildPages() override;

protected:
    void BeginDocument() override;
    void EndDocument() override;

private:
    std::vector<std::unique_ptr<TrpStream>> saved_;
};

} // namespace report
