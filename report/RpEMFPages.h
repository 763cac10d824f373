#pragma once
// Prepared pages: the result of a report run, one record per page with the
// page's paper and a content stream of the objects placed on it.  A page's
// objects exist only while the page is drawn, hit-tested or edited: they
// are rebuilt from the stream on demand and released again, so a report of
// thousands of pages holds bytes, not objects.
//
// The same records are read from and written to prepared-report files
// (".rpp"); see RpPreparedFile.cpp.  A file is outside input: every count
// and offset in it is checked against the file, and a damaged file keeps
// the pages read before the damage.

#include "RpPage.h"
#include "RpViewFactory.h"

#include <QRect>
#include <QtCore/qnamespace.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QPainter;
class QString;

namespace report {

// The version byte that opens every content stream and every file written.
constexpr std::uint8_t kPreparedVersion = 25;

// What prepared pages need of the report that owns them.  Every operation
// has a plain answer, so pages also work without a report (tests, tools):
// the printer name and marker byte read from a file are kept and written
// back, and web addresses open through the desktop.
class TrpPreparedOwner {
public:
    virtual ~TrpPreparedOwner() = default;

    // The template pages whose engine host (measurers, engine texts) and
    // printer model the rebuilt pages share; null for the defaults.
    virtual TrpPages* TemplatePages() { return nullptr; }
    // The add-in classes that type-10 objects are made from.
    virtual const TrpAddInRegistry* AddIns() const { return nullptr; }
    // A page was added: the report fires OnBeginPage with the current page
    // number, then the OnBeginPage of a composite report driving it.
    virtual void BeginPage() {}
    // The printer a file names is selected; the name of the selected
    // printer is written.
    virtual void SelectPrinter(const std::string& name) { printer_ = name; }
    virtual std::string SelectedPrinterName() const { return printer_; }
    // The marker byte of the report's information.
    virtual std::uint8_t ReportMarker() const { return marker_; }
    virtual void SetReportMarker(std::uint8_t marker) { marker_ = marker; }
    // OnObjectClick and OnMouseOverObject; false when not assigned.
    virtual bool ObjectClick(TrpView&) { return false; }
    virtual bool MouseOverObject(TrpView&, Qt::CursorShape&) { return false; }
    // Opens an http or https address in the user's web browser.
    virtual void OpenWebAddress(const std::string& url);

private:
    std::string printer_;
    std::uint8_t marker_ = 88;
};

// Left, top, right and bottom, the right and bottom edges outside.
struct TrpLayoutRect {
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// One prepared page.
struct TrpEMFPage {
    TrpLayoutRect LayoutRect;   // the page's place in the preview's layout
    std::int16_t PaperSize = 0; // printer paper code; 256 = custom size
    std::int32_t Width = 0, Height = 0;  // tenths of a millimetre
    std::uint8_t Orientation = 0;        // 0 portrait, 1 landscape
    std::int32_t Bin = 0;                // -1 or 0xFFFF: the default bin
    std::uint8_t UseMargins = 0;         // 0: the printer's own margins
    std::int32_t MarginLeft = 0, MarginTop = 0, MarginRight = 0, MarginBottom = 0;
    TrpPageInfo PageInfo;                // the printer model's geometry for the paper
    bool Visible = false;                // drawn now; drawing an invisible page releases it
    TrpStream Content;                   // version byte, then one record per object
    std::unique_ptr<TrpPage> Rebuilt;    // the objects read back, while needed
};

enum class TrpPreparedStatus {
    Loaded,
    Compressed,  // the file's content is packed: nothing is read
    Damaged,     // the pages before the damage are kept
    Unreadable,  // the file could not be read: the pages are unchanged
};

struct TrpPreparedResult {
    TrpPreparedStatus Status = TrpPreparedStatus::Loaded;
    std::string Message;  // empty when loaded
};

// True for an absolute http or https address with a host: the only links
// that a click opens.
bool IsWebAddress(const std::string& link);

class TrpEMFPages {
public:
    static constexpr const char* kCompressedMessage =
        "This prepared report is compressed, and compressed reports cannot be opened.";
    // Geometry and margins of a page, in report pixels (about 290 m), lie
    // within plus or minus this; anything beyond marks a damaged page.
    static constexpr std::int32_t kMaxCoordinate = 1 << 20;

    explicit TrpEMFPages(TrpPreparedOwner* owner = nullptr);
    ~TrpEMFPages();
    TrpEMFPages(const TrpEMFPages&) = delete;
    TrpEMFPages& operator=(const TrpEMFPages&) = delete;

    std::size_t Count() const { return pages_.size(); }
    TrpEMFPage& PageRecord(std::size_t index) { return *pages_.at(index); }
    const TrpEMFPage& PageRecord(std::size_t index) const { return *pages_.at(index); }

    void Clear();
    // A new page with the template page's paper, margins and page info; at
    // the end when the index is not below the count.
    TrpEMFPage& InsertPage(std::size_t index, const TrpPage& templatePage);
    // Inserts at the end, then tells the owner (BeginPage).
    TrpEMFPage& AddPage(const TrpPage& templatePage);
    void DeletePage(std::size_t index);

    // Replaces the page's rebuilt objects by those read from its stream.
    // Damaged content keeps the objects before the damage.
    void RebuildPage(std::size_t index);
    // Frees the page's rebuilt objects.
    void ReleasePage(std::size_t index);
    // Writes the rebuilt objects back into the page's stream.
    void StorePage(std::size_t index);
    // Hands every object of the page to the export hook, then releases it.
    void ExportPage(std::size_t index);

    // Draws the page into the rectangle of the painter's device, the whole
    // sheet scaled to it.  A page not marked visible is only released.
    void PaintPage(std::size_t index, QPainter& painter, const QRect& rect);
    // The object under a point of the page (report pixels at 100 %),
    // topmost first.  Click: OnObjectClick, links opened or, for "@" links,
    // returned; hover: OnMouseOverObject, the pointing hand and the link
    // (the cursor is the arrow otherwise).  True when an object answered.
    bool HitTest(std::size_t index, QPoint point, std::string& link, Qt::CursorShape& cursor, bool click);

    // The prepared-report file.  Reading deletes every page first.
    TrpPreparedResult ReadPrepared(TrpStream& stream);
    // Raises EWriteError for pages that a file cannot carry (beyond 2 GB).
    void WritePrepared(TrpStream& stream);
    // The same from and to a file; a file is replaced only once it is
    // written whole.  A file that cannot be opened or read comes back as
    // Unreadable; saving raises EWriteError.
    TrpPreparedResult LoadFromFile(const QString& path);
    void SaveToFile(const QString& path);

    TrpPreparedOwner& Owner() const { return *owner_; }

private:
    class RunHost;

    TrpPages& RebuildOwner();
    std::unique_ptr<TrpPage> MakePage(const TrpEMFPage& record);
    // Reads the objects of a content stream into the page; false when the
    // stream is damaged (the objects read before stay).
    bool ReadObjects(TrpStream& content, TrpPage& page, bool measure);
    TrpPageInfo PageInfoFor(const TrpEMFPage& record);
    // Appends a page read from a file once its objects read whole; raises
    // otherwise.
    void KeepReadPage(std::unique_ptr<TrpEMFPage> record);
    // Raise on damage; declared is the page count once it is read.
    void ReadCurrentLayout(TrpStream& stream, int version, std::int64_t& declared);
    void ReadOldLayout(TrpStream& stream, std::int64_t& declared);

    TrpPreparedOwner ownDefault_;
    TrpPreparedOwner* owner_;
    std::unique_ptr<RunHost> runHost_;
    std::unique_ptr<TrpPages> rebuildOwner_;
    std::vector<std::unique_ptr<TrpEMFPage>> pages_;
};

} // namespace report
