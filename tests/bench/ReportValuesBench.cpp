// The report engine's values on large data: a database data set walked
// record by record against a bare Qt SQL walk of the same rows, a field
// read through the data dictionary, bracketed expressions answered by the
// application against the application's answer alone, and number masks
// against the C library's formatting.

#include "report/NumberFormat.h"
#include "report/RP_Class.h"
#include "report/RpGlobals.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

using namespace report;

constexpr int kRows = 100000;
const QString kConnection = QStringLiteral("qv-bench-values");

// A SQLite file of kRows rows: id, amount, customer.
void CreateDatabase(const QString& path)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
    db.setDatabaseName(path);
    db.open();
    QSqlQuery query(db);
    query.exec(QStringLiteral("create table orders (id integer, amount real, customer text)"));
    db.transaction();
    query.prepare(QStringLiteral("insert into orders values (?, ?, ?)"));
    for (int n = 1; n <= kRows; ++n) {
        query.addBindValue(n);
        query.addBindValue(n * 1.25);
        query.addBindValue(QStringLiteral("Customer %1").arg(n % 977));
        query.exec();
    }
    db.commit();
}

void BM_QtSqlWalk(benchmark::State& state)
{
    for (auto _ : state) {
        QSqlQuery query(QSqlDatabase::database(kConnection));
        query.setForwardOnly(false);
        query.exec(QStringLiteral("select id, amount, customer from orders"));
        int rows = 0;
        for (bool ok = query.first(); ok; ok = query.next(), ++rows) {
            benchmark::DoNotOptimize(query.value(0).toLongLong());
            benchmark::DoNotOptimize(query.value(1).toDouble());
            benchmark::DoNotOptimize(query.value(2).toString().toStdString());
        }
        if (rows != kRows)
            state.SkipWithError("the rows did not read whole");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_QtSqlWalk)->Unit(benchmark::kMillisecond);

void BM_DBDataSetWalk(benchmark::State& state)
{
    for (auto _ : state) {
        TDataSet data;
        data.ConnectionName = kConnection;
        data.SQL = "select id, amount, customer from orders";
        TrpDBDataSet dataset;
        dataset.SetDataSet(&data);
        dataset.Open();
        const TField id = data.FieldByName("id"), amount = data.FieldByName("amount"),
                     customer = data.FieldByName("customer");
        int rows = 0;
        Variant value;
        for (dataset.First(); !dataset.Eof(); dataset.Next(), ++rows) {
            FieldValueAsVariant(id, value);
            FieldValueAsVariant(amount, value);
            FieldValueAsVariant(customer, value);
            benchmark::DoNotOptimize(value);
        }
        dataset.Close();
        if (rows != kRows)
            state.SkipWithError("the rows did not read whole");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_DBDataSetWalk)->Unit(benchmark::kMillisecond);

// [Orders.amount] through the dictionary, for every row.
void BM_DictionaryFieldWalk(benchmark::State& state)
{
    QObject form;
    auto* data = new TDataSet(&form);
    data->setObjectName("Orders");
    data->ConnectionName = kConnection;
    data->SQL = "select id, amount, customer from orders";
    TrpReport report(&form);
    report.MakeCurrent();
    for (auto _ : state) {
        data->Open();
        report.Dictionary.ClearCache();
        int rows = 0;
        Variant value;
        for (data->First(); !data->Eof(); data->Next(), ++rows) {
            report.ResolveVariable("Orders.amount", value);
            benchmark::DoNotOptimize(value);
        }
        data->Close();
        if (rows != kRows)
            state.SkipWithError("the rows did not read whole");
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_DictionaryFieldWalk)->Unit(benchmark::kMillisecond);

// What the application's value handler costs alone: the value and its text.
void BM_ApplicationValueOnly(benchmark::State& state)
{
    std::int32_t n = 0;
    const auto answer = [&](const std::string&, Variant& value) { value = Variant(n); };
    for (auto _ : state) {
        for (n = 0; n < kRows; ++n) {
            Variant value;
            answer("EventNo", value);
            benchmark::DoNotOptimize(value.toText());
        }
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_ApplicationValueOnly)->Unit(benchmark::kMillisecond);

// The same values as a text object's bracket with an inline number format.
void BM_BracketFromApplication(benchmark::State& state)
{
    TrpReport report;
    std::int32_t n = 0;
    report.OnGetValue = [&](const std::string&, Variant& value) { value = Variant(n); };
    report.MakeCurrent();
    std::string text;
    for (auto _ : state) {
        for (n = 0; n < kRows; ++n) {
            report.EvaluateBracket("EventNo #N0.0", text);
            benchmark::DoNotOptimize(text);
        }
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_BracketFromApplication)->Unit(benchmark::kMillisecond);

void BM_SnprintfNumbers(benchmark::State& state)
{
    char buffer[64];
    for (auto _ : state)
        for (int n = 0; n < kRows; ++n)
            benchmark::DoNotOptimize(std::snprintf(buffer, sizeof buffer, "%'.2f", n * 1.25));
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_SnprintfNumbers)->Unit(benchmark::kMillisecond);

void BM_NumberMask(benchmark::State& state)
{
    for (auto _ : state)
        for (int n = 0; n < kRows; ++n)
            benchmark::DoNotOptimize(FormatFloat("#,##0.00", n * 1.25, '.', ','));
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_NumberMask)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    CreateDatabase(dir.filePath(QStringLiteral("orders.sqlite")));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    QSqlDatabase::database(kConnection).close();
    QSqlDatabase::removeDatabase(kConnection);
    return 0;
}
