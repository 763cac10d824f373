// Where a reader keeps its decoded events: the items and their packed parts
// in the event cache, and the handles (texts, strings, byte blocks) an item
// holds them by.  (The reader's use of them: EventLogTest.cpp.)

#include "ntlib/EventCache.h"
#include "ntlib/EventText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Storage for packed blocks that counts what it hands out.
class CountingStorage : public TEventBlockStorage {
public:
    std::vector<std::vector<std::uint32_t>> blocks;
    BYTE* AllocateBlock(std::size_t bytes) override
    {
        blocks.emplace_back((bytes + 3) / 4);
        return reinterpret_cast<BYTE*>(blocks.back().data());
    }
};

} // namespace

TEST(EventHandles, CopiesOwnWhatTheyShow)
{
    const std::string pooled = "Service Control Manager";
    TEventText shared = TEventText::Shared(pooled);
    EXPECT_TRUE(shared.IsShared());
    EXPECT_EQ(&shared.str(), &pooled);
    TEventText copy = shared;
    EXPECT_FALSE(copy.IsShared());
    EXPECT_NE(&copy.str(), &pooled);
    EXPECT_EQ(copy, shared);
    EXPECT_EQ(copy, "Service Control Manager");
    TEventText moved = std::move(shared);
    EXPECT_EQ(&moved.str(), &pooled) << "a move keeps the shared text";
    EXPECT_TRUE(shared.empty());
    copy = std::string("other");
    EXPECT_EQ(copy, std::string("other"));
    copy.clear();
    EXPECT_EQ(copy, "");

    CountingStorage storage;
    const char text[] = "first\0\0third";
    const std::uint32_t ends[] = {5, 6, 12};
    {
        TEventStrings strings = TEventStrings::Pack(text, sizeof text, ends, 3, &storage);
        ASSERT_EQ(storage.blocks.size(), 1u);
        EXPECT_TRUE(strings.IsShared());
        EXPECT_EQ(strings, (std::vector<std::string>{"first", "", "third"}));
        EXPECT_EQ(strings[2], "third");
        TEventStrings copied = strings;
        EXPECT_FALSE(copied.IsShared());
        storage.blocks.clear(); // the storage goes: the copy stays whole
        EXPECT_EQ(copied.ToVector(), (std::vector<std::string>{"first", "", "third"}));
        std::vector<std::string> walked;
        for (const std::string& s : copied)
            walked.push_back(s);
        EXPECT_EQ(walked, copied.ToVector());
    }

    const std::vector<BYTE> sid = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0, 7};
    TEventBytes bytes = TEventBytes::Pack(sid.data(), sid.size(), &storage);
    EXPECT_TRUE(bytes.IsShared());
    EXPECT_EQ(bytes, sid);
    TEventBytes own = bytes;
    EXPECT_FALSE(own.IsShared());
    EXPECT_EQ(own, bytes);
    EXPECT_EQ(TEventBytes::Pack(nullptr, 0, &storage).size(), 0u);
    EXPECT_EQ(TEventStrings::Pack(nullptr, 0, nullptr, 0, &storage).size(), 0u);
}

TEST(EventCache, KeepsTheFirstItemOfARecordNumberAndFreesEverythingOnClear)
{
    TEventCache cache;
    cache.Reserve(100, 10);
    for (DWORD number : {100u, 105u, 250u}) {
        TEventItem& item = cache.NewItem(nullptr);
        item.RecordNumber = number;
        item.Strings = TEventStrings(std::vector<std::string>{"record " + std::to_string(number)});
        EXPECT_EQ(cache.KeepNewest(), &item);
    }
    EXPECT_EQ(cache.Count(), 3u);
    TEventItem* first = cache.Find(105);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->IsCached());
    ASSERT_NE(cache.Find(250), nullptr) << "a number outside the reserved room";
    EXPECT_EQ(cache.Find(101), nullptr);
    EXPECT_EQ(cache.Find(99), nullptr);

    TEventItem& again = cache.NewItem(nullptr);
    again.RecordNumber = 105;
    EXPECT_EQ(cache.KeepNewest(), first) << "the cached item stays, the new one is freed";
    EXPECT_EQ(cache.Count(), 3u);
    cache.NewItem(nullptr).RecordNumber = 106;
    cache.DropNewest();
    EXPECT_EQ(cache.Find(106), nullptr);

    // Parts set from outside are the item's own and go with it.
    const BYTE data[] = {1, 2, 3};
    first->SetData(data, sizeof data);
    EXPECT_GT(cache.StorageBytes(), 0u);
    cache.Clear();
    EXPECT_EQ(cache.Count(), 0u);
    EXPECT_EQ(cache.Find(105), nullptr);
    EXPECT_EQ(cache.StorageBytes(), 0u);
}

TEST(EventCache, ConvertsStringsStraightIntoItsStorageAndGivesBackTheRoomLeft)
{
    auto utf16 = [](std::u16string_view text) {
        std::vector<BYTE> bytes;
        for (char16_t c : text) {
            bytes.push_back(static_cast<BYTE>(c));
            bytes.push_back(static_cast<BYTE>(c >> 8));
        }
        return bytes;
    };
    TEventCache cache;
    // Texts end to end: ASCII longer than a vector step, an empty one, one
    // beyond ASCII and an unpaired surrogate; data after them.
    const std::vector<BYTE> texts =
        utf16(std::u16string(u"Service Control Manager\0\0Gr\u00FC\u00DF \u20AC\0\xD800x\0", 35) + u"DATA");
    TEventStrings first;
    ASSERT_TRUE(TEventStrings::ConvertUtf16Le(texts.data(), texts.data() + texts.size(), 4, cache, first));
    EXPECT_TRUE(first.IsShared());
    EXPECT_EQ(first, (std::vector<std::string>{"Service Control Manager", "", "Gr\u00FC\u00DF \u20AC", "\uFFFDx"}));

    // A text that runs past the end keeps nothing: the next strings lie
    // right after the first ones, which stay as they were.
    TEventStrings damaged;
    EXPECT_FALSE(TEventStrings::ConvertUtf16Le(texts.data(), texts.data() + 20, 2, cache, damaged));
    EXPECT_TRUE(damaged.empty());
    TEventStrings second;
    ASSERT_TRUE(TEventStrings::ConvertUtf16Le(texts.data() + 2 * 25, texts.data() + texts.size(), 1, cache, second));
    EXPECT_EQ(second, std::vector<std::string>{"Gr\u00FC\u00DF \u20AC"});
    // Blocks of words: the count, the ends, then the texts with their NULs.
    const BYTE* firstBlock = reinterpret_cast<const BYTE*>(first[0].data()) - 4 * (1 + 4);
    const BYTE* secondBlock = reinterpret_cast<const BYTE*>(second[0].data()) - 4 * (1 + 1);
    EXPECT_EQ(secondBlock, firstBlock + 4 * (1 + 4 + (41 + 3) / 4))
        << "the room the conversions did not use was given back";
    EXPECT_EQ(first[3], "\uFFFDx");
}

TEST(EventCache, ItemsWithTheSameSidShareOneBlockUntilCleared)
{
    TEventCache cache;
    const std::vector<BYTE> user = {1, 5, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0, 0xE8, 3, 0, 0};
    std::vector<BYTE> other = user;
    other.back() = 1;
    const TEventBytes a = cache.SharedBytes(user.data(), user.size());
    const TEventBytes b = cache.SharedBytes(std::vector<BYTE>(user).data(), user.size());
    const TEventBytes c = cache.SharedBytes(other.data(), other.size());
    EXPECT_TRUE(a.IsShared());
    EXPECT_EQ(a, user);
    EXPECT_EQ(a.data(), b.data()) << "one block for equal bytes";
    EXPECT_EQ(c, other);
    EXPECT_NE(c.data(), a.data());
    EXPECT_EQ(cache.SharedBytes(user.data(), 12), std::vector<BYTE>(user.begin(), user.begin() + 12));
    const TEventBytes copy = a;
    EXPECT_FALSE(copy.IsShared()) << "a copy owns its bytes";

    cache.Clear();
    EXPECT_EQ(copy, user);
    const TEventBytes again = cache.SharedBytes(user.data(), user.size());
    EXPECT_EQ(again, user) << "cleared, the bytes are packed anew";
}
