#pragma once
// The report objects: the script-visible base TrpObject and the template
// objects derived from TrpView (text, picture, band, line, sub-report and
// dialog controls).  Geometry is in report pixels.  Painting goes to a
// QPainter; nothing here needs a window.

#include "Exceptions.h"
#include "RP_Utils.h"
#include "RpMeasure.h"
#include "Variant.h"

#include <QRect>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QPainter;
class QColor;
class QWidget;

namespace report {

class TrpBandView;
class TrpNonVisualControl;
class TrpPage;
class TrpPages;
class TrpView;

// An add-in class asked for by a template is not registered.
class EClassNotFound : public Exception {
public:
    using Exception::Exception;
};

// Object type codes of templates and prepared pages.
namespace ObjectType {
constexpr std::uint8_t Text = 0;
constexpr std::uint8_t Picture = 1;
constexpr std::uint8_t Band = 2;
constexpr std::uint8_t SubReport = 3;
constexpr std::uint8_t Line = 4;
constexpr std::uint8_t AddIn = 10;
} // namespace ObjectType

// Frame line bits of FrameTyp.
namespace FrameLine {
constexpr std::uint16_t Right = 1;
constexpr std::uint16_t Bottom = 2;
constexpr std::uint16_t Left = 4;
constexpr std::uint16_t Top = 8;
} // namespace FrameLine

namespace FrameStyle {
constexpr std::uint16_t Solid = 0;
constexpr std::uint16_t Dash = 1;
constexpr std::uint16_t Dot = 2;
constexpr std::uint16_t DashDot = 3;
constexpr std::uint16_t DashDotDot = 4;
constexpr std::uint16_t Double = 5;
} // namespace FrameStyle

enum class TrpBandAlign : std::uint8_t { None, Left, Right, Center, Width, Bottom, Top, Rest };

constexpr std::uint32_t kNoFill = 0x1FFFFFFF;
constexpr std::uint32_t kBtnFaceColor = 0x8000000F;

// A colour value (0x00BBGGRR, or 0x80000000 + a system colour index) as Qt
// draws it.
QColor ColorFromValue(std::uint32_t value);

// The band that the band engine is printing, as band alignment sees it.
struct TrpPrintingBand {
    int Type = -1;  // band type code
    std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
};

// What report objects need of the engine that owns them.  Every operation
// has a plain answer for objects outside a report run, so objects work
// without an engine (a template being read, written or painted).
class TrpViewHost {
public:
    virtual ~TrpViewHost() = default;
    // The engine's run-time mode: pages are being built.
    virtual bool IsRunning() const { return false; }
    // The first pass of a two-pass run.
    virtual bool IsFirstPass() const { return false; }
    // The band being printed, in page coordinates; false when none is.
    virtual bool GetPrintingBand(TrpPrintingBand& band) const;
    // The value of an expression; raises what the evaluator raises.
    virtual Variant Evaluate(const std::string& expression);
    // The value of a postfix-coded expression.
    virtual Variant EvalPostfix(const std::string& postfix);
    // The text that replaces one [expression] in a view's text, in the
    // view's display format.
    virtual std::string ExpressionText(const std::string& expression, TrpView& view);
    // The report's before-print handler; false when none is assigned.
    virtual bool BeforePrint(TrpLines& lines, TrpView& view);
    // Runs the view's script.
    virtual void RunScript(TrpView& view);
    // Measurers of text objects; real fonts unless replaced.
    virtual const TrpMeasurerFactory& Measurers() const;
    // Loads a file's bytes for a picture's LOADFROMFILE; false when there is
    // no such file.
    virtual bool LoadFile(const std::string& path, std::string& bytes);
    // The engine's numbered texts.
    virtual std::string EngineText(int id) const;
    // Runs a template page's script with no current object.
    virtual void RunPageScript(TrpPage& page);
    // The report's hook for the non-visual controls of a dialog page; none
    // unless replaced.
    virtual void NonVisualControl(TrpNonVisualControl& control);
    // Shows or hides the run's progress window; gives whether it was shown.
    virtual bool SetProgressVisible(bool visible);
    // An error that a run collects as its calculation error; outside a run
    // it is raised again.
    virtual void CalculationError(std::exception_ptr error);
    // While the report exports: an object of a prepared page at its place,
    // and each line of a text object (the clip rectangle, where the line
    // starts, its text and the frame lines it keeps).  Nothing outside an
    // export.
    virtual void ExportObject(TrpView& view);
    virtual void ExportText(const QRect& clip, int x, int y, const std::string& text, std::uint16_t frameLines,
                            TrpView& view);

    // The host of objects that have none.
    static TrpViewHost& Default();
};

// One registered property, for design tools and the property lists.
struct TrpPropertyRecord {
    std::string Name;          // at most 32 characters
    std::int16_t Type = 0;     // type word of the design tools
    std::string EnumNames;     // "a;b;c" for enumerations, values 0, 1, 2 ...
};

// The script-visible base: properties and methods by upper-cased name.  A
// name an object does not know is ignored on set and reads as Null.
class TrpObject {
public:
    TrpObject() = default;
    virtual ~TrpObject() = default;
    TrpObject(const TrpObject&) = delete;
    TrpObject& operator=(const TrpObject&) = delete;

    virtual void AssignProperty(const std::string& name, const Variant& value);
    virtual Variant ReadProperty(const std::string& name);
    virtual Variant CallMethod(const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3);
    // Fills the property list (once; later calls change nothing).
    virtual void RegisterProperties();

    const std::vector<TrpPropertyRecord>& Properties() const { return properties_; }
    // Letter case ignored; null when absent.
    const TrpPropertyRecord* FindProperty(const std::string& name) const;

protected:
    void AddProperty(const std::string& name, std::int16_t type, const std::string& enumNames = {});
    std::vector<TrpPropertyRecord> properties_;
};

// The geometry that ApplyScale saves and RestoreGeometry puts back.
struct TrpSavedGeometry {
    std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    double FrameWidth = 1;
    std::int32_t GapX = 0, GapY = 0;
};

// A file or database field's content for LoadFromBlob.
struct TrpBlob {
    bool IsNull = true;
    std::string Bytes;
};

class TDataSet;
class TrpBand;

// What the band engine keeps of an object while its template page is built.
struct TrpViewBuild {
    TrpBand* Owner = nullptr;  // the band the object prints with
    bool Placed = false;       // joined a band's object list
    // Splitting a band: the object waits for a later page, or prints last
    // with the height of the slice; its rectangle before the split.
    bool StillToPrint = false;
    bool PrintAtEnd = false;
    std::int32_t SavedLeft = 0, SavedTop = 0, SavedWidth = 0, SavedHeight = 0;
    // The data field the object's text names, when it is one.
    TDataSet* FieldDataSet = nullptr;
    std::string FieldName;
};

class TrpView : public TrpObject {
public:
    TrpView();
    ~TrpView() override;

    // Script properties and methods (see the table in the .cpp).
    void AssignProperty(const std::string& name, const Variant& value) override;
    Variant ReadProperty(const std::string& name) override;
    Variant CallMethod(const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3) override;
    void RegisterProperties() override;

    virtual void PaintFill(QPainter& painter);
    virtual void PaintFrame(QPainter& painter);
    virtual void LoadFromBlob(const TrpBlob& blob);
    virtual void AfterTemplateLoad() {}
    // Scales the geometry by the paint transform and computes the object
    // rectangle; RestoreGeometry undoes it.
    virtual void ApplyScale();
    virtual void RestoreGeometry();
    virtual void Paint(QPainter& painter) = 0;
    // Writes the object, as printed now, into a prepared page's stream.
    virtual void EmitToPreparedPage(TrpStream& stream);
    // Hands the object to the report's export filter (ExportObject).
    virtual void RunPrintHook();
    virtual void ReadFromStream(TrpStream& stream);
    virtual void WriteToStream(TrpStream& stream);
    // The hit area: the rectangle with its frame lines, 10 more on each side
    // when enlarge is set.
    virtual QRect CreateRegion(bool enlarge) const;

    // The class name that add-in records carry (type 10).
    virtual std::string ClassName() const { return "TrpView"; }

    // Band alignment on the parent page (left, right, center, rest, and
    // width during a run); bottom and top are applied at emission.
    void ApplyBandAlign();
    // Bottom, top and cross-band width alignment at emission.
    void ApplyEmitAlign();
    // Gives the view the base name followed by the first free number.
    void SetDefaultName();

    TrpViewHost& Host() const;
    // Replaces every [expression] in text by its value text.
    std::string ExpandExpressions(const std::string& text);

    // The object's memo lists as scripts name them ("MEMO", and "LINES" for
    // text objects).
    virtual bool IsListName(const std::string& upperName) const { return upperName == "MEMO"; }

    // Fields, in the order of the stored object.
    std::string BaseName = "View";
    std::uint8_t TypeCode = ObjectType::AddIn;
    std::uint8_t FormatMajor = 2;
    std::uint8_t FormatMinor = 0;
    std::int32_t ID = 0;
    TrpSavedGeometry Saved;
    QRect ObjectRect;          // after ApplyScale: left, top, right + 1, bottom + 1
    TrpLines ExpandedLines;    // the text painted and emitted
    bool PreparedMode = false;
    std::string Name;
    double PaintScaleX = 1, PaintScaleY = 1;
    std::int32_t PaintOffsetX = 0, PaintOffsetY = 0;
    std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    std::uint16_t Flags = 1;
    std::uint16_t FrameTyp = 0;
    double FrameWidth = 1;
    std::int32_t FrameColor = 0;
    std::uint16_t FrameStyle = FrameStyle::Solid;
    std::uint32_t FillColor = kNoFill;
    std::int32_t DisplayFormat = 0;
    std::string FormatString;
    bool Visible = true;
    std::int32_t GapX = 2, GapY = 1;
    std::uint16_t Restrictions = 0;
    std::string Tag;
    TrpLines Memo;
    TrpLines Script;
    TrpBandAlign BandAlign = TrpBandAlign::None;
    TrpBandView* ParentBand = nullptr;
    TrpPage* ParentPage = nullptr;
    TrpViewBuild Build;

protected:
    // The rectangle of the unscaled geometry under the paint transform.
    int ScaledRight() const;
    int ScaledBottom() const;
    void DrawFrameLine(QPainter& painter, int x1, int y1, int x2, int y2, bool vertical);
    bool Running() const { return Host().IsRunning(); }
    void WriteFrameWidth(TrpStream& stream) const;
    void ReadFrameWidth(TrpStream& stream);
    void WriteEmitHeader(TrpStream& stream);
};

// Objects whose height follows their content.
class TrpStretcheable : public TrpView {
public:
    virtual int CalcHeight() = 0;
    virtual int MinSliceHeight() = 0;
    virtual int LeftoverHeight() = 0;
    Variant CallMethod(const std::string& name, const Variant& p1, const Variant& p2, const Variant& p3) override;

    // 0 normal, 1 height already measured, 2 print only what fits.
    std::uint8_t StretchPhase = 0;
};

// A control of a dialog page: the add-in base.  What it shows is drawn by
// PaintDesignImage into the image of the object; a subclass that wraps a
// real control renders it there.
class TrpControl : public TrpView {
public:
    TrpControl();
    void AssignProperty(const std::string& name, const Variant& value) override;
    void RegisterProperties() override;
    void Paint(QPainter& painter) override;
    std::string ClassName() const override { return "TrpControl"; }
    virtual void PaintDesignImage(QPainter& painter, const QRect& rect);
    // Puts the control's widget on a dialog page's form (which owns it) and
    // gives it; a subclass that wraps a real control makes it here.  Null:
    // the control shows nothing on a form.
    virtual QWidget* PlaceOnForm(QWidget& form);
    // The form is about to be freed with the widget on it.
    virtual void RemoveFromForm() {}
    // Called when VISIBLE changes, for a subclass that shows a control.
    std::function<void(bool)> OnVisibleChanged;
};

// A non-visual component of a dialog page, always 28 x 28.
class TrpNonVisualControl : public TrpControl {
public:
    TrpNonVisualControl();
    void AssignProperty(const std::string& name, const Variant& value) override;
    void RegisterProperties() override;
    void Paint(QPainter& painter) override;
    std::string ClassName() const override { return "TrpNonVisualControl"; }
    // Called with the new name, for a subclass that names a component.
    std::function<void(const std::string&)> OnRenamed;
};

// Upper case of ASCII letters, as property names are compared.
std::string UpperName(const std::string& name);
// The next value of the engine-wide object counter.
std::int32_t NextObjectId();

} // namespace report
