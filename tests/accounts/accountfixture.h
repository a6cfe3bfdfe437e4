#pragma once

#include "accounts/accountdecisions.h"
#include "store/rows.h"
#include "support/testengine.h"

#include <QList>

// An engine on the demo database with the accounts' decisions, a fake clock
// at 2026-03-10 11:00 and the notices they send collected.
struct AccountFixture {
    AccountFixture();

    QSqlDatabase db() const { return te.db.data.db(); }
    // An account with sound defaults: type "0" on NORMAL, no Bloquear.
    store::Cuenta cuenta(const QString& login, const QString& pass = QStringLiteral("pw")) const;
    void add(const store::Cuenta& c) const;
    store::Cuenta read(const QString& login) const;
    std::vector<store::MovCuenta> movements() const;
    void sql(const QString& statement) const;

    TestEngine te;
    std::unique_ptr<accounts::AccountDecisions> decisions;
    QList<station::MessageQueueRow> notices;
};
