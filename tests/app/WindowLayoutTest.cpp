// Every window of the program and of the report engine, in the themed look
// (NT 5.1 with a visual style: Qt's "Fusion") and in the plain look (NT 5.0:
// "Windows"), laid out with the fonts the program registers: each label,
// button, check box and radio button with a fixed caption shows its whole
// text, and no control crosses a group box's caption or frame.

#include "AppFakes.h"
#include "MainWindowSite.h"
#include "WhenShown.h"

#include "app/about.h"
#include "app/browsent.h"
#include "app/common.h"
#include "app/compopen.h"
#include "app/dwy_dlgs.h"
#include "app/EventFilter.h"
#include "app/NameList.h"
#include "app/filt_frm.h"
#include "app/logprop.h"
#include "app/logview.h"
#include "app/main.h"
#include "app/sel_comp.h"

#include "ntlib/FunctionBinding.h"

#include "platform/HelpWindow.h"
#include "platform/PlatformProfile.h"

#include "ThemeManager/ControlClasses.h"
#include "ThemeManager/ThemeMgr.h"

#include "report/RP_PrDlg.h"
#include "report/RP_View.h"
#include "report/RpFmtForm.h"
#include "report/RpPasswForm.h"
#include "report/RpPreviewSearchForm.h"
#include "report/RP_Prntr.h"
#include "report/RpProgressForm.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using platform::PlatformProfile;

// ---------------------------------------------------------------------------
// What a window shows

std::string describe(const QWidget* widget)
{
    QString text;
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        text = label->text();
    else if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        text = button->text();
    else if (const auto* box = qobject_cast<const QGroupBox*>(widget))
        text = box->title();
    const QRect r = widget->geometry();
    return QStringLiteral("%1 \"%2\" at (%3, %4) %5 x %6")
        .arg(QString::fromLatin1(widget->metaObject()->className()), text)
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height())
        .toStdString();
}

std::string sizeText(QSize size)
{
    return std::to_string(size.width()) + " x " + std::to_string(size.height());
}

// Parts of Qt's own composite widgets (spin boxes, combo boxes, item views,
// the title bars of MDI windows, a tool bar's extension button) and the
// hints of a status bar are no captions of the window's.
bool isOwnControl(const QWidget* widget, const QWidget* window)
{
    for (const QWidget* up = widget; up && up != window; up = up->parentWidget()) {
        if (up->objectName().startsWith(QLatin1String("qt_")))
            return false;
        const QWidget* parent = up->parentWidget();
        if (parent && parent != window &&
            (qobject_cast<const QAbstractSpinBox*>(parent) || qobject_cast<const QComboBox*>(parent) ||
             qobject_cast<const QAbstractItemView*>(parent) || qobject_cast<const QStatusBar*>(parent)))
            return false;
    }
    return true;
}

QStyleOptionGroupBox groupBoxOption(const QGroupBox* box)
{
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.lineWidth = 1;
    option.midLineWidth = 0;
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame;
    if (!box->title().isEmpty())
        option.subControls |= QStyle::SC_GroupBoxLabel;
    if (box->isCheckable()) {
        option.subControls |= QStyle::SC_GroupBoxCheckBox;
        option.state |= box->isChecked() ? QStyle::State_On : QStyle::State_Off;
    }
    if (box->isFlat())
        option.features |= QStyleOptionFrame::Flat;
    return option;
}

QStyleOptionButton buttonOption(const QAbstractButton* button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    if (const auto* push = qobject_cast<const QPushButton*>(button)) {
        if (push->isDefault())
            option.features |= QStyleOptionButton::DefaultButton;
        if (push->autoDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
        if (push->isFlat())
            option.features |= QStyleOptionButton::Flat;
    }
    return option;
}

// What a control with a caption lacks to show the whole of it; empty when
// it shows whole (or has no caption).
std::string captionFault(const QWidget* widget)
{
    QSize needed;
    QSize room = widget->size();
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        if (label->text().isEmpty())
            return {};
        needed = label->wordWrap() ? QSize(label->width(), label->heightForWidth(label->width()))
                                   : label->sizeHint();
    } else if (const auto* push = qobject_cast<const QPushButton*>(widget)) {
        if (push->text().isEmpty())
            return {};
        // A push button's least width is the style's, not its caption's:
        // the caption has to fit where the style draws it.
        const QStyleOptionButton option = buttonOption(push);
        room = push->style()->subElementRect(QStyle::SE_PushButtonContents, &option, push).size();
        needed = push->fontMetrics().size(Qt::TextShowMnemonic, push->text());
        if (!push->icon().isNull())
            needed += QSize(push->iconSize().width() + 4, 0);
    } else if (qobject_cast<const QCheckBox*>(widget) || qobject_cast<const QRadioButton*>(widget)) {
        if (static_cast<const QAbstractButton*>(widget)->text().isEmpty())
            return {};
        // The mark, the gap and the caption side by side; in height, the
        // taller of the mark and a line of the caption (the size hint adds
        // room for a focus frame around them).
        const bool check = qobject_cast<const QCheckBox*>(widget);
        const int mark = widget->style()->pixelMetric(
            check ? QStyle::PM_IndicatorHeight : QStyle::PM_ExclusiveIndicatorHeight, nullptr, widget);
        needed = QSize(widget->sizeHint().width(), std::max(mark, widget->fontMetrics().height()));
    } else if (const auto* tool = qobject_cast<const QToolButton*>(widget)) {
        if (tool->text().isEmpty() || tool->toolButtonStyle() == Qt::ToolButtonIconOnly ||
            (tool->toolButtonStyle() == Qt::ToolButtonFollowStyle &&
             tool->style()->styleHint(QStyle::SH_ToolButtonStyle, nullptr, tool) == Qt::ToolButtonIconOnly))
            return {};
        needed = tool->sizeHint();
    } else {
        return {};
    }
    if (needed.width() <= room.width() && needed.height() <= room.height())
        return {};
    return describe(widget) + " needs " + sizeText(needed) + " where it has " + sizeText(room);
}

// Where a group box's caption stands: where the theme manager writes it
// in a box it paints, else where the style puts it.
QRect captionRect(const QGroupBox* box)
{
    if (box->title().isEmpty())
        return {};
    if (const TThemeManager* manager = TThemeManager::MainManager();
        manager && manager->HookedAs(box) == TControlClass::GroupBox && QApplication::style()->name() == "fusion")
        return {QPoint(8, 0), box->fontMetrics().size(Qt::TextShowMnemonic, box->title())};
    const QStyleOptionGroupBox option = groupBoxOption(box);
    return box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
}

// A group box as its own painting shows it (its controls left out): the
// frame is where the painting first changes the background, looking in
// from each side (the caption's columns aside); its lines are two pixels
// wide at most.
class DrawnGroupBox {
public:
    explicit DrawnGroupBox(const QGroupBox* box)
        : caption_(captionRect(box)),
          blankCaption_(box->title().trimmed().isEmpty()),
          ground_(box->palette().color(box->backgroundRole())),
          image_(box->size(), QImage::Format_RGB32)
    {
        image_.fill(ground_);
        const_cast<QGroupBox*>(box)->render(&image_, QPoint(), QRegion(), QWidget::RenderFlags());
        const int w = image_.width();
        const int h = image_.height();
        int top = h;
        for (int x = 0; x < w; ++x) {
            if (caption_.isValid() && x >= caption_.left() - 2 && x <= caption_.right() + 2)
                continue;
            for (int y = 0; y < top; ++y)
                if (ink(x, y)) {
                    top = y;
                    break;
                }
        }
        int left = 0, right = w - 1, bottom = h - 1;
        while (left < w && !ink(left, h / 2))
            ++left;
        while (right >= 0 && !ink(right, h / 2))
            --right;
        while (bottom >= 0 && !ink(w / 2, bottom))
            --bottom;
        if (top < h && left < right && top < bottom)
            frame_ = QRect(QPoint(left, top), QPoint(right, bottom));
    }

    // Where the caption stands (its text may be blanks).
    const QRect& Caption() const { return caption_; }
    bool BlankCaption() const { return blankCaption_; }
    // Inside the frame's lines; empty when the box draws no frame.
    QRect Inside() const { return frame_.isValid() ? frame_.adjusted(2, 2, -2, -2) : QRect(); }

    // A rectangle of the box's own that a line of its frame runs through.
    bool LineThrough(const QRect& r) const
    {
        if (!frame_.isValid())
            return false;
        const QRect area = r.intersected(image_.rect());
        const QRect inside = Inside();
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (frame_.contains(QPoint(x, y)) && !inside.contains(QPoint(x, y)) && ink(x, y))
                    return true;
        return false;
    }

private:
    bool ink(int x, int y) const { return image_.pixelColor(x, y) != ground_; }

    QRect caption_;
    bool blankCaption_;
    QColor ground_;
    QImage image_;
    QRect frame_;
};

// The controls of a group box that cross its caption or its frame, and the
// other controls of the window that lie across them.
std::vector<std::string> groupBoxFaults(const QGroupBox* box, const QWidget* window,
                                        const std::vector<const QWidget*>& controls)
{
    const DrawnGroupBox drawn(box);
    const QRect inside = drawn.Inside();
    std::vector<std::string> faults;
    for (const QWidget* control : controls) {
        if (control == box || control->isAncestorOf(box))
            continue;
        if (control->parentWidget() == box) {
            const QRect r = control->geometry();
            if (drawn.Caption().isValid() && r.intersects(drawn.Caption()))
                faults.push_back(describe(control) + " crosses the caption of " + describe(box));
            else if (inside.isValid() && !inside.contains(r))
                faults.push_back(describe(control) + " crosses the frame of " + describe(box));
        } else if (!box->isAncestorOf(control)) {
            // A control of the window that lies over the box: a caption of
            // blanks makes room for it, nothing else does.
            const QRect r(control->mapTo(window, QPoint()) - box->mapTo(window, QPoint()), control->size());
            if (!drawn.BlankCaption() && drawn.Caption().isValid() && r.intersects(drawn.Caption()))
                faults.push_back(describe(control) + " lies across the caption of " + describe(box));
            else if (drawn.LineThrough(r))
                faults.push_back(describe(control) + " lies across the frame of " + describe(box));
        }
    }
    return faults;
}

// Every fault of a shown window; the widgets of `mayCut` (and theirs)
// hold texts that may be cut: what the user's data fills.
std::vector<std::string> layoutFaults(const QWidget* window, const std::vector<const QWidget*>& mayCut)
{
    const std::set<const QWidget*> exempt(mayCut.begin(), mayCut.end());
    auto exempted = [&](const QWidget* widget) {
        for (const QWidget* up = widget; up && up != window; up = up->parentWidget())
            if (exempt.count(up))
                return true;
        return false;
    };
    std::vector<const QWidget*> controls;
    for (const QWidget* widget : window->findChildren<const QWidget*>())
        if (widget->window() == window && widget->isVisibleTo(window) && isOwnControl(widget, window))
            controls.push_back(widget);
    std::vector<std::string> faults;
    for (const QWidget* widget : controls) {
        if (!exempted(widget))
            if (std::string fault = captionFault(widget); !fault.empty())
                faults.push_back(fault);
        if (const auto* box = qobject_cast<const QGroupBox*>(widget))
            for (std::string& fault : groupBoxFaults(box, window, controls))
                faults.push_back(std::move(fault));
    }
    return faults;
}

// ---------------------------------------------------------------------------
// The windows

enum class Look { Themed, Plain };

// The program on the small network, in one look; each window is checked
// where it is shown.
class Scene {
public:
    MainWindowSite network;
    platform::ScopedProfile profile;
    ScopedSystemFunctions bound;
    FakePrompts prompts;
    ScopedUserPrompts usePrompts{prompts};
    std::vector<std::string> faults;
    int checked = 0;

    explicit Scene(Look look)
        : profile(look == Look::Themed ? PlatformProfile::nt51() : PlatformProfile::nt5())
    {
        // The platform sets the look on the GUI thread's next turn.
        QCoreApplication::processEvents();
        // As in the program, the main window comes first: its theme
        // manager hooks every window made after it.
        main_ = std::make_unique<TfrmQORVMain>();
        main_->show();
        QCoreApplication::processEvents();
    }

    ~Scene()
    {
        main_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TfrmQORVMain& Main() { return *main_; }

    // Shows a window of the test's own and checks it.
    void ShowAndCheck(QWidget& window, const std::vector<const QWidget*>& mayCut = {})
    {
        window.show();
        QCoreApplication::processEvents();
        Check(window, mayCut);
        window.hide();
    }

    void Check(const QWidget& window, const std::vector<const QWidget*>& mayCut = {})
    {
        ++checked;
        for (std::string& fault : layoutFaults(&window, mayCut))
            faults.push_back(window.windowTitle().toStdString() + ": " + fault);
    }

private:
    std::unique_ptr<TfrmQORVMain> main_;
};

struct WindowCase {
    const char* name;
    std::function<void(Scene&)> check;
};

const WindowCase kWindows[] = {
    {"MainWindow",
     [](Scene& s) {
         TfrmQORVMain& main = s.Main();
         s.Check(main);
     }},
    {"LogWindow",
     [](Scene& s) {
         TfrmQORVMain& main = s.Main();
         main.OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmReuse);
         ASSERT_EQ(main.LogWindows().size(), 1u);
         s.Check(main);
     }},
    {"FilterDialog",
     [](Scene& s) {
         for (const char* caption : {"Filter", "Find"}) {
             TfrmFilterDesign dialog;
             TEventFilter criteria;
             WhenShown<TfrmFilterDesign>([&s](TfrmFilterDesign& shown) {
                 s.Check(shown);
                 shown.reject();
             });
             dialog.Execute(QString::fromLatin1(caption), criteria, TNameList(), TNameList());
         }
     }},
    {"LogProperties",
     [](Scene& s) {
         TfrmLogProperties dialog;
         dialog.SetComputerName(QString());
         dialog.SetLogName(QStringLiteral("Application"));
         // The file's facts are the log's own data.
         s.ShowAndCheck(dialog, {dialog.edFileName(), dialog.SizeLabel(), dialog.CreatedDate(),
                                 dialog.ModifiedDate(), dialog.AccessedDate(), dialog.CreatedTime(),
                                 dialog.ModifiedTime(), dialog.AccessedTime()});
     }},
    {"OpenLog",
     [](Scene& s) {
         TfrmCompBrowse dialog;
         s.ShowAndCheck(dialog);
     }},
    {"SelectComputer",
     [](Scene& s) {
         TSelectCompForm dialog;
         s.ShowAndCheck(dialog);
     }},
    {"BrowseNetwork",
     [](Scene& s) {
         TNTBrowseNetForm dialog;
         s.ShowAndCheck(dialog);
     }},
    {"AboutBox",
     [](Scene& s) {
         TAboutForm dialog;
         s.ShowAndCheck(dialog);
     }},
    {"ConfirmationBox",
     [](Scene& s) {
         for (const char* question : {"Do you really want to quit?",
                                      "Do you really want to close all event log windows?"}) {
             TMessageBoxWithCheck box(QString::fromLatin1(question), QString::fromLatin1(kApplicationTitle),
                                      MB_YESNO | MB_ICONQUESTION, false, QString::fromLatin1(kDontAskMeAgain));
             s.ShowAndCheck(box);
         }
     }},
    {"HelpWindow",
     [](Scene& s) {
         platform::HelpWindow window;
         s.ShowAndCheck(window);
     }},
    {"PreviewWindow",
     [](Scene& s) {
         TfrmQORVMain& main = s.Main();
         main.OpenLog(QStringLiteral("WKS1"), QStringLiteral("Application"), olmReuse);
         bool shown = false;
         WhenModalUp<report::TrpPreviewForm>([&](report::TrpPreviewForm& preview) {
             shown = true;
             // The page number in the status bar is the report's.
             s.Check(preview);
             preview.ExitBtnClick();
         });
         main.actPrintPreview()->trigger();
         EXPECT_TRUE(shown);
     }},
    {"PreviewSearchDialog",
     [](Scene& s) {
         report::TrpPreviewSearchForm dialog;
         s.ShowAndCheck(dialog);
     }},
    {"ProgressWindow",
     [](Scene& s) {
         report::TrpProgressForm window;
         window.Button1->setText(QStringLiteral("Cancel"));
         // The two lines are the run's.
         s.ShowAndCheck(window, {window.Label1, window.Label2});
     }},
    {"PrintDialog",
     [](Scene& s) {
         report::TrpPrinter printer;
         report::TrpPrintForm dialog(printer);
         s.ShowAndCheck(dialog);
     }},
    {"PasswordDialog",
     [](Scene& s) {
         report::TrpPasswForm dialog;
         s.ShowAndCheck(dialog);
     }},
    {"DisplayFormatDialog",
     [](Scene& s) {
         report::TrpFmtForm dialog;
         dialog.Format = 0x01010200 | ',';
         s.ShowAndCheck(dialog);
     }},
};

class WindowLayoutTest : public ::testing::TestWithParam<std::tuple<int, Look>> {};

TEST_P(WindowLayoutTest, EveryCaptionShowsWholeAndNoControlCrossesAGroupBox)
{
    const WindowCase& window = kWindows[std::get<0>(GetParam())];
    const Look look = std::get<1>(GetParam());
    Scene scene(look);
    ASSERT_EQ(QApplication::style()->name().toStdString(), look == Look::Themed ? "fusion" : "windows");
    window.check(scene);
    EXPECT_GT(scene.checked, 0);
    for (const std::string& fault : scene.faults)
        ADD_FAILURE() << fault;
}

INSTANTIATE_TEST_SUITE_P(
    Windows, WindowLayoutTest,
    ::testing::Combine(::testing::Range(0, static_cast<int>(std::size(kWindows))),
                       ::testing::Values(Look::Themed, Look::Plain)),
    [](const ::testing::TestParamInfo<WindowLayoutTest::ParamType>& info) {
        return std::string(kWindows[std::get<0>(info.param)].name) +
               (std::get<1>(info.param) == Look::Themed ? "_Themed" : "_Plain");
    });

} // namespace
