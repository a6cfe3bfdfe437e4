#include "accounts/correo.h"

#include "store/sql.h"

namespace accounts {

QUrl mailtoUrl(const QStringList& emails) {
    QStringList addresses;
    for (const QString& e : emails)
        if (!e.trimmed().isEmpty())
            addresses << e.trimmed();
    if (addresses.isEmpty())
        return {};
    QUrl url;
    url.setScheme(QStringLiteral("mailto"));
    // DecodedMode: "%", "?" and "#" in an address are data, not syntax.
    url.setPath(addresses.join(QLatin1Char(',')), QUrl::DecodedMode);
    url.setQuery(QStringLiteral("subject="));
    return url;
}

QStringList emailsDeCuentas(const QSqlDatabase& db, const QStringList& logins) {
    QStringList emails;
    for (const QString& login : logins)
        emails << store::toText(store::scalar(db, QStringLiteral("SELECT email FROM cuentas WHERE Login = ?"),
                                              {QVariant(login)}));
    return emails;
}

} // namespace accounts
