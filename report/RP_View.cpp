#include "RP_View.h"

#include "Exceptions.h"
#include "RP_Dock.h"
#include "RP_PrDlg.h"
#include "RpEngineHelp.h"
#include "RpExportFilter.h"
#include "RpFormTexts.h"
#include "RpMessageBox.h"
#include "RpPreviewGlyphs.h"
#include "RpPreviewSearchForm.h"
#include "RpQtPrinters.h"
#include "RpReport.h"
#include "RpWindowFont.h"
#include "ValueText.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <charconv>

namespace report {

namespace {

constexpr int kPageText = 55004;
constexpr int kReportFileText = 55211;
constexpr int kSmallChange = 10;
constexpr int kLargeChange = 200;
constexpr int kBarSize = 16;
constexpr int kBottomPanelHeight = 18;
constexpr int kHorzBarLeft = 236;

// The help contexts of the window's parts.
constexpr int kHelpZoom = 200;
constexpr int kHelpLoad = 201;
constexpr int kHelpSave = 202;
constexpr int kHelpPrint = 203;
constexpr int kHelpFind = 204;
constexpr int kHelpExit = 205;
constexpr int kHelpStatus = 206;
constexpr int kHelpCanvas = 207;

// The zoom items of the context menu: percent, or the modes 1-3.
constexpr int kZoomTags[] = {200, 150, 100, 75, 50, 25, 10, 1, 2, 3};

QString WithExtension(const QString& fileName, const QString& extension)
{
    const int slash = std::max(fileName.lastIndexOf(QLatin1Char('/')), fileName.lastIndexOf(QLatin1Char('\\')));
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > slash ? fileName.left(dot) : fileName;
    return stem + extension;
}

// An engine filter ("description|mask|description|mask") as Qt's file
// dialogs take it ("description (mask);;...", the masks separated by
// blanks).
QString QtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString masks = QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << (parts[i].contains(QLatin1Char('(')) ? parts[i] : parts[i] + " (" + masks + ")");
    }
    return filters.join(QStringLiteral(";;"));
}

QFrame* Bevel(QWidget* parent, int width)
{
    auto* bevel = new QFrame(parent);
    bevel->setFrameShape(QFrame::Panel);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setFixedWidth(width);
    SetEngineHelpContext(bevel, kHelpStatus);
    return bevel;
}

} // namespace

// Lends the preview's pages to the report for the while, and takes them
// back however the lending ends.
class TrpPreviewForm::LentPages {
public:
    explicit LentPages(TrpPreviewForm& form) : form_(form)
    {
        form_.PaintEnabled = false;
        form_.ReturnPages();
    }
    ~LentPages()
    {
        form_.TakePages();
        form_.PaintEnabled = true;
    }
    LentPages(const LentPages&) = delete;
    LentPages& operator=(const LentPages&) = delete;

private:
    TrpPreviewForm& form_;
};

// Marks the window busy while work lets messages through: commands wait,
// and a close asked for meanwhile comes once the work is done.
class TrpPreviewForm::BusyScope {
public:
    explicit BusyScope(TrpPreviewForm& form) : form_(form) { ++form_.busy_; }
    ~BusyScope()
    {
        if (--form_.busy_ == 0 && form_.closeAfterWork_) {
            form_.closeAfterWork_ = false;
            if (form_.isModal())
                form_.done(1);
            else
                form_.close();
        }
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    TrpPreviewForm& form_;
};

// ---- construction -------------------------------------------------------------

TrpPreviewForm::TrpPreviewForm(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Print preview"));
    // The toolbar and the page and object labels are laid out for it.
    setFont(EngineWindowFont());
    setSizeGripEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    BuildToolbar();
    BuildPageArea();
    BuildMenu();
    layout->addWidget(ToolbarPanel);
    layout->addWidget(PreviewPanel, 1);
    resize(459, 293 + 0);
    setWindowState(Qt::WindowMaximized);

    OpenDialog = [this](const QString& filter) {
        return QFileDialog::getOpenFileName(this, QString(), QString(), QtFilter(filter));
    };
    SaveDialog = [this](const QString& filter, int& filterIndex) {
        const QString qtFilter = QtFilter(filter);
        const QStringList filters = qtFilter.split(QStringLiteral(";;"));
        QString selected = filters.value(filterIndex - 1);
        const QString name = QFileDialog::getSaveFileName(this, QString(), QString(), qtFilter, &selected);
        filterIndex = static_cast<int>(filters.indexOf(selected)) + 1;
        return name;
    };
    ExecSearchDialog = [](TrpPreviewSearchForm& dialog) { return dialog.exec() == QDialog::Accepted; };
    ExecPrintDialog = [](TrpPrintForm& dialog) { return dialog.exec() == QDialog::Accepted; };
    ShowError = [this](const QString& message) {
        ShowMessageBox(this, QMessageBox::Critical, FormText(55206, "Error"), message, QMessageBox::Ok);
    };
    ShowHelp = [this](const QPoint& globalPos, int context) { ShowEngineHelpPopup(globalPos, context, this); };
    PageSetupDialog = [this](TrpPageSetupMargins& margins) {
        auto* system = dynamic_cast<TrpQtPrinters*>(ReportPrinter().Platform());
        if (system == nullptr || ReportPrinter().IsVirtual())
            return false;
        QPrinter& device = system->Printer();
        device.setPageMargins(QMarginsF(margins.Left / 100.0, margins.Top / 100.0, margins.Right / 100.0,
                                        margins.Bottom / 100.0),
                              QPageLayout::Millimeter);
        QPageSetupDialog dialog(&device, this);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        const QMarginsF chosen = device.pageLayout().margins(QPageLayout::Millimeter);
        margins = {RoundToInt(chosen.left() * 100), RoundToInt(chosen.top() * 100),
                   RoundToInt(chosen.right() * 100), RoundToInt(chosen.bottom() * 100)};
        return true;
    };
    AskYesNo = [this](const QString& question) {
        return ShowMessageBox(this, QMessageBox::Question, windowTitle(), question,
                              QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
}

TrpPreviewForm::~TrpPreviewForm() = default;

void TrpPreviewForm::BuildToolbar()
{
    ToolbarPanel = new QWidget(this);
    ToolbarPanel->setFixedHeight(33);
    ToolbarPanel->setProperty("rpAlign", int(TrpAlign::Top));
    auto* top = new QFrame(ToolbarPanel);  // the 2-pixel bevel at its top
    top->setFrameShape(QFrame::HLine);
    top->setFrameShadow(QFrame::Sunken);
    top->setGeometry(0, 0, 4096, 2);
    Panel1 = new QWidget(ToolbarPanel);
    Panel1->setGeometry(4, 6, 273, 24);
    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    const auto button = [this, row](const QImage& glyph, int help) {
        auto* b = new TrpTBButton(Panel1);
        b->setFixedSize(24, 24);
        b->SetGlyph(glyph);
        b->SetGrayedInactive(false);
        SetEngineHelpContext(b, help);
        row->addWidget(b);
        return b;
    };
    const auto separator = [this, row] {
        auto* s = new TrpTBSeparator(Panel1);
        s->setFixedSize(8, 24);
        s->SetDrawBevel(false);
        row->addWidget(s);
        return s;
    };
    ZoomBtn = button(PreviewGlyphs::Zoom(), kHelpZoom);
    ZoomBtn->setFixedWidth(53);
    ZoomBtn->SetMargin(3);
    rpTBSeparator1 = separator();
    LoadBtn = button(PreviewGlyphs::Open(), kHelpLoad);
    SaveBtn = button(PreviewGlyphs::Save(), kHelpSave);
    PrintBtn = button(PreviewGlyphs::Print(), kHelpPrint);
    PageSetupBtn = button(PreviewGlyphs::PageSetup(), kHelpPrint);
    rpTBSeparator2 = separator();
    FindBtn = button(PreviewGlyphs::Find(), kHelpFind);
    HelpBtn = button(PreviewGlyphs::Help(), 0);
    rpTBSeparator3 = separator();
    ExitBtn = button(PreviewGlyphs::Exit(), kHelpExit);
    row->addStretch(1);

    ZoomBtn->OnClick = [this] { ZoomBtnClick(); };
    LoadBtn->OnClick = [this] { LoadBtnClick(); };
    SaveBtn->OnClick = [this] { SaveBtnClick(); };
    PrintBtn->OnClick = [this] { PrintBtnClick(); };
    PageSetupBtn->OnClick = [this] { PageSetupBtnClick(); };
    FindBtn->OnClick = [this] { FindBtnClick(); };
    HelpBtn->OnClick = [this] { HelpBtnClick(); };
    ExitBtn->OnClick = [this] { ExitBtnClick(); };
}

void TrpPreviewForm::BuildPageArea()
{
    PreviewPanel = new QWidget(this);
    ScrollBox1 = new QWidget(PreviewPanel);
    ScrollBox1->installEventFilter(this);
    auto* fill = new QVBoxLayout(PreviewPanel);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(ScrollBox1);

    PBox = new TrpPBox(*this, ScrollBox1);
    RPanel = new QWidget(ScrollBox1);
    VScrollBar = new QScrollBar(Qt::Vertical, RPanel);
    PgUp = new TrpSpeedButton(RPanel);
    PgDown = new TrpSpeedButton(RPanel);
    BPanel = new QWidget(ScrollBox1);
    auto* pageBevel = Bevel(BPanel, 77);
    auto* objectBevel = Bevel(BPanel, 154);
    Label1 = new QLabel(pageBevel);
    Label2 = new QLabel(objectBevel);
    HScrollBar = new QScrollBar(Qt::Horizontal, BPanel);

    for (QScrollBar* bar : {VScrollBar, HScrollBar}) {
        bar->setRange(0, 32000);
        bar->setSingleStep(kSmallChange);
        bar->setPageStep(kLargeChange);
        bar->setFocusPolicy(Qt::NoFocus);
    }
    connect(VScrollBar, &QScrollBar::valueChanged, this, [this](int value) { VScrollBarChange(value); });
    connect(HScrollBar, &QScrollBar::valueChanged, this, [this](int value) { HScrollBarChange(value); });
    PgUp->setFixedSize(16, 16);
    PgDown->setFixedSize(16, 16);
    PgUp->SetGlyph(PreviewGlyphs::PageUp());
    PgDown->SetGlyph(PreviewGlyphs::PageDown());
    PgUp->OnClick = [this] { PgUpClick(); };
    PgDown->OnClick = [this] { PgDownClick(); };
    pageBevel->setGeometry(0, 0, 77, kBottomPanelHeight);
    objectBevel->setGeometry(77, 0, 154, kBottomPanelHeight);
    Label1->setGeometry(2, 2, 73, kBottomPanelHeight - 4);
    Label2->setGeometry(2, 2, 147, kBottomPanelHeight - 4);
    SetEngineHelpContext(Label1, kHelpStatus);
    SetEngineHelpContext(Label2, kHelpStatus);
    SetEngineHelpContext(PBox, kHelpCanvas);
    BPanel->setFixedHeight(kBottomPanelHeight);
}

void TrpPreviewForm::BuildMenu()
{
    ProcMenu = new QMenu(this);
    ZoomGroup = new QActionGroup(ProcMenu);
    ZoomGroup->setExclusive(true);
    for (const int tag : kZoomTags) {
        QAction* item = ProcMenu->addAction(QString::number(tag) + QLatin1Char('%'));
        item->setCheckable(true);
        item->setData(tag);
        item->setChecked(tag == 100);
        ZoomGroup->addAction(item);
    }
    connect(ZoomGroup, &QActionGroup::triggered, this, [this](QAction* item) { N3Click(item); });
    N4 = ProcMenu->addSeparator();
    N5 = ProcMenu->addAction(QStringLiteral("Edit page..."));
    N6 = ProcMenu->addAction(QStringLiteral("Add page"));
    N7 = ProcMenu->addAction(QStringLiteral("Remove page"));
    connect(N5, &QAction::triggered, this, [this] { EditBtnClick(); });
    connect(N6, &QAction::triggered, this, [this] { NewPageBtnClick(); });
    connect(N7, &QAction::triggered, this, [this] { DelPageBtnClick(); });
    for (QAction* item : {N4, N5, N6, N7})
        item->setVisible(false);
}

void TrpPreviewForm::SetTexts()
{
    const QList<QAction*> items = ZoomGroup->actions();
    items[7]->setText(FormText(53020, "Page width"));
    items[8]->setText(FormText(53021, "Whole page"));
    items[9]->setText(FormText(53022, "Two pages"));
    N5->setText(FormText(53029, "Edit page"));
    N6->setText(FormText(53030, "Add page"));
    N7->setText(FormText(53031, "Delete page"));
    ZoomBtn->setToolTip(FormText(53024, "Scale"));
    LoadBtn->setToolTip(FormText(53025, "Open report"));
    SaveBtn->setToolTip(FormText(53026, "Save report"));
    PrintBtn->setToolTip(FormText(53027, "Print report"));
    FindBtn->setToolTip(FormText(53028, "Find text"));
    HelpBtn->setToolTip(FormText(53032, "Show help"));
    ExitBtn->setToolTip(FormText(53023, "Close preview"));
}

// ---- pages --------------------------------------------------------------------

bool TrpPreviewForm::HasPages() const
{
    return Pages != nullptr && Pages->Count() > 0;
}

void TrpPreviewForm::TakePages()
{
    if (Report == nullptr)
        return;
    Pages = std::move(Report->EMFPages);
    Report->EMFPages = Report->NewPreparedPages();
}

void TrpPreviewForm::ReturnPages()
{
    if (Report == nullptr)
        return;
    if (Pages == nullptr)
        Pages = Report->NewPreparedPages();
    Report->EMFPages = std::move(Pages);
}

void TrpPreviewForm::ReportGone()
{
    // The pages serve their report: without it they cannot be drawn.
    stopSearch_ = true;
    Pages.reset();
    markPage_ = -1;
    close();
}

void TrpPreviewForm::SetReport(TrpReport& report)
{
    if (Report == &report)
        return;
    if (Report != nullptr)
        disconnect(Report, nullptr, this, nullptr);
    Report = &report;
    connect(&report, &QObject::destroyed, this, [this] { ReportGone(); });
}

void TrpPreviewForm::RestoreToolbar()
{
    if (ToolbarPanel->parentWidget() == this)
        return;
    ToolbarPanel->setParent(this);
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, ToolbarPanel);
    ToolbarPanel->show();
}

void TrpPreviewForm::ShowForReport(TrpReport& report)
{
    SetReport(report);
    TakePages();
    ApplyButtonSettings();
    ApplyZoom(true);
    SetBarRanges(HScrollBar->maximum(), VScrollBar->maximum());
    SetHorzPosition(0);
    SetVertPosition(0);
    SavedHelpFile = ApplicationHelpFile();
    if (report.ModalPreview && !MdiChild)
        exec();
    else
        show();
}

// ---- buttons and zoom ---------------------------------------------------------

TrpPrinter& TrpPreviewForm::ReportPrinter() const
{
    return Report != nullptr ? Report->PrinterModel() : EnginePrinter();
}

bool TrpPreviewForm::PrintersPresent() const
{
    // The system's printers, then the virtual one; or the device the
    // report prints to instead.
    return Report != nullptr && (Report->PrintDevice != nullptr || ReportPrinter().Printers().size() > 1);
}

void TrpPreviewForm::ApplyButtonSettings()
{
    if (Report == nullptr)
        return;
    const std::uint8_t buttons = Report->PreviewButtons;
    const bool own = ToolbarPanel->parentWidget() == this;
    ZoomBtn->setVisible(buttons & PreviewButton::pbZoom);
    LoadBtn->setVisible(buttons & PreviewButton::pbLoad);
    SaveBtn->setVisible(buttons & PreviewButton::pbSave);
    PrintBtn->setVisible(buttons & PreviewButton::pbPrint);
    FindBtn->setVisible(buttons & PreviewButton::pbFind);
    PageSetupBtn->setVisible(buttons & PreviewButton::pbPageSetup);
    HelpBtn->setVisible((buttons & PreviewButton::pbHelp) && own);
    ExitBtn->setVisible((buttons & PreviewButton::pbExit) && own);
    rpTBSeparator1->setVisible(!ZoomBtn->isHidden());
    rpTBSeparator3->setVisible(!FindBtn->isHidden() || !HelpBtn->isHidden());
    PrintBtn->setEnabled(PrintersPresent());
    PageSetupBtn->setEnabled(PrintBtn->isEnabled());
    // Page editing needs a report designer, which this system has not.
    for (QAction* item : {N4, N5, N6, N7})
        item->setVisible(false);
    switch (Report->InitialZoom) {
    case pzPageWidth:
        LastZoomMode = zmPageWidth;
        break;
    case pzOnePage:
        LastZoomMode = zmWholePage;
        break;
    case pzTwoPages:
        LastZoomMode = zmTwoPages;
        break;
    case pzDefault:
        break;
    }
    for (TrpTBButton* b : {ZoomBtn, LoadBtn, SaveBtn, PrintBtn, PageSetupBtn, FindBtn, HelpBtn, ExitBtn})
        b->SetGrayedInactive(Report->GrayedButtons);
}

void TrpPreviewForm::CheckZoomItems()
{
    const int percent = TrpPreviewLayout::ZoomPercent(Zoom);
    for (QAction* item : ZoomGroup->actions()) {
        const int tag = item->data().toInt();
        if (ZoomMode == zmFixed ? tag == percent && tag > 3 : tag == int(ZoomMode))
            item->setChecked(true);
    }
    // No item of the fixed zoom: none stays checked.
    if (ZoomMode == zmFixed && (percent <= 3 || std::find(std::begin(kZoomTags), std::end(kZoomTags), percent) ==
                                                    std::end(kZoomTags))) {
        ZoomGroup->setExclusive(false);
        for (QAction* item : ZoomGroup->actions())
            item->setChecked(false);
        ZoomGroup->setExclusive(true);
    }
}

void TrpPreviewForm::ApplyZoom(bool reset)
{
    Zoom = LastZoom;
    ZoomMode = LastZoomMode;
    CheckZoomItems();
    if (reset) {
        CurrentPage = 1;
        XOffset = YOffset = 0;
        LastHPos = LastVPos = 0;
        const QSignalBlocker blockH(HScrollBar);
        const QSignalBlocker blockV(VScrollBar);
        HScrollBar->setValue(0);
        VScrollBar->setValue(0);
    }
    UpdatePageLabel();
    FormResize();
    if (Pages != nullptr) {
        for (std::size_t i = 0; i < Pages->Count(); ++i) {
            Pages->PageRecord(i).Visible = false;
            Pages->ReleasePage(i);
        }
        N7->setEnabled(Pages->Count() > 1);
    }
    PBox->update();
}

void TrpPreviewForm::N3Click(QAction* item)
{
    if (Busy() || !HasPages())
        return;
    XOffset = 0;
    const int tag = item->data().toInt();
    if (tag >= 1 && tag <= 3) {
        ZoomMode = static_cast<TrpZoomMode>(tag);
    } else {
        ZoomMode = zmFixed;
        Zoom = tag / 100.0;
    }
    item->setChecked(true);
    SetHorzPosition(0);
    FormResize();
    LastZoom = Zoom;
    LastZoomMode = ZoomMode;
    PBox->update();
}

void TrpPreviewForm::ZoomBtnClick()
{
    for (QAction* item : {N4, N5, N6, N7})
        item->setVisible(false);
    ProcMenu->popup(ZoomBtn->mapToGlobal(QPoint(0, ZoomBtn->height())));
}

// ---- layout and scrolling -----------------------------------------------------

QSize TrpPreviewForm::CanvasSize() const
{
    return PBox->size();
}

void TrpPreviewForm::ArrangePanels()
{
    const QSize box = ScrollBox1->size();
    const bool right = !RPanel->isHidden();
    const bool bottom = !BPanel->isHidden();
    const int bottomHeight = bottom ? kBottomPanelHeight : 0;
    const int rightWidth = right ? kBarSize : 0;
    BPanel->setGeometry(0, box.height() - bottomHeight, box.width(), bottomHeight);
    RPanel->setGeometry(box.width() - rightWidth, 0, rightWidth, box.height() - bottomHeight);
    PBox->setGeometry(0, 0, std::max(0, box.width() - rightWidth), std::max(0, box.height() - bottomHeight));
    PgDown->move(0, RPanel->height() - 16);
    PgUp->move(0, PgDown->y() - 16);
    VScrollBar->setGeometry(0, 0, kBarSize, std::max(0, PgUp->y() - 1));
    HScrollBar->setGeometry(kHorzBarLeft, 0,
                            std::max(0, BPanel->width() - kHorzBarLeft - (right ? VScrollBar->width() : 0)),
                            kBottomPanelHeight);
}

void TrpPreviewForm::SetBarRanges(int horzMax, int vertMax)
{
    {
        const QSignalBlocker blockH(HScrollBar);
        const QSignalBlocker blockV(VScrollBar);
        HScrollBar->setMaximum(horzMax);
        VScrollBar->setMaximum(vertMax);
    }
    HScrollBar->setEnabled(horzMax != 0);
    VScrollBar->setEnabled(vertMax != 0);
    // A range that shrank moved a bar: follow it without moving the page.
    LastHPos = HScrollBar->value();
    XOffset = -LastHPos;
    LastVPos = VScrollBar->value();
    YOffset = -LastVPos;
}

void TrpPreviewForm::FormResize()
{
    ArrangePanels();
    if (!HasPages())
        return;
    PaintEnabled = false;
    const TrpPreviewArrangement arranged =
        TrpPreviewLayout::Arrange(*Pages, CurrentPage, CanvasSize(), Zoom, ZoomMode);
    Zoom = arranged.Zoom;
    CheckZoomItems();
    ZoomBtn->SetCaption(TrpPreviewLayout::ZoomCaption(Zoom));
    SetBarRanges(arranged.HorzMax, arranged.VertMax);
    if (isVisible())
        PBox->setFocus();
    ScrollToCurrentPage();
    PaintEnabled = true;
    PBox->update();
}

void TrpPreviewForm::SetVertPosition(int position)
{
    VScrollBar->setValue(position);
}

void TrpPreviewForm::SetHorzPosition(int position)
{
    HScrollBar->setValue(position);
}

void TrpPreviewForm::ScrollToCurrentPage()
{
    if (HasPages())
        SetVertPosition(TrpPreviewLayout::PagePosition(*Pages, CurrentPage));
}

void TrpPreviewForm::VScrollBarChange(int position)
{
    const int dy = LastVPos - position;
    LastVPos = position;
    YOffset = -position;
    PBox->scroll(0, dy);
    if (HasPages())
        if (const int page = TrpPreviewLayout::PageAtPosition(*Pages, position))
            CurrentPage = page;
    UpdatePageLabel();
}

void TrpPreviewForm::HScrollBarChange(int position)
{
    const int dx = LastHPos - position;
    LastHPos = position;
    XOffset = -position;
    PBox->scroll(dx, 0);
}

void TrpPreviewForm::UpdatePageLabel()
{
    if (OnPageChanged)
        OnPageChanged(*this);
    if (!HasPages()) {
        Label1->clear();
        return;
    }
    Label1->setText(FormText(kPageText, "Page") + QLatin1Char(' ') + QString::number(CurrentPage) +
                    QLatin1Char('/') + QString::number(Pages->Count()));
}

void TrpPreviewForm::GoToPage(int page)
{
    CurrentPage = page;
    UpdatePageLabel();
    ScrollToCurrentPage();
    // Scrolling may end on a row that starts with another page: the page
    // asked for stays the current one.
    CurrentPage = page;
    UpdatePageLabel();
}

void TrpPreviewForm::PgUpClick()
{
    if (HasPages() && CurrentPage > 1)
        GoToPage(CurrentPage - 1);
}

void TrpPreviewForm::PgDownClick()
{
    if (HasPages() && std::size_t(CurrentPage) < Pages->Count())
        GoToPage(CurrentPage + 1);
}

void TrpPreviewForm::WheelTurned(int notches)
{
    SetVertPosition(VScrollBar->value() - notches * kSmallChange * WheelFactor);
}

// ---- keys ---------------------------------------------------------------------

bool TrpPreviewForm::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    if (!HasPages())
        return false;
    if (Busy()) {
        // Esc stops a search; nothing else runs meanwhile.
        if (key == Qt::Key_Escape)
            stopSearch_ = true;
        return true;
    }
    const bool ctrl = modifiers & Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Up:
        SetVertPosition(VScrollBar->value() - kSmallChange);
        return true;
    case Qt::Key_Down:
        SetVertPosition(VScrollBar->value() + kSmallChange);
        return true;
    case Qt::Key_Left:
        SetHorzPosition(HScrollBar->value() - kSmallChange);
        return true;
    case Qt::Key_Right:
        SetHorzPosition(HScrollBar->value() + kSmallChange);
        return true;
    case Qt::Key_PageUp:
        if (ctrl)
            PgUpClick();
        else
            SetVertPosition(VScrollBar->value() - kLargeChange);
        return true;
    case Qt::Key_PageDown:
        if (ctrl)
            PgDownClick();
        else
            SetVertPosition(VScrollBar->value() + kLargeChange);
        return true;
    case Qt::Key_Space:
        ZoomBtnClick();
        return true;
    case Qt::Key_Escape:
        ExitBtnClick();
        return true;
    case Qt::Key_Home:
        if (!ctrl)
            return false;
        SetVertPosition(0);
        return true;
    case Qt::Key_End:
        if (!ctrl)
            return false;
        GoToPage(int(Pages->Count()));
        return true;
    case Qt::Key_F3:
        if (ctrl)
            return true;
        FindNext();
        return true;
    case Qt::Key_O:
        if (ctrl)
            LoadBtnClick();
        return ctrl;
    case Qt::Key_S:
        if (ctrl)
            SaveBtnClick();
        return ctrl;
    case Qt::Key_P:
        if (ctrl && PrintBtn->isEnabled())
            PrintBtnClick();
        return ctrl;
    case Qt::Key_F:
        if (ctrl)
            FindBtnClick();
        return ctrl;
    case Qt::Key_E:
        if (ctrl && N5->isVisible())
            EditBtnClick();
        return ctrl;
    default:
        return ctrl;
    }
}

void TrpPreviewForm::keyPressEvent(QKeyEvent* event)
{
    if (!FormKeyDown(event->key(), event->modifiers()))
        event->ignore();
}

bool TrpPreviewForm::event(QEvent* event)
{
    // Tab and the arrows never move the focus: they are keys of the
    // window.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            FormKeyDown(key->key(), key->modifiers());
            return true;
        }
    }
    return QDialog::event(event);
}

// ---- find ---------------------------------------------------------------------

void TrpPreviewForm::FindBtnClick()
{
    if (Busy() || Report == nullptr)
        return;
    TrpPreviewSearchForm dialog(this);
    if (!ExecSearchDialog(dialog))
        return;
    Search.SetText(dialog.Edit1->text(), dialog.CB1->isChecked());
    if (dialog.RB1->isChecked())
        Search.FromFirstPage();
    else
        Search.FromCurrentPage(CurrentPage);
    FindTextInPages();
}

void TrpPreviewForm::FindNext()
{
    Search.FromCurrentPage(CurrentPage);
    if (!Search.FindText.isEmpty())
        FindTextInPages();
}

bool TrpPreviewForm::FindTextInPages()
{
    if (!HasPages() || Busy())
        return false;
    const BusyScope busy(*this);
    PaintEnabled = false;
    markPage_ = -1;
    searching_ = true;
    stopSearch_ = false;
    bool busyCursor = false;
    QElapsedTimer clock;
    clock.start();
    const QString pageText = FormText(kPageText, "Page");
    const std::size_t count = Pages->Count();
    Search.OnPage = [&](int page) {
        if (clock.elapsed() < SearchStepMs)
            return !stopSearch_;
        clock.restart();
        if (!busyCursor) {
            QApplication::setOverrideCursor(Qt::BusyCursor);
            busyCursor = true;
        }
        Label2->setText(QStringLiteral("%1 %2/%3...").arg(pageText).arg(page + 1).arg(count));
        QCoreApplication::processEvents();
        return !stopSearch_;
    };
    const bool found = Search.Search(*Pages);
    Search.OnPage = nullptr;
    searching_ = false;
    if (busyCursor) {
        QApplication::restoreOverrideCursor();
        Label2->clear();
    }
    PaintEnabled = true;
    if (Pages == nullptr)  // the report went while the search ran
        return false;
    if (found) {
        const int page = Search.FindPage + 1;
        CurrentPage = page;
        UpdatePageLabel();
        const TrpFoundView view = TrpPreviewLayout::FoundView(Pages->PageRecord(std::size_t(Search.FindPage)),
                                                              Search.FoundRect, Zoom, CanvasSize());
        SetVertPosition(view.VertPosition);
        SetHorzPosition(view.HorzPosition);
        // The bars may stop short of the hit's page: the search goes on
        // from that page all the same.
        CurrentPage = page;
        UpdatePageLabel();
        markPage_ = Search.FindPage;
    }
    PBox->update();
    return found;
}

QRect TrpPreviewForm::FoundMark() const
{
    if (markPage_ < 0 || Pages == nullptr || std::size_t(markPage_) >= Pages->Count())
        return {};
    const TrpLayoutRect& page = Pages->PageRecord(std::size_t(markPage_)).LayoutRect;
    const QRect& found = Search.FoundRect;
    const int left = page.Left + RoundToInt(found.left() * Zoom) + XOffset;
    const int top = page.Top + RoundToInt(found.top() * Zoom) + YOffset;
    const int width = RoundToInt((double(found.right()) + 1 - found.left()) * Zoom);
    const int height = RoundToInt((double(found.bottom()) + 1 - found.top()) * Zoom);
    return {left, top, width, height};
}

// ---- files --------------------------------------------------------------------

void TrpPreviewForm::LoadBtnClick()
{
    if (Busy() || !HasPages() || Report == nullptr)
        return;
    const QString fileName = OpenDialog(FormText(kReportFileText, "Report file") + " (*.rpp)|*.rpp");
    if (fileName.isEmpty())
        return;
    // The report's own set is empty while the preview shows pages: the file
    // is read into it, and shown only when it held pages.
    const TrpPreparedResult result = Report->LoadPreparedFile(fileName);
    if (Report->EMFPages->Count() == 0) {
        Report->EMFPages = Report->NewPreparedPages();
        ShowError(result.Message.empty() ? QStringLiteral("The file %1 holds no pages.").arg(fileName)
                                         : QString::fromStdString(result.Message));
        return;
    }
    TakePages();
    pagesFromFile_ = true;
    markPage_ = -1;
    CurrentPage = 1;
    PaintEnabled = false;
    FormResize();
    UpdatePageLabel();
    ScrollToCurrentPage();
    PaintEnabled = true;
    PBox->update();
    if (result.Status != TrpPreparedStatus::Loaded)
        ShowError(QString::fromStdString(result.Message));
}

void TrpPreviewForm::SaveBtnClick()
{
    if (Busy() || !HasPages() || Report == nullptr)
        return;
    // The report file, then every registered export filter; the first
    // filter marked as the default is chosen.
    QString filter = FormText(kReportFileText, "Report file") + " (*.rpp)|*.rpp";
    const std::vector<TrpExportFilterEntry> filters = ExportFilters();
    int filterIndex = 1;
    for (std::size_t i = 0; i < filters.size(); ++i) {
        filter += QLatin1Char('|') + QString::fromStdString(filters[i].Description) + QLatin1Char('|') +
                  QString::fromStdString(filters[i].Mask);
        if (filterIndex == 1 && filters[i].Filter->Default)
            filterIndex = int(i) + 2;
    }
    QString fileName = SaveDialog(filter, filterIndex);
    if (fileName.isEmpty())
        return;
    const std::size_t exporter = std::size_t(std::max(filterIndex, 2) - 2);
    const bool exporting = filterIndex >= 2 && exporter < filters.size();
    try {
        const BusyScope busy(*this);
        const LentPages lent(*this);
        if (!exporting) {
            Report->SavePreparedFile(WithExtension(fileName, QStringLiteral(".rpp")));
        } else {
            // "*.txt" gives ".txt".
            const QString mask = QString::fromStdString(filters[exporter].Mask);
            fileName = WithExtension(fileName, mask.mid(1));
            Report->ExportWithFilter(*filters[exporter].Filter, fileName.toStdString());
        }
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
    }
    if (exporting)
        ApplyZoom(false);
}

// ---- print and page set-up ----------------------------------------------------

void TrpPreviewForm::PrintBtnClick()
{
    if (Busy() || !HasPages() || Report == nullptr || !PrintersPresent())
        return;
    TrpPrinter& printer = ReportPrinter();
    TrpPrintForm dialog(printer, this);
    dialog.E1->setText(QString::number(Report->DefaultCopies));
    dialog.CollateCB->setChecked(Report->DefaultCollate);
    const int printerBefore = printer.PrinterIndex();
    if (Report->ShowPrintDialog && !ExecPrintDialog(dialog))
        return;
    // Pages built for another printer are built again for the one chosen
    // (pages read from a file are not).
    if (Report->RebuildPrinter && printer.PrinterIndex() != printerBefore && !pagesFromFile_) {
        if (!Report->SelectPrinter(printerBefore, printer.PrinterIndex()))
            return;
        RebuildReport();
    }
    const std::string range =
        dialog.CurrentPageChosen() ? std::to_string(CurrentPage) : dialog.PageRangeText().toStdString();
    try {
        const BusyScope busy(*this);
        const LentPages lent(*this);
        Report->PrintPrepared(range, dialog.Copies(), dialog.Collate(), static_cast<int>(dialog.PrintMode()));
    } catch (const std::exception& e) {
        ShowError(QString::fromStdString(e.what()));
    }
    ApplyZoom(false);
}

void TrpPreviewForm::PageSetupBtnClick()
{
    if (Busy() || !HasPages() || Report == nullptr)
        return;
    const TrpEMFPage& first = Pages->PageRecord(0);
    TrpPageSetupMargins margins{first.MarginLeft * 500 / 18, first.MarginTop * 500 / 18,
                                first.MarginRight * 500 / 18, first.MarginBottom * 500 / 18};
    if (!PageSetupDialog(margins))
        return;
    TrpPrinter& printer = ReportPrinter();
    printer.ReadDeviceSettings();
    // A custom paper keeps its size; the others take it from the paper.
    const bool custom = printer.PaperSize == kPaperCustom;
    for (std::size_t i = 0; i < Report->Pages.Count(); ++i) {
        TrpPage& page = Report->Pages.Page(i);
        if (page.PageType != 0)
            continue;
        page.MarginLeft = margins.Left * 18 / 500;
        page.MarginTop = margins.Top * 18 / 500;
        page.MarginRight = margins.Right * 18 / 500;
        page.MarginBottom = margins.Bottom * 18 / 500;
        page.ApplyPaper(printer.PaperSize, printer.Bin, custom ? printer.PaperWidth : 0,
                        custom ? printer.PaperHeight : 0, printer.Orientation);
    }
    RebuildReport();
    ApplyZoom(true);
}

bool TrpPreviewForm::RebuildReport()
{
    {
        const BusyScope busy(*this);
        Report->Prepare();
    }
    if (Report == nullptr || Report->EMFPages->Count() == 0)
        return false;
    Pages.reset();
    TakePages();
    pagesFromFile_ = false;
    markPage_ = -1;
    return true;
}

// ---- help and exit ------------------------------------------------------------

void TrpPreviewForm::HelpBtnClick()
{
    HelpMode = true;
    QApplication::setOverrideCursor(Qt::WhatsThisCursor);
    grabMouse();
    HelpBtn->SetDown(false);
    HelpBtn->update();
}

void TrpPreviewForm::LeaveHelpMode()
{
    if (!HelpMode)
        return;
    HelpMode = false;
    releaseMouse();
    QApplication::restoreOverrideCursor();
}

void TrpPreviewForm::HelpAt(QPoint windowPos)
{
    LeaveHelpMode();
    QWidget* control = childAt(windowPos);
    if (control == nullptr || control == HelpBtn)
        return;
    int context = 0;
    for (QWidget* w = control; w != nullptr && w != this && context == 0; w = w->parentWidget())
        context = EngineHelpContext(w);
    if (context != 0)
        ShowHelp(mapToGlobal(windowPos), context);
}

void TrpPreviewForm::mousePressEvent(QMouseEvent* event)
{
    if (HelpMode) {
        HelpAt(event->position().toPoint());
        return;
    }
    QDialog::mousePressEvent(event);
}

void TrpPreviewForm::ExitBtnClick()
{
    if (Report == nullptr)
        return;
    if (Busy()) {
        stopSearch_ = true;
        closeAfterWork_ = true;
        return;
    }
    if (isModal())
        done(1);
    else if (auto* child = qobject_cast<QMdiSubWindow*>(parentWidget()))
        child->close();
    else
        close();
}

// ---- page editing (needs a report designer) -----------------------------------

void TrpPreviewForm::EditBtnClick() {}

void TrpPreviewForm::NewPageBtnClick()
{
    if (!HasPages() || Report == nullptr || Report->Pages.Count() == 0)
        return;
    Pages->InsertPage(std::size_t(CurrentPage), Report->Pages.Page(0));
    ApplyZoom(false);
}

void TrpPreviewForm::DelPageBtnClick()
{
    if (!HasPages() || Pages->Count() < 2)
        return;
    if (!AskYesNo(QStringLiteral("Remove page %1?").arg(CurrentPage)))
        return;
    Pages->DeletePage(std::size_t(CurrentPage) - 1);
    ApplyZoom(true);
}

// ---- window events ------------------------------------------------------------

void TrpPreviewForm::showEvent(QShowEvent* event)
{
    SetTexts();
    if (!placementRestored_ && !MdiChild) {
        placementRestored_ = true;
        RestoreFormPlacement(*this, kClassName);
    }
    QDialog::showEvent(event);
}

void TrpPreviewForm::closeEvent(QCloseEvent* event)
{
    if (Busy()) {
        // The work ends first, then the window closes.
        stopSearch_ = true;
        closeAfterWork_ = true;
        event->ignore();
        return;
    }
    LeaveHelpMode();
    try {
        if (!MdiChild)
            SaveFormPlacement(*this, kClassName);
    } catch (const std::exception&) {
        // A placement that cannot be kept does not keep the window open.
    }
    QDialog::closeEvent(event);
}

void TrpPreviewForm::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange) {
        if (isActiveWindow()) {
            SetApplicationHelpFile(QLatin1String(kEngineHelpFile));
            PBox->setFocus();
        } else {
            SetApplicationHelpFile(SavedHelpFile);
        }
    }
    QDialog::changeEvent(event);
}

bool TrpPreviewForm::eventFilter(QObject* watched, QEvent* event)
{
    // The page area changed its size: lay the pages out again.
    if (watched == ScrollBox1 && event->type() == QEvent::Resize)
        FormResize();
    return QDialog::eventFilter(watched, event);
}

} // namespace report
