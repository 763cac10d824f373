#include "AccountSource.h"

#include "ErrorCodes.h"
#include "Kernel32.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <vector>

namespace platform {
namespace {

// Knows the local computer only, and no accounts file for it.
class LocalComputerOnly : public AccountSource {
public:
    DWORD AccountsFileOf(std::string_view computer, std::string& hostPath) override
    {
        hostPath.clear();
        const std::string localName = LocalComputerName();
        const bool same = std::equal(computer.begin(), computer.end(), localName.begin(), localName.end(),
                                     [](unsigned char a, unsigned char b) { return std::toupper(a) == std::toupper(b); });
        return same ? ERROR_SUCCESS : ERROR_BAD_NETPATH;
    }

    std::string DomainControllerOf(std::string_view) override { return {}; }
};

struct SourceSlot {
    std::mutex mutex;
    std::shared_ptr<AccountSource> source;
};

SourceSlot& slot()
{
    static SourceSlot s;
    return s;
}

} // namespace

std::string LocalComputerName()
{
    std::vector<char> name(MAX_COMPUTERNAME_LENGTH + 1);
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD size = static_cast<DWORD>(name.size());
        if (GetComputerNameA(name.data(), &size))
            return std::string(name.data(), size);
        if (GetLastError() != ERROR_BUFFER_OVERFLOW)
            break;
        name.resize(size);
    }
    return {};
}

std::shared_ptr<AccountSource> CurrentAccountSource()
{
    SourceSlot& s = slot();
    std::lock_guard lock(s.mutex);
    if (!s.source)
        s.source = std::make_shared<LocalComputerOnly>();
    return s.source;
}

void SetAccountSource(std::shared_ptr<AccountSource> source)
{
    SourceSlot& s = slot();
    std::lock_guard lock(s.mutex);
    s.source = std::move(source);
}

ScopedAccountSource::ScopedAccountSource(std::shared_ptr<AccountSource> source)
    : previous_(CurrentAccountSource())
{
    SetAccountSource(std::move(source));
}

ScopedAccountSource::~ScopedAccountSource()
{
    SetAccountSource(std::move(previous_));
}

} // namespace platform
