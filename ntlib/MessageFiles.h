#pragma once
// Event descriptions and category texts from the message files that event
// sources register: the values of a source's registry key, the paths in
// them made usable from this computer, messages formatted from the files
// with the event's insertion strings, parameter references ("%%" and a
// message number) replaced by their texts, and the text for an event whose
// description cannot be found.
//
// The reader (TNTEventLog) supplies what lives in the registry: the values
// of the source's key and the system root of its computer.  Everything else
// is here, so that its description and category operations stay thin:
//
//   description: FormatEventDescription, else FormatMissingDescription and
//                the reader's OnDescriptionNotFound handler;
//   category:    ResolveCategoryName on the reader's TCategoryCache;
//   source's message files: the key's values, then ResolveMessageFilePaths.

#include "CategoryCache.h"

#include "platform/Win32Types.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// One value of an event source's registry key, with its text as the
// registry reader gives it.
struct TMessageFileEntry {
    std::string Name;
    std::string Value;
};
// The values of a source's key, in the order the registry enumerates them.
using TSourceMessageFiles = std::vector<TMessageFileEntry>;

inline constexpr std::string_view kEventMessageFile = "EventMessageFile";
inline constexpr std::string_view kCategoryMessageFile = "CategoryMessageFile";
inline constexpr std::string_view kParameterMessageFile = "ParameterMessageFile";

// The library's texts.
inline constexpr std::string_view SDescriptionNotFound =
    "The description for Event ID ( %d ) in Source ( %s ) could not be found. It contains the following insertion "
    "string(s): .";
inline constexpr std::string_view SCategoryNone = "None";

// Message buffers: descriptions and categories start at 16384 bytes,
// parameter texts at 2048; a message that needs more is formatted again in
// a larger buffer, up to kMaxMessageBuffer.
inline constexpr std::size_t kMessageBuffer = 16384;
inline constexpr std::size_t kParameterBuffer = 2048;
inline constexpr std::size_t kMaxMessageBuffer = 4 * 1024 * 1024;
// Entries of the insertion-argument array; strings beyond it are not passed.
inline constexpr std::size_t kInsertionArguments = 4096;

// True for "EventMessageFile", "CategoryMessageFile" and
// "ParameterMessageFile", in any case.
bool IsMessageFileValue(std::string_view name);

// The value of the first entry with this name (in any case), or null.
const std::string* FindMessageFileValue(const TSourceMessageFiles& files, std::string_view name);

// Where the search for the log key that holds a source starts:
// "SYSTEM\CurrentControlSet\Services\EventLog\", below "Security\" for the
// source "Security" (which is also the name of a log).
std::string SourceLogSearchStart(const std::string& source);

// The paths of a message-file value: a value without ";" is one path,
// blanks included; otherwise every ";" separates two paths.
std::vector<std::string> SplitPathList(const std::string& value);

// Gives the system root of the computer whose message files are read
// ("C:\WINNT"); called only when a path needs it.  It raises ENTException
// when the root cannot be found.
using TSystemRootReader = std::function<std::string()>;

// The local system root from GetWindowsDirectoryA; a failure raises the
// last platform error.
std::string GetLocalSystemRoot();

// One path of a remote computer as seen from here: "c:\winnt\x.dll" on SRV1
// is "\\SRV1\C$\winnt\x.dll".  `machineName` is given with or without its
// leading backslashes.  A UNC path stays as it is; a path without a drive
// but from the root ("\dir\x.dll") is taken on the system root's drive; a
// bare or relative name ("x.dll") is taken in the remote system directory,
// "\\SRV1\ADMIN$\system32\x.dll", where the computer's own loader finds it.
std::string AdministrativeSharePath(const std::string& path, const std::string& machineName,
                                    const TSystemRootReader& systemRoot);

// A message-file value made usable from this computer: lower-cased, every
// "%systemroot%" (in any case) replaced by the system root as given, and,
// for a remote computer (a `machineName` that is not empty), every path of
// the list turned into its administrative-share form.
std::string ResolveMessageFilePath(const std::string& value, const std::string& machineName,
                                   const TSystemRootReader& systemRoot);

// Resolves the value of every message-file entry in place; the system
// root is asked for at most once.
void ResolveMessageFilePaths(TSourceMessageFiles& files, const std::string& machineName,
                             const TSystemRootReader& systemRoot);

// A message file loaded as data, unloaded with the object.
class TMessageModule {
public:
    TMessageModule() = default;
    explicit TMessageModule(HMODULE module)
        : module_(module)
    {
    }
    ~TMessageModule();
    TMessageModule(TMessageModule&& other) noexcept;
    TMessageModule& operator=(TMessageModule&& other) noexcept;
    TMessageModule(const TMessageModule&) = delete;
    TMessageModule& operator=(const TMessageModule&) = delete;

    HMODULE Handle() const { return module_; }
    explicit operator bool() const { return module_ != nullptr; }

private:
    HMODULE module_ = nullptr;
};

// The first file of a path list that loads as a data file, or none.
TMessageModule LoadMessageModule(const std::string& pathList);

// The message files in use, each loaded once and kept loaded until the
// cache is cleared: the descriptions of a log's events read the same few
// files again and again.  After Clear every file loads anew on its next
// use, so a file changed since is read as it is now.
class TMessageFileCache {
public:
    // The modules of a path list, in its order; null for a path that does
    // not load.
    const std::vector<HMODULE>& Modules(const std::string& pathList);
    void Clear();

    // Scratch space of the formatting, kept between calls.
    std::vector<std::uintptr_t>& Arguments() { return arguments_; }
    std::vector<char>& Buffer() { return buffer_; }

private:
    std::unordered_map<std::string, TMessageModule> modules_;
    std::unordered_map<std::string, std::vector<HMODULE>> lists_;
    std::vector<std::uintptr_t> arguments_;
    std::vector<char> buffer_;
};

// Formats message `messageId` from the first file of the list that has it,
// with the insertion strings (none: every insert stays as written).  An
// insert beyond the strings stays as written; an insert with a numeric
// format ("%2!lu!") shows its string, never a number made of its address.
// False, and `text` untouched, when no file gives it.  With a cache the
// files come from it; without one they are loaded for this call only.
bool FormatMessageFromFiles(const std::string& pathList, DWORD messageId, const std::vector<std::string>* strings,
                            std::string& text, TMessageFileCache* cache = nullptr);

// Replaces the parameter references of a text by their texts.  Scanning
// from the left, each "%%" followed by decimal digits names a message of
// the parameter file (when `parameterPaths` is given and one of them
// loads) or else of the system's messages; a reference found is replaced
// by the message's text, appended to `parameters` in order, and that text
// is not scanned again; a "%%" that is not followed by digits or whose
// message is found nowhere loses its first "%".  Nothing else of the text
// is interpreted: insertion strings and message texts keep every other
// "%" sequence as they are.
std::string ExpandParameterStrings(const std::string& text, const std::string* parameterPaths,
                                   std::vector<std::string>& parameters, TMessageFileCache* cache = nullptr);

// "The description for Event ID ( <low 16 bits of the id> ) in Source
// ( <source> ) could not be found. ...", then each insertion string after a
// CR LF.
std::string FormatMissingDescription(DWORD eventId, const std::string& source,
                                     const std::vector<std::string>& strings);

// Gives the message-file entries of the event's source, resolved as
// ResolveMessageFilePaths does (empty when the source is not registered);
// registry failures raise ENTException.
using TMessageFilesReader = std::function<TSourceMessageFiles()>;

// The description of an event from its source's "EventMessageFile" files,
// with the parameter references expanded from its "ParameterMessageFile".
// False (`text` untouched) when the source is empty, not registered, has no
// event message file, or no file has the message: the caller then shows
// FormatMissingDescription.  The source's files are read only when the
// source is not empty.  Errors of `readFiles` propagate.
bool FormatEventDescription(DWORD eventId, const std::string& source, const std::vector<std::string>& strings,
                            const TMessageFilesReader& readFiles, std::string& text,
                            TMessageFileCache* cache = nullptr);
// The same with the source's files read already.
bool FormatEventDescription(DWORD eventId, const TSourceMessageFiles& files, const std::vector<std::string>& strings,
                            std::string& text, TMessageFileCache* cache = nullptr);

// The category text of (source, category): "None" for category 0 (not
// cached); else the cached text, or the message of that number from the
// source's "CategoryMessageFile" files, empty when there is none or no
// file has it.  The text is cached also when empty, and also when reading
// the files raised (an empty text is cached and the error propagates).
std::string ResolveCategoryName(TCategoryCache& cache, const std::string& source, std::uint16_t category,
                                const TMessageFilesReader& readFiles);
