#pragma once
// The questions that reports ask the user: the INPUT and MESSAGEBOX
// functions go through this seam, so that tests can answer them.

#include <string>

namespace report {

// Message-box flags and answers, as reports give and expect them.
namespace MessageBoxFlag {
constexpr int Ok = 0;
constexpr int OkCancel = 1;
constexpr int YesNoCancel = 3;
constexpr int YesNo = 4;
constexpr int IconError = 0x10;
constexpr int IconQuestion = 0x20;
constexpr int IconWarning = 0x30;
constexpr int IconInformation = 0x40;
} // namespace MessageBoxFlag

namespace MessageBoxAnswer {
constexpr int Ok = 1;
constexpr int Cancel = 2;
constexpr int Yes = 6;
constexpr int No = 7;
} // namespace MessageBoxAnswer

class TrpQuestions {
public:
    virtual ~TrpQuestions() = default;
    // A modal input box; the text entered, or the default when the user
    // cancels.
    virtual std::string InputBox(const std::string& caption, const std::string& prompt,
                                 const std::string& defaultText) = 0;
    // A modal message box with the buttons and icon of the flags; the answer
    // of the button pressed.
    virtual int MessageBox(const std::string& text, const std::string& caption, int flags) = 0;
};

// The program's dialogs.
class TrpDialogQuestions final : public TrpQuestions {
public:
    std::string InputBox(const std::string& caption, const std::string& prompt,
                         const std::string& defaultText) override;
    int MessageBox(const std::string& text, const std::string& caption, int flags) override;
};

} // namespace report
