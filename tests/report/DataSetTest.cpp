#include "SqliteFixture.h"

#include "report/RP_DSet.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace report {
namespace {

class DataSetTest : public SqliteFixture {
protected:
    void SetUp() override
    {
        SqliteFixture::SetUp();
        orders = std::make_unique<TDataSet>();
        orders->setObjectName("Orders");
        orders->ConnectionName = Connection();
        orders->SQL = "select * from orders order by id";
    }

    void TearDown() override
    {
        orders.reset();
        SqliteFixture::TearDown();
    }

    // The band engine's walk: First, then Eof, a record and Next.
    std::vector<int> Walk(TrpDataset& dataset)
    {
        std::vector<int> ids;
        dataset.Open();
        dataset.First();
        while (!dataset.Eof() && ids.size() <= kRows)
            ids.push_back(orders->FieldByName("ID").Value().toInteger()), dataset.Next();
        dataset.Close();
        return ids;
    }

    static std::vector<int> Range(int first, int last)
    {
        std::vector<int> ids;
        for (int id = first; id <= last; ++id)
            ids.push_back(id);
        return ids;
    }

    std::unique_ptr<TDataSet> orders;
};

TEST_F(DataSetTest, EveryRangeMode)
{
    struct Case {
        TRangeBegin begin;
        TRangeEnd end;
        std::int32_t count;
        int current;  // the row that is current when the data set opens (1-based)
        std::vector<int> expected;
    };
    const Case cases[] = {
        {rbFirst, reLast, 0, 120, Range(1, kRows)},
        {rbCurrent, reLast, 0, 120, Range(120, kRows)},
        {rbFirst, reCurrent, 0, 50, Range(1, 50)},
        {rbCurrent, reCurrent, 0, 77, {77}},
        {rbFirst, reCount, 25, 200, Range(1, 25)},
        {rbCurrent, reCount, 10, 200, Range(200, 209)},
        {rbCurrent, reCount, 10, 295, Range(295, kRows)},  // the data ends first
        {rbFirst, reCount, 0, 1, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "begin " << int(c.begin) << " end " << int(c.end) << " count " << c.count);
        orders->Open();
        orders->GotoBookmark(c.current - 1);
        TrpDBDataSet dataset;
        dataset.SetDataSet(orders.get());
        dataset.RangeBegin = c.begin;
        dataset.RangeEnd = c.end;
        dataset.RangeEndCount = c.count;
        EXPECT_EQ(Walk(dataset), c.expected);
        // Closing returns to the record that was current, when the range
        // needed it.
        if (c.begin == rbCurrent || c.end == reCurrent)
            EXPECT_EQ(orders->RecNo(), c.current - 1);
        orders->Close();
    }
}

TEST_F(DataSetTest, OpensItsDataSetAndStepsBothWays)
{
    TrpDBDataSet dataset;
    dataset.setObjectName("rpOrders");
    int opened = 0, closed = 0;
    dataset.OnOpen = [&](TrpDataset&) { ++opened; };
    dataset.OnClose = [&](TrpDataset&) { ++closed; };
    TDataSource source;
    source.DataSet = orders.get();
    dataset.SetDataSource(&source);
    EXPECT_EQ(dataset.DataSet(), nullptr);

    dataset.Open();
    EXPECT_TRUE(orders->Active());
    EXPECT_EQ(opened, 1);
    dataset.First();
    for (int i = 0; i < kRows - 1; ++i)
        dataset.Next();
    EXPECT_FALSE(dataset.Eof());
    EXPECT_EQ(dataset.RecNo, kRows - 1);
    // Next on the last record ends the data and leaves that record current,
    // so a step back reaches the one before it.
    dataset.Next();
    EXPECT_TRUE(dataset.Eof());
    EXPECT_EQ(orders->FieldByName("id").Value(), Variant(std::int32_t{kRows}));
    dataset.Prior();
    EXPECT_FALSE(dataset.Eof());
    EXPECT_EQ(orders->FieldByName("id").Value(), Variant(std::int32_t{kRows - 1}));
    dataset.Close();
    EXPECT_EQ(closed, 1);
    EXPECT_TRUE(orders->Active());  // CloseDataSource is off
    dataset.CloseDataSource = true;
    dataset.Close();
    EXPECT_FALSE(orders->Active());

    // A referenced component that goes away leaves no reference behind.
    dataset.SetDataSet(orders.get());
    orders.reset();
    EXPECT_EQ(dataset.DataSet(), nullptr);
    EXPECT_THROW(dataset.Open(), EDSError);
}

TEST_F(DataSetTest, WithoutADataSetItCannotOpen)
{
    TrpDBDataSet dataset;
    dataset.setObjectName("rpOrders");
    try {
        dataset.Open();
        FAIL() << "opened";
    } catch (const EDSError& error) {
        EXPECT_STREQ(error.what(), "Unable to open dataset rpOrders");
    }
}

TEST_F(DataSetTest, FieldKindsAndValues)
{
    orders->Open();
    orders->GotoBookmark(6);  // row 7: the big value
    EXPECT_EQ(orders->FieldNames(),
              (std::vector<std::string>{"id", "customer", "amount", "paid", "note", "big", "data"}));
    EXPECT_EQ(orders->FieldByName("ID").DataType(), ftInteger);
    EXPECT_EQ(orders->FieldByName("paid").DataType(), ftBoolean);
    EXPECT_EQ(orders->FieldByName("amount").DataType(), ftFloat);
    EXPECT_EQ(orders->FieldByName("data").DataType(), ftBlob);
    EXPECT_TRUE(IsBlobField(orders->FieldByName("data")));
    EXPECT_FALSE(IsBlobField(orders->FieldByName("note")));

    EXPECT_EQ(orders->FieldByName("id").Value(), Variant(std::int32_t{7}));
    EXPECT_EQ(orders->FieldByName("customer").Value(), Variant("Customer 7"));
    EXPECT_EQ(orders->FieldByName("amount").Value(), Variant(10.5));
    EXPECT_EQ(orders->FieldByName("paid").Value(), Variant(false));
    // Beyond 32 bits an integer reads as its decimal text.
    EXPECT_EQ(orders->FieldByName("big").Value(), Variant("5000000007"));
    EXPECT_EQ(orders->FieldByName("data").Value(), Variant(std::string("\x01\x02\x07", 3)));
    TrpStream blob("old bytes");
    SaveBlobToStream(orders->FieldByName("data"), blob);
    EXPECT_EQ(blob.ToString(), std::string("\x01\x02\x07", 3));
    EXPECT_EQ(blob.Position(), 0u);

    try {
        orders->FieldByName("missing");
        FAIL() << "found";
    } catch (const EDatabaseError& error) {
        EXPECT_STREQ(error.what(), "Field 'missing' not found");
    }
}

TEST_F(DataSetTest, NullsBecomeTheEmptyValueOfTheirKind)
{
    orders->SQL = "select note, paid, id, amount from orders where id = 10 union all "
                  "select null, null, null, null";
    orders->Open();
    orders->Next();  // the row of nulls
    ASSERT_FALSE(orders->Eof());
    EXPECT_TRUE(orders->FieldByName("note").IsNull());
    EXPECT_TRUE(orders->FieldByName("note").Value().isNull());
    Variant value;
    FieldValueAsVariant(orders->FieldByName("note"), value);
    EXPECT_EQ(value, Variant(std::string()));
    FieldValueAsVariant(orders->FieldByName("id"), value);
    EXPECT_EQ(value, Variant(std::int32_t{0}));

    // A get-text handler gives the display text, of a null as well.
    orders->SetGetTextHandler("amount", [](const TField& field) {
        return field.IsNull() ? std::string("(none)") : "#" + field.Value().toText();
    });
    FieldValueAsVariant(orders->FieldByName("amount"), value);
    EXPECT_EQ(value, Variant("(none)"));
    orders->First();
    FieldValueAsVariant(orders->FieldByName("amount"), value);
    EXPECT_EQ(value, Variant("#15"));

    // The closed data set opens for its field names.
    orders->Close();
    EXPECT_EQ(FieldNameIfPresent(orders.get(), "NOTE"), "NOTE");
    EXPECT_TRUE(orders->Active());
    EXPECT_EQ(FieldNameIfPresent(orders.get(), "absent"), "");
    EXPECT_EQ(FieldNameIfPresent(nullptr, "note"), "");
}

TEST_F(DataSetTest, DriverErrorsCarryTheDriversText)
{
    orders->SQL = "select * from no_such_table";
    try {
        orders->Open();
        FAIL() << "opened";
    } catch (const EDatabaseError& error) {
        EXPECT_NE(std::string(error.what()).find("no such table: no_such_table"), std::string::npos)
            << error.what();
    }
    EXPECT_FALSE(orders->Active());
    // Listing the fields of a data set that cannot open finds none.
    EXPECT_EQ(FieldNameIfPresent(orders.get(), "id"), "");

    orders->SQL = "select id from orders where id > 1000";
    orders->Open();
    EXPECT_TRUE(orders->Eof());
    EXPECT_TRUE(orders->IsEmpty());
    EXPECT_EQ(orders->RecNo(), -1);
    EXPECT_TRUE(orders->FieldByName("id").IsNull());
}

TEST(UserDataset, CountedRangeAndEvents)
{
    TrpUserDataset dataset;
    dataset.RangeEnd = reCount;
    dataset.RangeEndCount = 3;
    int firsts = 0, nexts = 0;
    dataset.OnFirst = [&](TrpDataset&) { ++firsts; };
    dataset.OnNext = [&](TrpDataset&) { ++nexts; };
    dataset.First();
    EXPECT_EQ(firsts, 1);
    EXPECT_FALSE(dataset.Eof());
    dataset.Next();
    dataset.Next();
    EXPECT_FALSE(dataset.Eof());
    dataset.Next();
    EXPECT_TRUE(dataset.Eof());
    EXPECT_EQ(nexts, 2);

    // To its last record: only OnCheckEOF ends it.
    TrpUserDataset open;
    for (int i = 0; i < 5; ++i)
        open.Next();
    EXPECT_FALSE(open.Eof());
    open.OnCheckEOF = [](TrpDataset& sender, bool& eof) { eof = sender.RecNo >= 5; };
    EXPECT_TRUE(open.Eof());
    int priors = 0;
    open.OnPrior = [&](TrpDataset&) { ++priors; };
    open.Prior();
    EXPECT_EQ(open.RecNo, 4);
    EXPECT_EQ(priors, 1);
    EXPECT_FALSE(open.Eof());
}

} // namespace
} // namespace report
