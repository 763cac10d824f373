#pragma once
// The application object: the program's title, the forms created at start
// (the first of them is the main form), the message loop, the handler that
// shows an exception that escaped an event handler, and help: the help key
// (F1) in any window asks the help handler for the help context of the
// window that has the focus.

#include <QApplication>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

inline constexpr char kApplicationTitle[] = "Quellvane";

class TApplication : public QApplication {
    Q_OBJECT

public:
    // Sets the title "Quellvane" and makes the library's own error reports
    // message boxes.
    TApplication(int& argc, char** argv);
    // Frees the forms, last created first.
    ~TApplication() override;

    // The application of the process, or null when there is none (or it is
    // a plain QApplication).
    static TApplication* Instance();

    // Creates a form that the application owns.  The first form created is
    // the main form: the loop runs until it closes.
    template <class Form, class... Args>
    Form* CreateForm(Args&&... args)
    {
        auto form = std::make_unique<Form>(std::forward<Args>(args)...);
        Form* made = form.get();
        forms_.push_back(std::move(form));
        return made;
    }

    // The first form of that class, or null.
    template <class Form>
    Form* FindForm() const
    {
        for (const auto& form : forms_)
            if (auto* found = dynamic_cast<Form*>(form.get()))
                return found;
        return nullptr;
    }

    QWidget* MainForm() const { return forms_.empty() ? nullptr : forms_.front().get(); }

    // Shows the main form and runs the message loop until it closes.
    int Run();

    // Shows an exception's message as every failure that ends a command is
    // shown: the error icon and the application's title.
    static void HandleException(const char* message);

    bool notify(QObject* receiver, QEvent* event) override;

    // --- help
    // The command of a help request for a help context.
    static constexpr int kHelpContextCommand = 1;
    // Shows help for a command and a help context; true when help was shown.
    using THelpHandler = std::function<bool(int command, int context)>;
    void SetOnHelp(THelpHandler handler) { onHelp_ = std::move(handler); }
    // Asks the help handler for a help context; false without a handler.
    bool HelpContext(int context);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<std::unique_ptr<QWidget>> forms_;
    THelpHandler onHelp_;
};

// The application's form of a class, or a form of the caller's own where
// the application has none, made on first use.
template <class Form>
Form& ApplicationForm(std::unique_ptr<Form>& own)
{
    if (const TApplication* app = TApplication::Instance())
        if (Form* form = app->FindForm<Form>())
            return *form;
    if (!own)
        own = std::make_unique<Form>();
    return *own;
}
