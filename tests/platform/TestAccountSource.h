#pragma once
// A small network of computers for account lookups: each computer has an
// accounts file in a temporary directory (or none), an optional domain
// controller and the code it answers a connection with.  It counts the
// questions the platform asks it.

#include "platform/AccountSource.h"
#include "platform/ErrorCodes.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

class TestAccountSource : public platform::AccountSource {
public:
    int fileQueries = 0;

    TestAccountSource()
    {
        static std::atomic<int> counter{0};
        directory_ = std::filesystem::temp_directory_path() /
                     ("qv-accounts-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(directory_);
    }
    ~TestAccountSource() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(directory_, ignored);
    }
    TestAccountSource(const TestAccountSource&) = delete;
    TestAccountSource& operator=(const TestAccountSource&) = delete;

    // A computer that answers; `accounts` is the text of its accounts file.
    void addComputer(const std::string& name, const std::string& accounts, const std::string& controller = {})
    {
        Computer& c = computers_[upper(name)];
        c.controller = controller;
        c.path = (directory_ / upper(name) / "accounts.txt").string();
        writeAccounts(name, accounts);
    }
    // A computer without an accounts file.
    void addComputerWithoutFile(const std::string& name, const std::string& controller = {})
    {
        Computer& c = computers_[upper(name)];
        c.controller = controller;
        c.path.clear();
    }
    // A computer that refuses every connection with `code`.
    void addFailingComputer(const std::string& name, DWORD code) { computers_[upper(name)].code = code; }
    // A computer that refused connections answers again.
    void answerAgain(const std::string& name) { computers_[upper(name)].code = ERROR_SUCCESS; }

    void writeAccounts(const std::string& name, const std::string& accounts)
    {
        const std::filesystem::path path = directory_ / upper(name) / "accounts.txt";
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary | std::ios::trunc) << accounts;
    }

    DWORD AccountsFileOf(std::string_view computer, std::string& hostPath) override
    {
        ++fileQueries;
        hostPath.clear();
        auto it = computers_.find(upper(std::string(computer)));
        if (it == computers_.end())
            return ERROR_BAD_NETPATH;
        if (it->second.code != ERROR_SUCCESS)
            return it->second.code;
        hostPath = it->second.path;
        return ERROR_SUCCESS;
    }

    std::string DomainControllerOf(std::string_view computer) override
    {
        auto it = computers_.find(upper(std::string(computer)));
        return it == computers_.end() ? std::string() : it->second.controller;
    }

private:
    struct Computer {
        DWORD code = ERROR_SUCCESS;
        std::string path;
        std::string controller;
    };

    static std::string upper(std::string s)
    {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
        return s;
    }

    std::filesystem::path directory_;
    std::map<std::string, Computer> computers_;
};
