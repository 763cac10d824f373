#pragma once
// The engine's texts, by number (53000 to 55769), and the locale of the
// report values.
//
// The program's own string table is the resource
// resources/report/engine-strings.txt.  A localisation callback may answer
// any number first, and a string table loaded from a file (a translation,
// in the same form) replaces the program's.  A number that nothing holds
// gives the empty text.

#include "ValueText.h"

#include <QString>

#include <functional>
#include <string>
#include <unordered_map>

class QLocale;

namespace report {

class TrpLocale {
public:
    // Texts longer than this are cut, as the platform's string loading did.
    static constexpr std::size_t kMaxText = 1023;

    using TLocalizeEvent = std::function<void(int id, std::string& text)>;

    // Answers first when it gives a text that is not empty.
    TLocalizeEvent OnLocalize;

    // Reads a string table from a file, in the form of the program's own,
    // to use in its place (the printer model takes its names from it
    // again).  False (and the program's table stays) when the file cannot
    // be read.
    bool LoadResourceLibrary(const QString& path);
    void FreeResourceLibrary();
    bool LibraryLoaded() const { return loaded_; }

    void ResourceText(int id, std::string& text) const;

private:
    std::unordered_map<int, std::string> library_;
    bool loaded_ = false;
};

// The single instance, created on first use.
TrpLocale& EngineLocale();

// The engine text with that number.
std::string LoadEngineString(int id);

// A string table in the resource's form: lines of a number, a tab and the
// text; "#" starts a comment line.  Lines that are not of this form are
// passed over.
std::unordered_map<int, std::string> ParseStringTable(const QByteArray& bytes);

// The separators, names and long date form of a Qt locale for report
// values.
FormatSettings LocaleFormatSettings(const QLocale& locale);

} // namespace report
