#pragma once
// The preview of a report's prepared pages: the window TrpPreviewForm with
// its page canvas TrpPBox, and the panel TrpPreview that shows the same
// page area inside another window.
//
// While a report is attached, the preview owns the report's prepared
// pages (TakePages leaves the report an empty set) and lends them back
// around every print, save, export and rebuild (ReturnPages, then
// TakePages).  The arithmetic of zoom and layout is TrpPreviewLayout's,
// the search TrpPreviewSearch's: the widgets here only wire them up.

#include "RpPreviewLayout.h"
#include "RpPreviewSearch.h"

#include <QDialog>
#include <QFrame>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QScrollBar;

namespace report {

class TrpEMFPages;
class TrpPreviewForm;
class TrpPreviewSearchForm;
class TrpPrintForm;
class TrpPrinter;
class TrpReport;
class TrpSpeedButton;
class TrpTBButton;
class TrpTBSeparator;

// The page canvas: draws the pages where the layout put them, moved by the
// scroll offsets; clicks follow links, drags scroll, and the mouse over an
// object shows its text.
class TrpPBox : public QWidget {
public:
    explicit TrpPBox(TrpPreviewForm& form, QWidget* parent);

    bool Dragging = false;
    int LastX = 0, LastY = 0;
    // The page under the last left click (1-based; 0 none).
    int ClickPage = 0;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    TrpPreviewForm& form_;
};

// The page margins of the page set-up, in hundredths of a millimetre.
struct TrpPageSetupMargins {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
};

class TrpPreviewForm : public QDialog {
public:
    // The placement key's class name.
    static constexpr const char* kClassName = "TrpPreviewForm";

    explicit TrpPreviewForm(QWidget* parent = nullptr);
    ~TrpPreviewForm() override;

    // Takes the report's pages and shows them: modally (returning when
    // the window closes) when the report's ModalPreview is set.
    void ShowForReport(TrpReport& report);
    // Attaches the report without showing anything: the pages stay the
    // report's until TakePages.
    void SetReport(TrpReport& report);

    // ---- pages between report and preview ----
    void TakePages();
    void ReturnPages();
    bool HasPages() const;
    TrpEMFPages* PagesOrNull() const { return Pages.get(); }

    // ---- what the window does ----
    void ApplyButtonSettings();
    void ApplyZoom(bool reset);
    // Puts the toolbar back at the window's top (from an embedding panel).
    void RestoreToolbar();
    // The menu texts and button hints from the engine's string table.
    void SetTexts();
    // The layout of the pages on the canvas for the zoom and the canvas's
    // size; scrolls to the current page.
    void FormResize();
    void UpdatePageLabel();
    void ScrollToCurrentPage();
    // Searches on from the search's page and run: a hit becomes the
    // current page, scrolled into view and marked.  A long search shows
    // its page and lets the window's messages through every
    // SearchStepMs; Esc stops it.
    bool FindTextInPages();
    bool Searching() const { return searching_; }
    // Find Next (F3): goes on after the last hit.
    void FindNext();
    // One key of the window; true when handled (the key is used up).
    bool FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void WheelTurned(int notches);
    // The context popup of the control under a point of the window.
    void HelpAt(QPoint windowPos);

    // The event handlers.
    void VScrollBarChange(int position);
    void HScrollBarChange(int position);
    void PgUpClick();
    void PgDownClick();
    void ZoomBtnClick();
    void N3Click(QAction* item);
    void LoadBtnClick();
    void SaveBtnClick();
    void PrintBtnClick();
    void PageSetupBtnClick();
    void FindBtnClick();
    void HelpBtnClick();
    void ExitBtnClick();
    void EditBtnClick();
    void NewPageBtnClick();
    void DelPageBtnClick();

    // ---- state ----
    TrpPBox* PBox;
    int CurrentPage = 1;
    int XOffset = 0, YOffset = 0;
    int LastVPos = 0, LastHPos = 0;
    double Zoom = 1.0;
    TrpZoomMode ZoomMode = zmFixed;
    bool PaintEnabled = true;
    TrpPreviewSearch Search;
    int SearchStepMs = 100;
    // The window is a child of an MDI area: it keeps no placement of its
    // own and is never modal.
    bool MdiChild = false;
    QString SavedHelpFile;
    bool HelpMode = false;
    // Called with the window whenever the page label is updated.
    std::function<void(TrpPreviewForm&)> OnPageChanged;
    int WheelFactor = 1;
    // The context menu of the panel that shows the page area, when it has
    // one; else the zoom menu.
    QPointer<QMenu> PopupMenu;
    QPointer<TrpReport> Report;
    std::unique_ptr<TrpEMFPages> Pages;

    // The last zoom chosen in any preview, and its mode: each preview
    // starts with them.
    static inline double LastZoom = 1.0;
    static inline TrpZoomMode LastZoomMode = zmFixed;

    // The found text on the canvas (canvas pixels; empty when none).
    QRect FoundMark() const;

    // ---- the window's parts ----
    QWidget* ToolbarPanel;
    QWidget* Panel1;
    TrpTBButton* ZoomBtn;
    TrpTBSeparator* rpTBSeparator1;
    TrpTBButton* LoadBtn;
    TrpTBButton* SaveBtn;
    TrpTBButton* PrintBtn;
    TrpTBButton* PageSetupBtn;
    TrpTBSeparator* rpTBSeparator2;
    TrpTBButton* FindBtn;
    TrpTBButton* HelpBtn;
    TrpTBSeparator* rpTBSeparator3;
    TrpTBButton* ExitBtn;
    QWidget* PreviewPanel;
    QWidget* ScrollBox1;
    QWidget* RPanel;
    QScrollBar* VScrollBar;
    TrpSpeedButton* PgUp;
    TrpSpeedButton* PgDown;
    QWidget* BPanel;
    QLabel* Label1;
    QLabel* Label2;
    QScrollBar* HScrollBar;
    QMenu* ProcMenu;
    QActionGroup* ZoomGroup;
    QAction* N4;
    QAction* N5;
    QAction* N6;
    QAction* N7;

    // ---- the dialogs, replaceable (tests answer them) ----
    // The file to open for an engine filter ("description|mask|..."); empty
    // when cancelled.
    std::function<QString(const QString& filter)> OpenDialog;
    // The file to save and the chosen filter (1-based, preselected on
    // entry); empty when cancelled.
    std::function<QString(const QString& filter, int& filterIndex)> SaveDialog;
    std::function<bool(TrpPreviewSearchForm& dialog)> ExecSearchDialog;
    std::function<bool(TrpPrintForm& dialog)> ExecPrintDialog;
    // The page set-up of the selected printer with the margins; true when
    // accepted (the printer then holds the paper chosen).
    std::function<bool(TrpPageSetupMargins& margins)> PageSetupDialog;
    std::function<void(const QString& message)> ShowError;
    // The help popup of a help context at a point of the screen.
    std::function<void(const QPoint& globalPos, int context)> ShowHelp;
    std::function<bool(const QString& question)> AskYesNo;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    friend class TrpPBox;
    class LentPages;

    void BuildToolbar();
    void BuildPageArea();
    void BuildMenu();
    void ArrangePanels();
    QSize CanvasSize() const;
    void CheckZoomItems();
    void SetBarRanges(int horzMax, int vertMax);
    void SetVertPosition(int position);
    void SetHorzPosition(int position);
    void GoToPage(int page);
    bool PrintersPresent() const;
    void PaintCanvas(QPainter& painter, const QRegion& region);
    void CanvasMousePress(QMouseEvent* event);
    void CanvasMouseMove(QMouseEvent* event);
    void CanvasDoubleClick();
    void FollowLink(const std::string& link);
    void ReportGone();
    void LeaveHelpMode();

    class BusyScope;

    // Commands wait while a search or a rebuild lets messages through.
    bool Busy() const { return busy_ > 0; }
    // Prepares the report again and shows its new pages; the pages shown
    // stay when the run leaves none (an error, a Cancel).
    bool RebuildReport();
    TrpPrinter& ReportPrinter() const;

    int busy_ = 0;
    bool searching_ = false;
    bool stopSearch_ = false;
    // The window was asked to close while it was busy: it closes after.
    bool closeAfterWork_ = false;
    bool placementRestored_ = false;
    bool pagesFromFile_ = false;
    int wheelRemainder_ = 0;
    // The page of the last hit (0-based; -1 none); its rectangle is
    // Search.FoundRect.
    int markPage_ = -1;
};

// The preview inside another window: it makes a hidden TrpPreviewForm and
// shows that window's page area (and, when asked, its toolbar) in itself.
class TrpPreview : public QFrame {
public:
    explicit TrpPreview(QWidget* parent = nullptr);
    ~TrpPreview() override;

    void AttachReport(TrpReport& report);
    void DetachReport();
    void Print();
    int CurrentPage() const;

    // 0 none, 1 horizontal, 2 vertical, 3 both.
    void SetScrollBars(int value);
    int ScrollBars() const { return scrollBars_; }
    void SetShowToolbar(bool value);
    bool ShowToolbar() const { return showToolbar_; }

    std::function<void(TrpPreview& sender, int pageNo)> OnPageChanged;
    // The panel's own context menu for the pages (not owned); the zoom
    // menu when none.
    QPointer<QMenu> PopupMenu;

    TrpPreviewForm& Window() { return *window_; }

protected:
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FirePageChanged();
    // Moves the window's toolbar above the page area here.
    void AdoptToolbar();

    std::unique_ptr<TrpPreviewForm> window_;
    int scrollBars_ = 3;
    bool showToolbar_ = false;
};

} // namespace report
