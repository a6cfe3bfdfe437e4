#include "store/transaction.h"

#include "store/engine.h"
#include "store/sql.h"

#include <QSqlError>
#include <QSqlQuery>

namespace store {

namespace {
int g_sequence = 0;
}

Transaction::Transaction(QSqlDatabase db)
    : m_db(std::move(db))
    , m_name(QStringLiteral("q%1").arg(++g_sequence)) {
    // SQLite opens a transaction with the outermost savepoint by itself.
    if (engineOf(m_db) == Engine::PostgreSQL && !inTransaction(m_db)) {
        run(m_db, QStringLiteral("BEGIN"));
        m_outermost = true;
        return;
    }
    run(m_db, QStringLiteral("SAVEPOINT ") + m_name);
}

Transaction::~Transaction() {
    if (m_done)
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
    run(m_db, m_outermost ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE SAVEPOINT ") + m_name);
    m_done = true;
}

} // namespace store
