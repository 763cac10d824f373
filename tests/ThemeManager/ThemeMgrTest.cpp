#include "PaintedImages.h"
#include "ThemeTestSupport.h"

#include "ThemeManager/ThemeMgr.h"
#include "ThemeManager/ThemeSrv.h"
#include "ThemeManager/UxTheme.h"
#include "ThemeManager/XPSystemButton.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSplitter>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

using platform::PlatformProfile;
using platform::ScopedProfile;

namespace {

// Controls that count how often they paint themselves.
template <class Base>
class Counting : public Base {
public:
    using Base::Base;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        ++paints;
        Base::paintEvent(event);
    }
};

// A window with one control of each kind the manager tells apart.
struct TestForm {
    std::unique_ptr<QDialog> dialog = std::make_unique<QDialog>();
    QPushButton* push = new QPushButton(QStringLiteral("OK"), dialog.get());
    Counting<QToolButton>* speed = new Counting<QToolButton>(dialog.get());
    Counting<QGroupBox>* group = new Counting<QGroupBox>(QStringLiteral("Types"), dialog.get());
    QCheckBox* check = new QCheckBox(QStringLiteral("Error"), group);
    Counting<QStatusBar>* status = new Counting<QStatusBar>(dialog.get());
    QLabel* label = new QLabel(QStringLiteral("Source"), dialog.get());
    QTableView* list = new QTableView(dialog.get());
    QSplitter* splitter = new QSplitter(dialog.get());
    QWidget* panel = new QWidget(dialog.get());
    TXPSystemButton* caption = new TXPSystemButton(dialog.get());

    TestForm()
    {
        dialog->resize(400, 300);
        push->setGeometry(10, 10, 80, 24);
        speed->setText(QStringLiteral("Stop"));
        speed->setGeometry(100, 10, 60, 24);
        group->setGeometry(10, 40, 150, 60);
        check->setGeometry(10, 20, 100, 20);
        status->setGeometry(0, 270, 400, 30);
        label->setGeometry(170, 10, 60, 20);
        list->setGeometry(10, 110, 200, 100);
        splitter->addWidget(new QWidget);
        splitter->addWidget(new QWidget);
        splitter->setGeometry(220, 110, 150, 100);
        panel->setGeometry(220, 40, 100, 60);
        caption->setGeometry(370, 10, 14, 14);
    }
};

class Listener {
public:
    explicit Listener(bool handles = false, bool raises = false)
        : handles_(handles)
        , raises_(raises)
    {
    }
    int calls = 0;

    void OnMessage(TThemeManager*, QWidget*, QEvent*, bool& handled)
    {
        ++calls;
        if (raises_)
            throw std::runtime_error("listener failed");
        handled = handles_;
    }

private:
    bool handles_;
    bool raises_;
};

void sendUserEvent(QObject* to)
{
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(to, &event);
}

} // namespace

TEST(ThemeManager, HooksTheControlsOfEveryFormByTheirClass)
{
    TestForm form;
    TThemeManager manager;
    ASSERT_TRUE(manager.IsMainManager());
    EXPECT_TRUE(manager.HookWasInstalled());
    manager.Loaded();

    using C = TControlClass;
    struct Case {
        const char* name;
        QWidget* control;
        std::optional<C> hookedAs;
    };
    const Case cases[] = {
        {"the form", form.dialog.get(), C::Form},
        {"push button", form.push, C::ButtonControl},
        {"tool button", form.speed, C::SpeedButton},
        {"group box", form.group, C::GroupBox},
        {"check box in the group", form.check, C::ButtonControl},
        {"status bar", form.status, C::StatusBar},
        {"label: not windowed", form.label, std::nullopt},
        {"table view", form.list, C::ListView},
        {"the table's viewport", form.list->viewport(), C::WinControl},
        {"splitter", form.splitter, C::WinControl},
        {"splitter handle", form.splitter->handle(1), C::Splitter},
        {"plain widget", form.panel, C::WinControl},
        {"caption button: refuses", form.caption, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(manager.HookedAs(c.control), c.hookedAs);
    }
}

TEST(ThemeManager, FollowsTheWidgetTreeAndLetsGo)
{
    TestForm form;
    auto manager = std::make_unique<TThemeManager>();
    manager->Loaded();
    const int buttons = manager->ControlList(TControlClass::ButtonControl).Count();

    // A child added later is hooked once it is complete.
    auto* later = new QPushButton(QStringLiteral("Later"), form.dialog.get());
    EXPECT_FALSE(manager->HookedAs(later));
    Settle();
    EXPECT_EQ(manager->HookedAs(later), TControlClass::ButtonControl);

    // Taken out of the form, it leaves; destroyed, so does the check box
    // with its group box.
    later->setParent(nullptr);
    EXPECT_FALSE(manager->HookedAs(later));
    delete later;
    delete form.group;
    EXPECT_EQ(manager->ControlList(TControlClass::ButtonControl).Count(), buttons - 1);
    EXPECT_EQ(manager->ControlList(TControlClass::GroupBox).Count(), 0);

    // Released, every list is empty; the controls live on unhooked.
    manager->UnhookAll();
    for (int c = 0; c < kControlClassCount; ++c)
        EXPECT_EQ(manager->ControlList(static_cast<TControlClass>(c)).Count(), 0);
    manager->HookForms();
    manager.reset();
    sendUserEvent(form.push);
    form.dialog->grab();
}

TEST(ThemeManager, WithoutThemesHooksListViewsOnly)
{
    TestForm form;
    (void)GetThemeServices();
    ScopedTheme switchedOff(WithoutVisualStyle());
    TThemeManager manager;
    EXPECT_FALSE(manager.HookWasInstalled());
    manager.Loaded();
    EXPECT_EQ(manager.HookedAs(form.list), TControlClass::ListView);
    EXPECT_FALSE(manager.HookedAs(form.push));
    EXPECT_FALSE(manager.HookedAs(form.dialog.get()));
}

TEST(ThemeManager, LeavesAloneWhatIsVetoedOrRefuses)
{
    TestForm form;
    TThemeManager manager;
    manager.OnAllowSubclassing = [&](TThemeManager* sender, QWidget* control, bool& allow) {
        EXPECT_EQ(sender, &manager);
        if (control == form.group)
            allow = false;
    };
    manager.Loaded();
    EXPECT_FALSE(manager.HookedAs(form.group));
    EXPECT_FALSE(manager.HookedAs(form.check)); // not reached through its group
    EXPECT_FALSE(manager.HookedAs(form.caption));
    EXPECT_TRUE(manager.HookedAs(form.push));

    TDenySubclassingEvent question;
    QCoreApplication::sendEvent(form.caption, &question);
    EXPECT_EQ(question.Result(), -1);
}

TEST(ThemeManager, TheFirstIsTheMainManagerAndAnotherTakesOverWhenItGoes)
{
    TestForm form;
    auto first = std::make_unique<TThemeManager>();
    first->SetOptions(kDefaultThemeOptions.Without(toSubclassButtons));
    first->Loaded();
    TThemeManager second;
    second.Loaded();
    EXPECT_TRUE(first->IsMainManager());
    EXPECT_TRUE(second.SubclassingDisabled());
    EXPECT_EQ(second.Options(), first->Options());
    EXPECT_FALSE(second.HookedAs(form.dialog.get()));
    // Without its own option a button is one of the other windowed controls.
    EXPECT_EQ(first->HookedAs(form.push), TControlClass::WinControl);

    // Options set on the second are the main manager's.
    second.SetOptions(kDefaultThemeOptions);
    EXPECT_EQ(first->Options(), kDefaultThemeOptions);

    first.reset();
    EXPECT_EQ(TThemeManager::MainManager(), nullptr);
    Settle();
    EXPECT_TRUE(second.IsMainManager());
    EXPECT_FALSE(second.SubclassingDisabled());
    EXPECT_EQ(second.HookedAs(form.push), TControlClass::ButtonControl);
}

TEST(ThemeManager, AListenerThatRaisesIsDroppedAndTheNextOneRuns)
{
    TestForm form;
    TThemeManager manager;
    manager.Loaded();
    Listener raising(false, true);
    Listener counting;
    Listener handling(true);
    Listener last;
    manager.RegisterListener(&raising, &Listener::OnMessage);
    manager.RegisterListener(&counting, &Listener::OnMessage);
    manager.RegisterListener(&handling, &Listener::OnMessage);
    manager.RegisterListener(&last, &Listener::OnMessage);
    manager.RegisterListener(&last, &Listener::OnMessage); // once only
    EXPECT_EQ(manager.ListenerCount(), 4);

    sendUserEvent(form.push);
    EXPECT_EQ(manager.ListenerCount(), 3);
    EXPECT_EQ(raising.calls, 1);
    EXPECT_EQ(counting.calls, 1);
    EXPECT_EQ(handling.calls, 1);
    EXPECT_EQ(last.calls, 0); // the one before handled it

    sendUserEvent(form.push);
    EXPECT_EQ(raising.calls, 1);
    EXPECT_EQ(counting.calls, 2);

    manager.UnregisterListener(&handling, &Listener::OnMessage);
    sendUserEvent(form.push);
    EXPECT_EQ(last.calls, 1);

    // OnControlMessage comes first and may handle it alone.
    manager.OnControlMessage = [](TThemeManager*, QWidget*, QEvent* message, bool& handled) {
        handled = message->type() == QEvent::User;
    };
    sendUserEvent(form.push);
    EXPECT_EQ(counting.calls, 3);
}

TEST(ThemeManager, PaintsSpeedButtonsAndGroupBoxesItself)
{
    TestForm form;
    TThemeManager manager;
    manager.Loaded();
    form.speed->grab();
    form.group->grab();
    form.status->grab();
    EXPECT_EQ(form.speed->paints, 0);
    EXPECT_EQ(form.group->paints, 0);
    EXPECT_EQ(form.status->paints, 1); // its background first, then its own painting

    ScopedTheme switchedOff(WithoutVisualStyle());
    form.speed->grab();
    form.group->grab();
    EXPECT_EQ(form.speed->paints, 1);
    EXPECT_EQ(form.group->paints, 1);
}

// Speed buttons, flat or not, show their captions and glyphs as Qt's tool
// buttons choose them: a button without a glyph shows its caption in every
// style.
TEST(ThemeManager, PaintsTheCaptionsAndGlyphsOfSpeedButtons)
{
    const QColor glyphColour(0xFF, 0x00, 0xFF);
    QPixmap glyphPicture(12, 12);
    glyphPicture.fill(glyphColour);
    const QIcon glyph(glyphPicture);
    struct Case {
        const char* name;
        bool flat;
        bool withGlyph;
        Qt::ToolButtonStyle style;
        bool caption;
        bool showsGlyph;
    } cases[] = {
        {"flat, caption only (Stop)", true, false, Qt::ToolButtonIconOnly, true, false},
        {"raised, caption only", false, false, Qt::ToolButtonIconOnly, true, false},
        {"flat, caption only, text style", true, false, Qt::ToolButtonTextOnly, true, false},
        {"flat, glyph beside the caption", true, true, Qt::ToolButtonTextBesideIcon, true, true},
        {"raised, glyph above the caption", false, true, Qt::ToolButtonTextUnderIcon, true, true},
        {"flat, glyph only", true, true, Qt::ToolButtonIconOnly, false, true},
        {"flat, caption only though it has a glyph", true, true, Qt::ToolButtonTextOnly, true, false},
    };
    TestForm form;
    form.dialog->show();
    TThemeManager manager;
    manager.Loaded();
    ASSERT_EQ(manager.HookedAs(form.speed), TControlClass::SpeedButton);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form.speed->setAutoRaise(c.flat);
        form.speed->setIcon(c.withGlyph ? glyph : QIcon());
        form.speed->setIconSize(QSize(12, 12));
        form.speed->setToolButtonStyle(c.style);
        form.speed->setGeometry(100, 10, 60, 44);
        const int paintsBefore = form.speed->paints;
        const QImage picture = form.dialog->grab(form.speed->geometry()).toImage();
        EXPECT_EQ(form.speed->paints, paintsBefore) << "the manager paints the button";
        // The visual style writes a flat button's caption in the window
        // text colour, a raised one's in the button text colour.
        const QColor text = QApplication::palette().color(c.flat ? QPalette::WindowText : QPalette::ButtonText);
        EXPECT_EQ(PixelsNear(picture, text) >= 10, c.caption) << PixelsNear(picture, text);
        EXPECT_EQ(PixelsNear(picture, glyphColour, 0) >= 12 * 12 / 2, c.showsGlyph);
    }
}

TEST(ThemeManager, HooksANewWindowOnceItIsPolished)
{
    TThemeManager manager;
    manager.Loaded();
    TestForm form;
    EXPECT_FALSE(manager.HookedAs(form.dialog.get()));
    form.dialog->ensurePolished();
    Settle();
    EXPECT_EQ(manager.HookedAs(form.dialog.get()), TControlClass::Form);
    EXPECT_EQ(manager.HookedAs(form.push), TControlClass::ButtonControl);
}

TEST(ThemeManager, AnArrowKeyShowsTheFormsFocusCues)
{
    TestForm form;
    TThemeManager manager;
    manager.Loaded();
    form.dialog->setAttribute(Qt::WA_KeyboardFocusChange, false);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(form.group, &down);
    EXPECT_TRUE(form.dialog->testAttribute(Qt::WA_KeyboardFocusChange));

    TestForm plain;
    ScopedTheme switchedOff(WithoutVisualStyle());
    plain.dialog->setAttribute(Qt::WA_KeyboardFocusChange, false);
    QCoreApplication::sendEvent(plain.group, &down);
    EXPECT_FALSE(plain.dialog->testAttribute(Qt::WA_KeyboardFocusChange));
}

TEST(ThemeManager, ItsOptionsSetTheApplicationsThemeProperties)
{
    ScopedProfile restore(platform::CurrentProfile());
    TestForm form;
    TThemeManager manager;
    manager.Loaded();
    int changes = 0;
    manager.OnThemeChange = [&](TThemeManager*) { ++changes; };

    manager.SetOptions(kDefaultThemeOptions.Without(toAllowControls));
    EXPECT_EQ(UxTheme().GetThemeAppProperties(), STAP_ALLOW_NONCLIENT | STAP_ALLOW_WEBCONTENT);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(GetThemeServices().ControlsEnabled());
    EXPECT_EQ(QApplication::style()->name(), QStringLiteral("windows"));

    manager.SetOptions(kDefaultThemeOptions);
    EXPECT_EQ(UxTheme().GetThemeAppProperties(), 7u);
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(GetThemeServices().GetThemesEnabled());
    EXPECT_EQ(QApplication::style()->name(), QStringLiteral("fusion"));
}
