#pragma once
// A real SQLite database file in a temporary directory, reached through a
// Qt SQL connection of its own, with a table of a few hundred rows:
//   orders(id INTEGER, customer TEXT, amount REAL, paid BOOLEAN,
//          note TEXT, big BIGINT, data BLOB)
// Row n (1-based) has id n, customer "Customer n", amount n * 1.5, paid for
// even n, a note except for every tenth row, big 5000000000 + n in row 7
// and n elsewhere, and the bytes 1, 2, n % 256 as data.

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <gtest/gtest.h>

#include <atomic>

class SqliteFixture : public ::testing::Test {
protected:
    static constexpr int kRows = 300;

    void SetUp() override
    {
        static std::atomic<int> serial{0};
        connection_ = QStringLiteral("qv-report-test-%1").arg(++serial);
        ASSERT_TRUE(dir_.isValid());
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
        db.setDatabaseName(dir_.filePath(QStringLiteral("orders.sqlite")));
        ASSERT_TRUE(db.open()) << db.lastError().text().toStdString();
        QSqlQuery query(db);
        ASSERT_TRUE(query.exec(QStringLiteral("create table orders (id integer, customer text, amount real, "
                                              "paid boolean, note text, big bigint, data blob)")));
        db.transaction();
        query.prepare(QStringLiteral("insert into orders values (?, ?, ?, ?, ?, ?, ?)"));
        for (int n = 1; n <= kRows; ++n) {
            query.addBindValue(n);
            query.addBindValue(QStringLiteral("Customer %1").arg(n));
            query.addBindValue(n * 1.5);
            query.addBindValue(n % 2 == 0);
            query.addBindValue(n % 10 == 0 ? QVariant() : QVariant(QStringLiteral("note %1").arg(n)));
            query.addBindValue(n == 7 ? qlonglong(5000000000LL) + n : qlonglong(n));
            query.addBindValue(QByteArray("\x01\x02", 2) + char(n % 256));
            ASSERT_TRUE(query.exec()) << query.lastError().text().toStdString();
        }
        db.commit();
    }

    void TearDown() override
    {
        QSqlDatabase::database(connection_).close();
        QSqlDatabase::removeDatabase(connection_);
    }

    QString Connection() const { return connection_; }

private:
    QTemporaryDir dir_;
    QString connection_;
};
