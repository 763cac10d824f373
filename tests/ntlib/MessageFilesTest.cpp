// Descriptions and category texts from message files: value lookup, path
// forming, formatting from files, parameter references, the not-found text
// and the category cache, on message files compiled by the build.
#include "ntlib/MessageFiles.h"
#include "ntlib/NTException.h"

#include "platform/PathResolver.h"
#include "platform/PlatformProfile.h"
#include "tests/platform/MessageFixtures.h"

#include <gtest/gtest.h>

#include <stdexcept>

using fixtures::ScratchDirectory;

namespace {

// A local computer whose drive C: holds the compiled message files in
// C:\WINDOWS\system32, and one with blanks in its folder name.
class MessageFilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* file : {"mirror_events.dll", "mirror_more.dll", "mirror_categories.dll",
                                 "mirror_parameters.dll", "mirror_audit.dll", "legacy_agent.exe"})
            drive_.place(file, std::string("WINDOWS/system32/") + file);
        drive_.place("mirror_events.dll", "Program Files/Mirror Field/mirror events.dll");
        platform::SetLocalSystemDrive(drive_.path());
    }
    void TearDown() override { platform::SetLocalSystemDrive(""); }

    // The entries of a source as the registry gives them, resolved for the
    // local computer.
    static TSourceMessageFiles localFiles(TSourceMessageFiles entries)
    {
        ResolveMessageFilePaths(entries, "", GetLocalSystemRoot);
        return entries;
    }

    ScratchDirectory drive_;
};

const TSystemRootReader kNoRoot = []() -> std::string { throw std::logic_error("system root not needed"); };

TEST(MessageFileValues, NamesAndFirstMatch)
{
    for (const char* name : {"EventMessageFile", "eventmessagefile", "CATEGORYMESSAGEFILE", "ParameterMessageFile"})
        EXPECT_TRUE(IsMessageFileValue(name)) << name;
    for (const char* name : {"", "EventMessageFiles", "TypesSupported", "CategoryCount", "File"})
        EXPECT_FALSE(IsMessageFileValue(name)) << name;

    const TSourceMessageFiles files = {
        {"TypesSupported", "7"}, {"eventMessageFILE", "first.dll"}, {"EventMessageFile", "second.dll"}};
    ASSERT_NE(FindMessageFileValue(files, kEventMessageFile), nullptr);
    EXPECT_EQ(*FindMessageFileValue(files, kEventMessageFile), "first.dll");
    EXPECT_EQ(FindMessageFileValue(files, kCategoryMessageFile), nullptr);
}

TEST(MessageFileValues, SearchStartOfTheSecuritySource)
{
    const std::string eventLog = "SYSTEM\\CurrentControlSet\\Services\\EventLog\\";
    EXPECT_EQ(SourceLogSearchStart("Security"), eventLog + "Security\\");
    EXPECT_EQ(SourceLogSearchStart("SECURITY"), eventLog + "Security\\");
    EXPECT_EQ(SourceLogSearchStart("security"), eventLog + "Security\\");
    EXPECT_EQ(SourceLogSearchStart("Mirrorfield"), eventLog);
    EXPECT_EQ(SourceLogSearchStart("Security Center"), eventLog);
}

TEST(MessageFilePaths, SplittingAList)
{
    struct Case {
        const char* value;
        std::vector<std::string> paths;
    } cases[] = {
        {"c:\\a.dll", {"c:\\a.dll"}},
        {" c:\\program files\\a b.dll ", {" c:\\program files\\a b.dll "}},
        {"a.dll; b .dll", {"a.dll", " b .dll"}},
        {"a.dll;;b.dll;", {"a.dll", "", "b.dll", ""}},
        {"", {""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitPathList(c.value), c.paths) << c.value;
}

TEST(MessageFilePaths, LocalAndRemoteForms)
{
    const TSystemRootReader winnt = [] { return std::string("C:\\WINNT"); };
    const TSystemRootReader dDrive = [] { return std::string("D:\\WinNT"); };
    struct Case {
        const char* value;
        const char* machine;
        TSystemRootReader root;
        const char* path;
    } cases[] = {
        // Local: lower-cased, the root as given.
        {"%SystemRoot%\\System32\\MIRROR.DLL", "", winnt, "C:\\WINNT\\system32\\mirror.dll"},
        {"%SYSTEMROOT%\\a.dll;%systemroot%\\b.dll", "", winnt, "C:\\WINNT\\a.dll;C:\\WINNT\\b.dll"},
        {"C:\\Program Files\\Mirror Field\\Events.dll", "", kNoRoot, "c:\\program files\\mirror field\\events.dll"},
        {"netmsg.dll", "", kNoRoot, "netmsg.dll"},
        // Remote: the administrative share of the path's drive.
        {"c:\\winnt\\system32\\netmsg.dll", "SRV1", kNoRoot, "\\\\SRV1\\C$\\winnt\\system32\\netmsg.dll"},
        {"c:\\winnt\\system32\\netmsg.dll", "\\\\SRV1", kNoRoot, "\\\\SRV1\\C$\\winnt\\system32\\netmsg.dll"},
        {"%SystemRoot%\\system32\\mirror.dll", "srv1", dDrive, "\\\\srv1\\D$\\WinNT\\system32\\mirror.dll"},
        // Every path of a list, each in its own form.
        {"%SystemRoot%\\a.dll;e:\\apps\\b.dll", "SRV1", winnt, "\\\\SRV1\\C$\\WINNT\\a.dll;\\\\SRV1\\E$\\apps\\b.dll"},
        {"\\\\files\\share\\c.dll;netmsg.dll", "SRV1", kNoRoot,
         "\\\\files\\share\\c.dll;\\\\SRV1\\ADMIN$\\system32\\netmsg.dll"},
        // Short and drive-less paths.
        {"\\apps\\x.dll", "SRV1", dDrive, "\\\\SRV1\\D$\\apps\\x.dll"},
        {"c:x.dll", "SRV1", kNoRoot, "\\\\SRV1\\C$\\x.dll"},
        {"c:", "SRV1", kNoRoot, "\\\\SRV1\\C$\\"},
        {"c", "SRV1", kNoRoot, "\\\\SRV1\\ADMIN$\\system32\\c"},
        {"", "SRV1", kNoRoot, ""},
        {";", "SRV1", kNoRoot, ";"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.value) + " on " + c.machine);
        EXPECT_EQ(ResolveMessageFilePath(c.value, c.machine, c.root), c.path);
    }
}

TEST(MessageFilePaths, EntriesAskForTheRootOnceAndOnlyWhenNeeded)
{
    int asked = 0;
    const TSystemRootReader root = [&] {
        ++asked;
        return std::string("C:\\WINNT");
    };
    TSourceMessageFiles files = {{"EventMessageFile", "%SystemRoot%\\a.dll"},
                                 {"TypesSupported", "%SystemRoot%"},
                                 {"CategoryMessageFile", "%SYSTEMROOT%\\b.dll"},
                                 {"ParameterMessageFile", "c:\\c.dll"}};
    ResolveMessageFilePaths(files, "", root);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(files[0].Value, "C:\\WINNT\\a.dll");
    EXPECT_EQ(files[1].Value, "%SystemRoot%"); // not a message-file value
    EXPECT_EQ(files[2].Value, "C:\\WINNT\\b.dll");
    EXPECT_EQ(files[3].Value, "c:\\c.dll");

    TSourceMessageFiles plain = {{"EventMessageFile", "c:\\a.dll"}};
    ResolveMessageFilePaths(plain, "SRV1", kNoRoot);
    EXPECT_EQ(plain[0].Value, "\\\\SRV1\\C$\\a.dll");

    // A root that cannot be found raises out of the resolution.
    TSourceMessageFiles failing = {{"EventMessageFile", "%SystemRoot%\\a.dll"}};
    EXPECT_THROW(ResolveMessageFilePaths(failing, "SRV1", [] () -> std::string { throw ENTException("no root", 2); }),
                 ENTException);
}

TEST(MessageFilePaths, LocalSystemRoot)
{
    EXPECT_EQ(GetLocalSystemRoot(), "C:\\WINDOWS");
}

TEST(CategoryCache, KeysSourceAndNumberApart)
{
    TCategoryCache cache;
    cache.Add("App1", 2, "first");
    cache.Add("App", 12, "second");
    cache.Add("Empty", 3, "");
    cache.Add("APP1", 2, "later"); // the first text for a pair stays
    std::string text;
    ASSERT_TRUE(cache.Find("App1", 2, text));
    EXPECT_EQ(text, "first");
    ASSERT_TRUE(cache.Find("app", 12, text));
    EXPECT_EQ(text, "second");
    ASSERT_TRUE(cache.Find("EMPTY", 3, text));
    EXPECT_EQ(text, "");
    EXPECT_FALSE(cache.Find("App", 2, text));
    EXPECT_FALSE(cache.Find("App11", 2, text));
    EXPECT_FALSE(cache.Find("App1", 12, text));
    EXPECT_EQ(cache.Count(), 3u);
    cache.Clear();
    EXPECT_FALSE(cache.Find("App1", 2, text));
    // Case folds beyond ASCII too.
    cache.Add("\u00C4pfel", 1, "fruit");
    EXPECT_TRUE(cache.Find("\u00E4PFEL", 1, text));
}

TEST_F(MessageFilesTest, FormattingFromAListOfFiles)
{
    const std::vector<std::string> strings = {"Nightly", "1200", "\\\\BACKUP1\\mirror"};
    std::string text = "untouched";
    EXPECT_TRUE(FormatMessageFromFiles("C:\\WINDOWS\\system32\\mirror_events.dll", 100, &strings, text));
    EXPECT_EQ(text, "Mirror job Nightly copied 1200 files to \\\\BACKUP1\\mirror.\r\n");

    // The message only in the second file; a missing file is passed over.
    text = "untouched";
    EXPECT_TRUE(FormatMessageFromFiles("C:\\WINDOWS\\system32\\nosuch.dll;C:\\WINDOWS\\system32\\mirror_events.dll;"
                                       "C:\\WINDOWS\\system32\\mirror_more.dll",
                                       300, &strings, text));
    EXPECT_EQ(text, "Mirror job Nightly was skipped: 1200.\r\n");

    // No file has it: the text stays.
    text = "untouched";
    EXPECT_FALSE(FormatMessageFromFiles("C:\\WINDOWS\\system32\\mirror_events.dll", 999, &strings, text));
    EXPECT_FALSE(FormatMessageFromFiles("", 100, &strings, text));
    EXPECT_EQ(text, "untouched");

    // A path with blanks, used whole.
    EXPECT_TRUE(FormatMessageFromFiles("c:\\program files\\mirror field\\mirror events.dll", 102, &strings, text));
    EXPECT_EQ(text, "Nightly");

    // Without strings every insert stays as written.
    EXPECT_TRUE(FormatMessageFromFiles("C:\\WINDOWS\\system32\\mirror_events.dll", 100, nullptr, text));
    EXPECT_EQ(text, "Mirror job %1 copied %2 files to %3.\r\n");
}

TEST_F(MessageFilesTest, LoadingTheFirstModuleThatLoads)
{
    EXPECT_FALSE(LoadMessageModule("c:\\nosuch.dll;c:\\windows\\system32\\nosuch.dll"));
    TMessageModule module = LoadMessageModule("c:\\nosuch.dll; c:\\x.dll;%SystemRoot%\\system32\\mirror_more.dll");
    ASSERT_TRUE(module);
    TMessageModule moved = std::move(module);
    EXPECT_FALSE(module);
    EXPECT_TRUE(moved);
}

TEST_F(MessageFilesTest, ParameterReferences)
{
    const std::string parameters = "C:\\WINDOWS\\system32\\mirror_parameters.dll";
    struct Case {
        const char* text;
        const std::string* paths;
        const char* expected;
        std::vector<std::string> found;
    } cases[] = {
        {"state %%1540.", &parameters, "state degraded (one mirror copy missing).",
         {"degraded (one mirror copy missing)"}},
        {"at the end %%1538", &parameters, "at the end Write data", {"Write data"}},
        {"%%1537 %%1538 %%1539", &parameters, "Read data Write data Remove", {"Read data", "Write data", "Remove"}},
        {"unknown %%9999 here", &parameters, "unknown %9999 here", {}},
        {"no number %% here", &parameters, "no number % here", {}},
        {"%%%1538", &parameters, "Write data", {"Write data"}},
        {"%%%%", &parameters, "%", {}},
        {"too large %%99999999999 stays", &parameters, "too large %99999999999 stays", {}},
        {"with break %%1541!", &parameters, "with break Change the owner\r\n!", {"Change the owner\r\n"}},
        // A parameter's own text is not scanned or interpreted again.
        {"%%1542 and %%1537", &parameters, "Literal %1 and 100% stay and Read data",
         {"Literal %1 and 100% stay", "Read data"}},
        // Not in the parameter file: the system's messages.
        {"denied: %%5", &parameters, "denied: Access is denied.\r\n", {"Access is denied.\r\n"}},
        {"denied: %%5", nullptr, "denied: Access is denied.\r\n", {"Access is denied.\r\n"}},
        {"%%1538", nullptr, "%1538", {}},
        {"nothing to do %1 %2!d!", &parameters, "nothing to do %1 %2!d!", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::vector<std::string> found = {"stale"};
        EXPECT_EQ(ExpandParameterStrings(c.text, c.paths, found), c.expected);
        EXPECT_EQ(found, c.found);
    }
    // A parameter file that does not load leaves the system's messages.
    const std::string missing = "c:\\nosuch.dll";
    std::vector<std::string> found;
    EXPECT_EQ(ExpandParameterStrings("%%2 %%1538", &missing, found),
              "The system cannot find the file specified.\r\n %1538");
}

TEST(MissingDescription, TextAndInsertionStrings)
{
    EXPECT_EQ(FormatMissingDescription(1000, "Mirrorfield", {}),
              "The description for Event ID ( 1000 ) in Source ( Mirrorfield ) could not be found. It contains the "
              "following insertion string(s): .");
    EXPECT_EQ(FormatMissingDescription(0xC00001F5, "Odd %s %d Source", {"one", "", "%1 three"}),
              "The description for Event ID ( 501 ) in Source ( Odd %s %d Source ) could not be found. It contains "
              "the following insertion string(s): .\r\none\r\n\r\n%1 three");
}

TEST_F(MessageFilesTest, Descriptions)
{
    const TSourceMessageFiles mirror = localFiles({{"TypesSupported", "7"},
                                                   {"EventMessageFile",
                                                    "%SystemRoot%\\System32\\mirror_events.dll;"
                                                    "%SYSTEMROOT%\\system32\\MIRROR_MORE.DLL"},
                                                   {"ParameterMessageFile", "%SystemRoot%\\system32\\mirror_parameters.dll"},
                                                   {"CategoryMessageFile", "%SystemRoot%\\system32\\mirror_categories.dll"}});
    const TSourceMessageFiles audit = localFiles({{"EventMessageFile", "%SystemRoot%\\system32\\mirror_audit.dll"},
                                                  {"ParameterMessageFile", "%SystemRoot%\\system32\\mirror_parameters.dll"}});
    const TSourceMessageFiles legacy = localFiles({{"EventMessageFile", "%SystemRoot%\\system32\\legacy_agent.exe"}});
    const TSourceMessageFiles noEventFile = localFiles({{"CategoryMessageFile", "%SystemRoot%\\system32\\mirror_categories.dll"}});

    struct Case {
        const char* name;
        DWORD id;
        std::vector<std::string> strings;
        const TSourceMessageFiles* files;
        bool found;
        std::string text;
    } cases[] = {
        {"plain", 100, {"Nightly", "1200", "E:\\Mirror"}, &mirror, true,
         "Mirror job Nightly copied 1200 files to E:\\Mirror.\r\n"},
        {"second file of the list", 301, {"Nightly", "3"}, &mirror, true, "Mirror job Nightly waits behind 3 other jobs.\r\n"},
        {"high bits of the id", 0xC00001F5, {"Nightly", "timeout"}, &mirror, true,
         "The target of mirror job Nightly cannot be reached: timeout\r\n"},
        {"id without its severity bits", 0x1F5, {"Nightly"}, &mirror, false, ""},
        {"missing id", 4242, {}, &mirror, false, ""},
        {"fewer strings than inserts", 100, {"Nightly"}, &mirror, true, "Mirror job Nightly copied %2 files to %3.\r\n"},
        {"more strings than inserts", 102, {"Nightly", "unused", "unused"}, &mirror, true, "Nightly"},
        {"a reference in the message text", 106, {"E:"}, &mirror, true,
         "Volume E: is in state degraded (one mirror copy missing).\r\n"},
        {"references in the insertion strings", 560, {"D:\\Data\\plan.txt", "MIRROR\\ops", "%%1537 %%1539"}, &audit,
         true,
         "Mirror object access:\r\n\tObject:\tD:\\Data\\plan.txt\r\n\tUser:\tMIRROR\\ops\r\n\tAccesses:\tRead data "
         "Remove\r\n\r\n"},
        // Insertion strings are text: what looks like an insert or an escape
        // in them stays as it is, also when a parameter was expanded.
        {"inserts in insertion strings", 100, {"%1 %2!d! %n%0", "%%1538", "%3 and %%9999"}, &mirror, true,
         "Mirror job %1 %2!d! %n%0 copied Write data files to %3 and %9999.\r\n"},
        {"parameter in a system message", 561, {"ops", "%%5"}, &audit, true,
         "Mirror policy changed by ops: Access is denied.\r\n\r\n"},
        {"ANSI executable", 2, {"LA-7", "5"}, &legacy, true, "Legacy agent LA-7 stopped with code 5.\r\n"},
        {"numeric formats show the strings", 104, {"-3", "4000", "ff", "FF", "7", "42", "ab", "truncated", "10"},
         &mirror, true, "Files -3, bytes 4000, flags 0xff 0xFF, total 7, [   42] [ab    ] [trun] octal 10"},
        {"no event message file", 100, {}, &noEventFile, false, ""},
        {"source not registered", 100, {}, nullptr, false, ""},
    };
    // Each case alone, then twice through one cache that keeps the files
    // of every case loaded: the texts are the same.
    TMessageFileCache shared;
    for (TMessageFileCache* cache : {static_cast<TMessageFileCache*>(nullptr), &shared, &shared}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << (cache ? ", cached" : ""));
            std::string text = "untouched";
            const bool found = FormatEventDescription(
                c.id, "Mirrorfield", c.strings, [&] { return c.files ? *c.files : TSourceMessageFiles(); }, text,
                cache);
            EXPECT_EQ(found, c.found);
            EXPECT_EQ(text, c.found ? c.text : std::string("untouched"));
        }
    }
}

TEST_F(MessageFilesTest, DescriptionsReadTheRegistryOnlyForASource)
{
    int reads = 0;
    std::string text;
    EXPECT_FALSE(FormatEventDescription(100, "", {}, [&] { ++reads; return TSourceMessageFiles(); }, text));
    EXPECT_EQ(reads, 0);
    EXPECT_THROW(FormatEventDescription(100, "Mirrorfield", {},
                                        []() -> TSourceMessageFiles { throw ENTException("registry", 5); }, text),
                 ENTException);
}

TEST_F(MessageFilesTest, LongDescriptionsAreNotCutOff)
{
    const TSourceMessageFiles mirror = localFiles({{"EventMessageFile", "%SystemRoot%\\system32\\mirror_events.dll"}});
    const std::string huge(40000, 'x');
    std::string text;
    ASSERT_TRUE(FormatEventDescription(0xC00001F5, "Mirrorfield", {"Nightly", huge}, [&] { return mirror; }, text));
    EXPECT_EQ(text, "The target of mirror job Nightly cannot be reached: " + huge + "\r\n");
}

TEST_F(MessageFilesTest, DescriptionsInTheUsersLanguage)
{
    platform::PlatformProfile german = platform::PlatformProfile::nt5();
    german.uiLanguage = 0x0407;
    platform::ScopedProfile scope(german);
    const TSourceMessageFiles mirror = localFiles({{"EventMessageFile", "%SystemRoot%\\system32\\mirror_events.dll"}});
    std::string text;
    ASSERT_TRUE(FormatEventDescription(100, "Mirrorfield", {"Nachts", "5", "E:"}, [&] { return mirror; }, text));
    EXPECT_EQ(text, "Spiegelauftrag Nachts hat 5 Dateien nach E: kopiert.\r\n");
}

TEST_F(MessageFilesTest, CategoryNames)
{
    const TSourceMessageFiles mirror = localFiles({{"CategoryMessageFile", "%SystemRoot%\\system32\\mirror_categories.dll"}});
    const TSourceMessageFiles none = localFiles({{"EventMessageFile", "%SystemRoot%\\system32\\mirror_events.dll"}});
    TCategoryCache cache;
    int reads = 0;
    auto reader = [&](const TSourceMessageFiles& files) {
        return [&reads, &files] {
            ++reads;
            return files;
        };
    };

    EXPECT_EQ(ResolveCategoryName(cache, "Mirrorfield", 0, reader(mirror)), "None");
    EXPECT_EQ(reads, 0);
    EXPECT_EQ(cache.Count(), 0u);

    EXPECT_EQ(ResolveCategoryName(cache, "Mirrorfield", 3, reader(mirror)), "Storage\r\n");
    EXPECT_EQ(ResolveCategoryName(cache, "MIRRORFIELD", 3, reader(mirror)), "Storage\r\n");
    EXPECT_EQ(reads, 1);

    // "App1" with 2 and "App" with 12 are different pairs.
    EXPECT_EQ(ResolveCategoryName(cache, "App1", 2, reader(mirror)), "Scheduling\r\n");
    EXPECT_EQ(ResolveCategoryName(cache, "App", 12, reader(mirror)), "Network\r\n");
    EXPECT_EQ(reads, 3);

    // No category file, or no such category: empty, and cached.
    EXPECT_EQ(ResolveCategoryName(cache, "NoCategories", 1, reader(none)), "");
    EXPECT_EQ(ResolveCategoryName(cache, "NoCategories", 1, reader(none)), "");
    EXPECT_EQ(ResolveCategoryName(cache, "Mirrorfield", 77, reader(mirror)), "");
    EXPECT_EQ(ResolveCategoryName(cache, "Mirrorfield", 77, reader(mirror)), "");
    EXPECT_EQ(reads, 5);

    // A failure caches the empty text and propagates.
    auto failing = [&reads]() -> TSourceMessageFiles {
        ++reads;
        throw ENTException("registry", 1011);
    };
    EXPECT_THROW(ResolveCategoryName(cache, "Broken", 1, failing), ENTException);
    EXPECT_EQ(ResolveCategoryName(cache, "Broken", 1, failing), "");
    EXPECT_EQ(reads, 6);
}

} // namespace
