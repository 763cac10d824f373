#pragma once
// A report template as one byte stream: the printer settings, the pages,
// their objects, the data dictionary and the report's descriptive
// information.  Writes version 25; reads versions 21 to 25.
//
// Templates come from files, so the reader checks every length, count and
// position against the stream: a damaged template reports
// "Unsupported RPF format" and leaves an empty template (one empty page).

#include "RpDictionary.h"
#include "RpPage.h"
#include "RpViewFactory.h"

#include <functional>
#include <string>

namespace report {

constexpr int kTemplateVersion = 25;
constexpr int kOldestTemplateVersion = 21;
constexpr std::size_t kMaxTemplatePages = 256;

namespace RecordType {
constexpr std::uint8_t Page = 255;
constexpr std::uint8_t Dictionary = 254;
constexpr std::uint8_t Extension = 253;
constexpr std::uint8_t End = 252;
} // namespace RecordType

// The report's descriptive information, the template's last part.
struct TrpReportInfo {
    std::string Comment, Name, Author;
    std::string VersionMajor, VersionMinor, VersionRelease, VersionBuild;
    std::string Password;
    std::uint8_t Marker = 88;
    std::uint8_t Protected = 0;
    double Created = 0;     // date-time
    double LastChange = 0;  // date-time
};

enum class TrpTemplateStatus {
    Loaded,
    EmptyStream,         // nothing to read: the template is unchanged
    UnsupportedVersion,  // a version above 25: the template is unchanged
    Damaged,             // the template is one empty page
    MissingClasses,      // add-in classes are missing: the pages read stay
    PasswordRefused,     // the template is one empty page
};

class TrpReportTemplate {
public:
    static constexpr const char* kUnsupportedFormat = "Unsupported RPF format";
    static constexpr const char* kUntitled = "Untitled";

    TrpReportTemplate();
    TrpReportTemplate(const TrpReportTemplate&) = delete;
    TrpReportTemplate& operator=(const TrpReportTemplate&) = delete;

    TrpTemplateStatus ReadTemplate(TrpStream& stream);
    // Raises EWriteError for a template that the stream cannot carry (more
    // than 256 pages, a text longer than 65,535 bytes).
    void WriteTemplate(TrpStream& stream);

    // The "ReportForm" property: int32 25, then, when the template is stored
    // with the form, int32 length and the template stream.
    TrpTemplateStatus ReadReportForm(TrpStream& property, bool storeInDfm);
    void WriteReportForm(TrpStream& property, bool storeInDfm);

    // Empty texts and password, both dates now, not protected, marker 88.
    void ResetInfo();
    // No pages, an empty dictionary, single pass, the information reset.
    void Clear();

    TrpPages Pages;
    TrpDataDictionary Dictionary;
    TrpReportInfo Info;
    std::int16_t KeepDefaultPrinter = 0;
    std::int16_t DoublePassReport = 0;
    std::string PrinterName;
    std::string FileName = kUntitled;
    // The display name of the printer model's virtual printer, written as
    // "\001".
    std::string VirtualPrinterName = "Virtual printer";

    // Add-in classes for type-10 objects; none when null.
    const TrpAddInRegistry* AddIns = nullptr;
    // Selects the template's printer (unless KeepDefaultPrinter is set).
    std::function<void(const std::string& printerName)> OnSelectPrinter;
    // Shows an error message (caption "Error").
    std::function<void(const std::string& message)> OnError;
    // Asks for the password of a protected template read from a file;
    // false when the user cancels.
    std::function<bool(std::string& password)> OnPassword;
    // The current date and time; the system clock (UTC) unless replaced.
    std::function<double()> Now;

    // The message of the last read that failed.
    std::string LastMessage;

private:
    void ReadRecords(TrpStream& stream, std::string& missing);
    void ReadObjectRecord(TrpStream& stream, std::uint8_t type, std::string& missing);
    void ReadInfo(TrpStream& stream);
    void WriteInfo(TrpStream& stream);
    void ReplaceByEmptyPage();
    void Fail(const std::string& message);
};

} // namespace report
