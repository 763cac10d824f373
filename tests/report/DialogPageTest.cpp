// Dialog pages: the form shown before a report is built.  Nothing in the
// program registers a dialog control, so these tests register their own: a
// button that closes the form with its modal result.

#include "report/RP_Class.h"
#include "report/RpDialogPage.h"

#include "platform/WindowBounds.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <gtest/gtest.h>

using namespace report;

namespace {

class TestButton : public TrpControl {
public:
    std::string ClassName() const override { return "TTestButton"; }
    QWidget* PlaceOnForm(QWidget& form) override
    {
        button = new QPushButton(QString::fromStdString(Name), &form);  // owned by the form
        button->setGeometry(Left, Top, Width, Height);
        auto* dialog = static_cast<QDialog*>(&form);
        QObject::connect(button, &QPushButton::clicked, dialog, [dialog, this] { dialog->done(result); });
        return button;
    }
    void RemoveFromForm() override { button = nullptr; }

    int result = TrpDialogForm::kOk;
    QPushButton* button = nullptr;
};

struct Host : TrpViewHost {
    bool progressShown = true;
    std::vector<bool> progressCalls;
    int scripts = 0;
    bool failScript = false;
    std::vector<std::string> errors;
    std::vector<TrpNonVisualControl*> components;

    void RunPageScript(TrpPage&) override
    {
        ++scripts;
        if (failScript)
            throw Exception("bad script");
    }
    bool SetProgressVisible(bool visible) override
    {
        progressCalls.push_back(visible);
        return std::exchange(progressShown, visible);
    }
    void CalculationError(std::exception_ptr error) override
    {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            errors.emplace_back(e.what());
        }
    }
    void NonVisualControl(TrpNonVisualControl& control) override { components.push_back(&control); }
};

struct DialogPage {
    Host host;
    TrpPrinter printer;
    TrpPages pages;
    TrpPage* page;

    DialogPage()
    {
        pages.Host = &host;
        pages.Printer = &printer;
        page = &pages.Add();
        page->PageType = 1;
        page->Caption = "Choose the events";
        page->Script = {"A := 1"};
    }
    TestButton& AddButton(const std::string& name)
    {
        auto button = std::make_unique<TestButton>();
        button->Name = name;
        button->Left = 10, button->Top = 10, button->Width = 80, button->Height = 24;
        return static_cast<TestButton&>(*page->AddObject(std::move(button)));
    }
    // Clicks the button once the modal loop runs.
    static void ClickLater(TestButton& button)
    {
        QTimer::singleShot(0, [&button] {
            ASSERT_NE(button.button, nullptr);
            button.button->click();
        });
    }
};

} // namespace

TEST(DialogPage, OkGoesOnAndCancelStopsTheRun)
{
    for (const int result : {TrpDialogForm::kOk, TrpDialogForm::kCancel, TrpDialogForm::kNone}) {
        DialogPage d;
        TestButton& button = d.AddButton("OK");
        button.result = result;
        DialogPage::ClickLater(button);
        EXPECT_EQ(d.page->PrepareDialog(), result == TrpDialogForm::kOk) << result;
        ASSERT_NE(d.page->Form(), nullptr);
        EXPECT_EQ(d.page->Form()->windowTitle(), "Choose the events");
        EXPECT_EQ(platform::WindowBounds(*d.page->Form()).size(), QSize(380, 300)) << "frame included";
        EXPECT_EQ(d.host.scripts, 1) << "the script is the form's activation";
        EXPECT_EQ(d.host.progressCalls, (std::vector<bool>{false, true})) << "hidden, then shown again";
        d.page->UnprepareDialog();
        EXPECT_EQ(d.page->Form(), nullptr);
        EXPECT_EQ(button.button, nullptr);
    }
}

TEST(DialogPage, TheFormsBoundsAreItsOuterRectangle)
{
    // Left, top, width and height are those of the whole window, frame and
    // title bar included: as designed, or centred on the screen.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const struct {
        std::uint8_t position;
        QRect bounds;
    } cases[] = {
        {0, QRect(220, 120, 380, 300)},
        {4, QRect(area.left() + (area.width() - 380) / 2, area.top() + (area.height() - 300) / 2, 380, 300)},
    };
    for (const auto& c : cases) {
        DialogPage d;
        d.page->Position = c.position;
        TestButton& button = d.AddButton("OK");
        QRect shown;
        QTimer::singleShot(0, [&] {
            shown = platform::WindowBounds(*d.page->Form());
            button.button->click();
        });
        EXPECT_TRUE(d.page->PrepareDialog());
        EXPECT_EQ(shown, c.bounds) << int(c.position);
        EXPECT_NE(d.page->Form()->frameGeometry(), d.page->Form()->geometry()) << "the window has a frame";
        d.page->UnprepareDialog();
    }
}

TEST(DialogPage, WithoutVisibleFormTheScriptJustRuns)
{
    DialogPage empty;
    auto component = std::make_unique<TrpNonVisualControl>();
    TrpNonVisualControl* nonVisual = static_cast<TrpNonVisualControl*>(empty.page->AddObject(std::move(component)));
    EXPECT_TRUE(empty.page->PrepareDialog());
    EXPECT_EQ(empty.host.scripts, 1);
    EXPECT_TRUE(empty.host.progressCalls.empty());
    EXPECT_EQ(empty.host.components, std::vector<TrpNonVisualControl*>{nonVisual});

    DialogPage hidden;
    hidden.AddButton("OK");
    hidden.page->Visible = false;
    EXPECT_TRUE(hidden.page->PrepareDialog());
    EXPECT_EQ(hidden.host.scripts, 1);
    EXPECT_FALSE(hidden.page->Form()->isVisible());
}

TEST(DialogPage, ControlsTakeTheirVisibility)
{
    DialogPage d;
    TestButton& shown = d.AddButton("Shown");
    TestButton& unseen = d.AddButton("Unseen");
    unseen.Visible = false;
    QTimer::singleShot(0, [&] {
        EXPECT_TRUE(shown.button->isVisible());
        EXPECT_FALSE(unseen.button->isVisible());
        shown.button->click();
    });
    EXPECT_TRUE(d.page->PrepareDialog());
}

TEST(DialogPage, ActivationErrorsBecomeCalculationErrorsAndAResultSetEarlySkipsTheLoop)
{
    DialogPage d;
    d.AddButton("OK");
    d.host.failScript = true;
    DialogPage::ClickLater(static_cast<TestButton&>(*d.page->Objects[0]));
    EXPECT_TRUE(d.page->PrepareDialog());
    EXPECT_EQ(d.host.errors, std::vector<std::string>{"bad script"});

    // A script that closes the form itself: no modal loop is entered.
    struct Closing : Host {
        TrpPage* page = nullptr;
        void RunPageScript(TrpPage&) override { page->Form()->done(TrpDialogForm::kCancel); }
    };
    Closing closing;
    DialogPage e;
    e.pages.Host = &closing;
    closing.page = e.page;
    e.AddButton("OK");
    EXPECT_FALSE(e.page->PrepareDialog());
}
