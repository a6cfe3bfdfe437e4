#include "store/transaction.h"

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
    run(m_db, QStringLiteral("SAVEPOINT ") + m_name);
}

Transaction::~Transaction() {
    if (m_done)
        return;
    // Never throws from here: the database reports nothing we could act on.
    QSqlQuery q(m_db);
    q.exec(QStringLiteral("ROLLBACK TO SAVEPOINT ") + m_name);
    q.exec(QStringLiteral("RELEASE SAVEPOINT ") + m_name);
}

void Transaction::commit() {
    run(m_db, QStringLiteral("RELEASE SAVEPOINT ") + m_name);
    m_done = true;
}

} // namespace store
