#include "store/transaction.h"

#include "store/engine.h"
#include "store/sql.h"

#include <QSqlError>
#include <QSqlQuery>

namespace store {

namespace {
int g_sequence = 0;
thread_local int t_open = 0;
} // namespace

bool Transaction::anyOpen() {
    return t_open > 0;
}

Transaction::Transaction(QSqlDatabase db)
    : m_db(std::move(db))
    , m_name(QStringLiteral("q%1").arg(++g_sequence)) {
    // SQLite opens a transaction with the outermost savepoint by itself.
    if (engineOf(m_db) == Engine::PostgreSQL && !inTransaction(m_db)) {
        run(m_db, QStringLiteral("BEGIN"));
        m_outermost = true;
    } else {
        run(m_db, QStringLiteral("SAVEPOINT ") + m_name);
    }
    ++t_open;
}

Transaction::~Transaction() {
    --t_open;
    // A server that went away took the transaction with it.
    if (m_done || !m_db.isOpen())
        return;
    // Never throws from here: the database reports nothing we could act on.
    QSqlQuery q(m_db);
    if (m_outermost) {
        q.exec(QStringLiteral("ROLLBACK"));
        return;
    }
    q.exec(QStringLiteral("ROLLBACK TO SAVEPOINT ") + m_name);
    q.exec(QStringLiteral("RELEASE SAVEPOINT ") + m_name);
}

void Transaction::commit() {
    // A statement that failed inside (and was caught) leaves PostgreSQL's
    // transaction aborted, and COMMIT would then roll back without a word.
    if (transactionFailed(m_db))
        throw DatabaseError(QStringLiteral("La transacción se interrumpió por un error anterior."));
    if (!m_outermost) {
        run(m_db, QStringLiteral("RELEASE SAVEPOINT ") + m_name);
        m_done = true;
        return;
    }
    try {
        run(m_db, QStringLiteral("COMMIT"));
    } catch (const DatabaseError& e) {
        // The COMMIT went out and no answer came back: the server may have
        // kept all of it. A caller that must not repeat it looks it up.
        if (e.connectionLost())
            throw DatabaseError(e.text(), DatabaseError::Cause::CommitUncertain);
        throw;
    }
    m_done = true;
}

} // namespace store
