#include "accountfixture.h"

#include "store/dialect.h"
#include "store/sql.h"

AccountFixture::AccountFixture() {
    decisions = std::make_unique<accounts::AccountDecisions>(
        te.context, te.engine->tarifas(), te.engine->puestos().loginsInUse(),
        [this](const station::MessageQueueRow& row) { notices << row; });
    te.engine->setAccountDecisions(decisions.get());
    // The demo's own accounts are dated from the real day; the tests bring theirs.
    sql(QStringLiteral("DELETE FROM cuentas"));
}

store::Cuenta AccountFixture::cuenta(const QString& login, const QString& pass) const {
    store::Cuenta c;
    c.Login = login;
    c.Pass = pass;
    c.Tipo = QStringLiteral("0");
    c.Tarifa = QStringLiteral("NORMAL");
    c.Alta = te.clock.now().date();
    c.Ultima = te.clock.now().date();
    return c;
}

void AccountFixture::add(const store::Cuenta& c) const {
    store::insert(db(), c);
}

store::Cuenta AccountFixture::read(const QString& login) const {
    return store::select<store::Cuenta>(
               db(), QStringLiteral("WHERE ") + store::equalsCaseless(db(), QStringLiteral("Login")), {login})
        .at(0);
}

std::vector<store::MovCuenta> AccountFixture::movements() const {
    return store::select<store::MovCuenta>(db(), QStringLiteral("ORDER BY ID"));
}

void AccountFixture::sql(const QString& statement) const {
    store::run(db(), statement);
}
