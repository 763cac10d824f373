#include "ntlib/ObjList.h"

#include <gtest/gtest.h>

namespace {

// Counts the numbers alive, to see which list frees what.
struct Number {
    static inline int alive = 0;
    int value;
    explicit Number(int v)
        : value(v)
    {
        ++alive;
    }
    ~Number() { --alive; }
    Number(const Number&) = delete;
    Number& operator=(const Number&) = delete;
};

int compareNumbers(const Number* item, const Number* key)
{
    return item->value - key->value;
}

TObjectList<Number>::TCompare byValue = compareNumbers;

void fill(TObjectList<Number>& list, std::initializer_list<int> values)
{
    for (int v : values)
        list.Insert(list.GetCount(), std::make_unique<Number>(v));
}

std::vector<int> valuesOf(const TObjectList<Number>& list)
{
    std::vector<int> out;
    for (int i = 0; i < list.GetCount(); ++i)
        out.push_back(list.Items(i)->value);
    return out;
}

} // namespace

TEST(ObjectList, NewListOwnsItsItemsAndAcceptsDuplicates)
{
    TObjectList<Number> list;
    EXPECT_TRUE(list.OwnsItems());
    EXPECT_EQ(list.Duplicates(), 1);
    EXPECT_EQ(list.CreationValue(), 0);
    EXPECT_EQ(list.GetCount(), 0);
}

TEST(ObjectList, FindGivesTheLeftmostEqualItemOrTheInsertionPlace)
{
    TObjectList<Number> list;
    Number two(2);
    int index = -1;
    EXPECT_FALSE(list.Find(&two, byValue, index));
    EXPECT_EQ(index, 0);

    fill(list, {1, 2, 2, 2, 3});
    EXPECT_TRUE(list.Find(&two, byValue, index));
    EXPECT_EQ(index, 1);

    struct Case {
        int key;
        bool found;
        int index;
    } cases[] = {{0, false, 0}, {1, true, 0}, {3, true, 4}, {4, false, 5}};
    for (const Case& c : cases) {
        Number key(c.key);
        EXPECT_EQ(list.Find(&key, byValue, index), c.found) << c.key;
        EXPECT_EQ(index, c.index) << c.key;
    }

    // Another mode stops at the first equal item the search meets: the
    // middle one of the three.
    list.SetDuplicates(0);
    EXPECT_TRUE(list.Find(&two, byValue, index));
    EXPECT_EQ(index, 2);
}

TEST(ObjectList, AddSortedGoesBeforeEqualItems)
{
    TObjectList<Number> list;
    fill(list, {1, 3});
    EXPECT_EQ(list.AddSorted(std::make_unique<Number>(2), byValue), 1);
    EXPECT_EQ(valuesOf(list), (std::vector<int>{1, 2, 3}));

    auto second = std::make_unique<Number>(2);
    Number* secondTwo = second.get();
    EXPECT_EQ(list.AddSorted(std::move(second), byValue), 1);
    EXPECT_EQ(list.Items(1), secondTwo);
    EXPECT_EQ(list.AddSorted(std::make_unique<Number>(9), byValue), 4);
    EXPECT_EQ(valuesOf(list), (std::vector<int>{1, 2, 2, 3, 9}));
}

TEST(ObjectList, OwningListFreesWhatItDeletesClearsOrDropsAndKeepsNullItems)
{
    Number::alive = 0;
    {
        TObjectList<Number> list;
        fill(list, {1, 2, 3, 4});
        list.Insert(1, std::unique_ptr<Number>());
        EXPECT_EQ(list.GetCount(), 5);
        EXPECT_EQ(list.Items(1), nullptr);
        list.Delete(1);
        list.Delete(0);
        EXPECT_EQ(Number::alive, 3);
        list.Clear();
        EXPECT_EQ(Number::alive, 0);
        fill(list, {5, 6});
    }
    EXPECT_EQ(Number::alive, 0);
}

TEST(ObjectList, ListThatDoesNotOwnLeavesItemsAlive)
{
    Number::alive = 0;
    Number a(1), b(2), c(3);
    {
        TObjectList<Number> list(0, false);
        EXPECT_FALSE(list.OwnsItems());
        EXPECT_EQ(list.AddSorted(&c, byValue), 0);
        EXPECT_EQ(list.AddSorted(&a, byValue), 0);
        EXPECT_EQ(list.AddSorted(&b, byValue), 1);
        list.Delete(0);
        EXPECT_EQ(Number::alive, 3);
        list.Clear();
        EXPECT_EQ(Number::alive, 3);
        list.Insert(0, &a);
    }
    EXPECT_EQ(Number::alive, 3);
}

TEST(ObjectList, WrongHandOverAndBadIndexesAreRefused)
{
    Number::alive = 0;
    TObjectList<Number> owning;
    Number outside(7);
    EXPECT_THROW(owning.Insert(0, &outside), std::logic_error);
    TObjectList<Number> notOwning(0, false);
    EXPECT_THROW(notOwning.Insert(0, std::make_unique<Number>(8)), std::logic_error);
    EXPECT_EQ(Number::alive, 1); // the refused item is not lost

    fill(owning, {1});
    EXPECT_THROW(owning.Insert(2, std::make_unique<Number>(2)), std::out_of_range);
    EXPECT_THROW(owning.Insert(-1, std::make_unique<Number>(2)), std::out_of_range);
    EXPECT_THROW(owning.Delete(1), std::out_of_range);
    EXPECT_THROW(owning.Items(-1), std::out_of_range);
    EXPECT_EQ(valuesOf(owning), std::vector<int>{1});
}
