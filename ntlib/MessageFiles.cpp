#include "MessageFiles.h"

#include "NTException.h"

#include "platform/Kernel32.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <utility>

namespace {

const std::string kSystemRootVariable = "%systemroot%";

bool equalNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

std::string lowerCase(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

std::string upperCase(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

bool isDriveLetter(char c)
{
    return std::isalpha(static_cast<unsigned char>(c)) != 0 && static_cast<unsigned char>(c) < 0x80;
}

bool hasDrive(const std::string& path)
{
    return path.size() >= 2 && isDriveLetter(path[0]) && path[1] == ':';
}

std::string hostOf(const std::string& machineName)
{
    const auto first = machineName.find_first_not_of('\\');
    return first == std::string::npos ? std::string() : machineName.substr(first);
}

// Formats one message of a module, in a buffer that grows when the message
// does not fit (`scratch` when given, kept for the next call).  Empty when
// the module does not give the message.
std::optional<std::string> formatFromModule(DWORD flags, HMODULE module, DWORD messageId, void* arguments,
                                            std::size_t initialSize, std::vector<char>* scratch = nullptr)
{
    std::vector<char> own;
    std::vector<char>& buffer = scratch ? *scratch : own;
    for (std::size_t size = initialSize;; size *= 4) {
        if (buffer.size() < size)
            buffer.resize(size);
        SetLastError(0);
        const DWORD length = FormatMessageA(flags, module, messageId, 0, buffer.data(), static_cast<DWORD>(size),
                                            arguments);
        // An empty message formats to nothing without an error.
        if (length > 0 || GetLastError() == ERROR_SUCCESS)
            return std::string(buffer.data(), length);
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size >= kMaxMessageBuffer)
            return std::nullopt;
    }
}

std::optional<std::string> parameterText(HMODULE module, DWORD number)
{
    if (module)
        if (auto text = formatFromModule(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, module, number,
                                         nullptr, kParameterBuffer))
            return text;
    return formatFromModule(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, number, nullptr,
                            kParameterBuffer);
}

} // namespace

bool IsMessageFileValue(std::string_view name)
{
    return equalNoCase(name, kEventMessageFile) || equalNoCase(name, kCategoryMessageFile) ||
           equalNoCase(name, kParameterMessageFile);
}

const std::string* FindMessageFileValue(const TSourceMessageFiles& files, std::string_view name)
{
    for (const TMessageFileEntry& entry : files)
        if (equalNoCase(entry.Name, name))
            return &entry.Value;
    return nullptr;
}

std::string SourceLogSearchStart(const std::string& source)
{
    std::string key = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\";
    if (upperCase(source) == "SECURITY")
        key += "Security\\";
    return key;
}

std::vector<std::string> SplitPathList(const std::string& value)
{
    std::vector<std::string> paths;
    std::size_t from = 0;
    for (std::size_t at = value.find(';'); at != std::string::npos; at = value.find(';', from)) {
        paths.push_back(value.substr(from, at - from));
        from = at + 1;
    }
    paths.push_back(value.substr(from));
    return paths;
}

std::string GetLocalSystemRoot()
{
    std::vector<char> buffer(261);
    for (;;) {
        SetLastError(0);
        const UINT length = GetWindowsDirectoryA(buffer.data(), static_cast<UINT>(buffer.size()));
        if (length == 0) {
            RaiseLastNTError();
            return {};
        }
        if (length < buffer.size())
            return std::string(buffer.data(), length);
        buffer.resize(length); // the size needed, NUL included
    }
}

std::string AdministrativeSharePath(const std::string& path, const std::string& machineName,
                                    const TSystemRootReader& systemRoot)
{
    const std::string share = "\\\\" + hostOf(machineName) + "\\";
    if (path.empty() || path.rfind("\\\\", 0) == 0)
        return path;
    if (hasDrive(path)) {
        std::string rest = path.substr(2);
        if (rest.empty() || rest[0] != '\\')
            rest.insert(rest.begin(), '\\');
        return share + static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))) + "$" + rest;
    }
    if (path[0] == '\\') {
        const std::string root = systemRoot();
        const char drive = hasDrive(root) ? static_cast<char>(std::toupper(static_cast<unsigned char>(root[0]))) : 'C';
        return share + drive + "$" + path;
    }
    return share + "ADMIN$\\system32\\" + path;
}

std::string ResolveMessageFilePath(const std::string& value, const std::string& machineName,
                                   const TSystemRootReader& systemRoot)
{
    std::string path = lowerCase(value);
    if (path.find(kSystemRootVariable) != std::string::npos) {
        const std::string root = systemRoot();
        std::string expanded;
        std::size_t from = 0;
        for (std::size_t at = path.find(kSystemRootVariable); at != std::string::npos;
             at = path.find(kSystemRootVariable, from)) {
            expanded += path.substr(from, at - from) + root;
            from = at + kSystemRootVariable.size();
        }
        path = expanded + path.substr(from);
    }
    if (machineName.empty())
        return path;
    std::string remote;
    const std::vector<std::string> paths = SplitPathList(path);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (i > 0)
            remote += ';';
        remote += AdministrativeSharePath(paths[i], machineName, systemRoot);
    }
    return remote;
}

void ResolveMessageFilePaths(TSourceMessageFiles& files, const std::string& machineName,
                             const TSystemRootReader& systemRoot)
{
    std::optional<std::string> root;
    const TSystemRootReader rootOnce = [&]() {
        if (!root)
            root = systemRoot();
        return *root;
    };
    for (TMessageFileEntry& entry : files)
        if (IsMessageFileValue(entry.Name))
            entry.Value = ResolveMessageFilePath(entry.Value, machineName, rootOnce);
}

TMessageModule::~TMessageModule()
{
    if (module_)
        FreeLibrary(module_);
}

TMessageModule::TMessageModule(TMessageModule&& other) noexcept
    : module_(std::exchange(other.module_, nullptr))
{
}

TMessageModule& TMessageModule::operator=(TMessageModule&& other) noexcept
{
    if (this != &other) {
        if (module_)
            FreeLibrary(module_);
        module_ = std::exchange(other.module_, nullptr);
    }
    return *this;
}

TMessageModule LoadMessageModule(const std::string& pathList)
{
    for (const std::string& path : SplitPathList(pathList))
        if (HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE))
            return TMessageModule(module);
    return TMessageModule();
}

const std::vector<HMODULE>& TMessageFileCache::Modules(const std::string& pathList)
{
    const auto known = lists_.find(pathList);
    if (known != lists_.end())
        return known->second;
    std::vector<HMODULE> modules;
    for (const std::string& path : SplitPathList(pathList)) {
        auto loaded = modules_.find(path);
        if (loaded == modules_.end())
            loaded = modules_.emplace(path, TMessageModule(LoadLibraryExA(path.c_str(), nullptr,
                                                                          LOAD_LIBRARY_AS_DATAFILE))).first;
        modules.push_back(loaded->second.Handle());
    }
    return lists_.emplace(pathList, std::move(modules)).first->second;
}

void TMessageFileCache::Clear()
{
    lists_.clear();
    modules_.clear();
    arguments_.clear();
    buffer_.clear();
}

bool FormatMessageFromFiles(const std::string& pathList, DWORD messageId, const std::vector<std::string>* strings,
                            std::string& text, TMessageFileCache* cache)
{
    std::vector<std::uintptr_t> own;
    std::vector<std::uintptr_t>& arguments = cache ? cache->Arguments() : own;
    if (arguments.size() != kInsertionArguments)
        arguments.assign(kInsertionArguments, 0);
    const std::size_t count = strings ? std::min(strings->size(), arguments.size()) : 0;
    for (std::size_t k = 0; k < count; ++k)
        arguments[k] = reinterpret_cast<std::uintptr_t>((*strings)[k].c_str());
    // The array is all zeros again for the next call that shares it.
    struct Cleared {
        std::vector<std::uintptr_t>& arguments;
        std::size_t count;
        ~Cleared() { std::fill_n(arguments.begin(), count, 0); }
    } cleared{arguments, count};
    // Insertion strings are texts also where the message gives an insert a
    // numeric format.
    auto formatFrom = [&](HMODULE module) {
        return formatFromModule(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY |
                                    FORMAT_MESSAGE_STRING_ARGUMENTS,
                                module, messageId, arguments.data(), kMessageBuffer,
                                cache ? &cache->Buffer() : nullptr);
    };
    if (cache) {
        for (HMODULE module : cache->Modules(pathList)) {
            if (!module)
                continue;
            if (auto formatted = formatFrom(module)) {
                text = std::move(*formatted);
                return true;
            }
        }
        return false;
    }
    for (const std::string& path : SplitPathList(pathList)) {
        const TMessageModule module(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
        if (!module)
            continue;
        if (auto formatted = formatFrom(module.Handle())) {
            text = std::move(*formatted);
            return true;
        }
    }
    return false;
}

std::string ExpandParameterStrings(const std::string& text, const std::string* parameterPaths,
                                   std::vector<std::string>& parameters, TMessageFileCache* cache)
{
    parameters.clear();
    if (text.find("%%") == std::string::npos)
        return text;
    TMessageModule loaded;
    HMODULE parameterModule = nullptr;
    if (parameterPaths && cache) {
        for (HMODULE m : cache->Modules(*parameterPaths))
            if (m && !parameterModule)
                parameterModule = m;
    } else if (parameterPaths) {
        loaded = LoadMessageModule(*parameterPaths);
        parameterModule = loaded.Handle();
    }

    // The text is rewritten into `result` from left to right; what has been
    // written is never scanned again, so neither a parameter's text nor a
    // reference that lost its "%" is taken for another reference.
    std::string result;
    std::size_t from = 0;
    for (std::size_t at = text.find("%%"); at != std::string::npos; at = text.find("%%", from)) {
        result.append(text, from, at - from);
        std::size_t end = at + 2;
        std::uint64_t number = 0;
        bool valid = false;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
            number = number * 10 + static_cast<std::uint64_t>(text[end] - '0');
            if (number > 0xFFFFFFFF)
                number = 0x100000000; // too large for a message number; stays too large
            valid = true;
            ++end;
        }
        std::optional<std::string> found;
        if (valid && number <= 0xFFFFFFFF)
            found = parameterText(parameterModule, static_cast<DWORD>(number));
        if (found) {
            parameters.push_back(*found);
            result += *found;
            from = end;
        } else {
            from = at + 1; // the reference loses its first "%"; the second may start another "%%"
        }
    }
    result.append(text, from, std::string::npos);
    return result;
}

std::string FormatMissingDescription(DWORD eventId, const std::string& source, const std::vector<std::string>& strings)
{
    std::string text(SDescriptionNotFound);
    const std::string id = std::to_string(eventId & 0xFFFF);
    text.replace(text.find("%d"), 2, id);
    text.replace(text.find("%s"), 2, source);
    for (const std::string& s : strings)
        text += "\r\n" + s;
    return text;
}

bool FormatEventDescription(DWORD eventId, const std::string& source, const std::vector<std::string>& strings,
                            const TMessageFilesReader& readFiles, std::string& text, TMessageFileCache* cache)
{
    if (source.empty())
        return false;
    return FormatEventDescription(eventId, readFiles(), strings, text, cache);
}

bool FormatEventDescription(DWORD eventId, const TSourceMessageFiles& files, const std::vector<std::string>& strings,
                            std::string& text, TMessageFileCache* cache)
{
    const std::string* eventFiles = FindMessageFileValue(files, kEventMessageFile);
    std::string formatted;
    if (!eventFiles || !FormatMessageFromFiles(*eventFiles, eventId, &strings, formatted, cache))
        return false;
    if (formatted.find("%%") != std::string::npos) {
        std::vector<std::string> parameters;
        formatted =
            ExpandParameterStrings(formatted, FindMessageFileValue(files, kParameterMessageFile), parameters, cache);
    }
    text = std::move(formatted);
    return true;
}

std::string ResolveCategoryName(TCategoryCache& cache, const std::string& source, std::uint16_t category,
                                const TMessageFilesReader& readFiles)
{
    if (category == 0)
        return std::string(SCategoryNone);
    std::string text;
    if (cache.Find(source, category, text))
        return text;
    try {
        const TSourceMessageFiles files = readFiles();
        if (const std::string* categoryFiles = FindMessageFileValue(files, kCategoryMessageFile))
            if (!FormatMessageFromFiles(*categoryFiles, category, nullptr, text))
                text.clear();
    } catch (...) {
        cache.Add(source, category, std::string());
        throw;
    }
    cache.Add(source, category, text);
    return text;
}
