#pragma once

#include <QSqlDatabase>

namespace store {

// All or nothing for an operation of several statements: rolls back in the
// destructor unless commit() ran. Nests through savepoints, so an operation
// that issues a ticket can run inside a larger settlement.
class Transaction {
public:
    explicit Transaction(QSqlDatabase db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

    // Whether some transaction is open on this thread now (the connection
    // must not be exchanged under it).
    static bool anyOpen();

private:
    QSqlDatabase m_db;
    QString m_name;
    // PostgreSQL: the outermost one opens the transaction itself (a
    // savepoint needs one there).
    bool m_outermost = false;
    bool m_done = false;
};

} // namespace store
