#pragma once

#include <QSqlDatabase>
#include <QStringList>
#include <QUrl>

namespace accounts {

// The "mailto:" address that opens the desktop's mail program on a new
// message to every non-blank address, comma-joined, with an empty subject.
// Characters an address may not carry in a URL are percent-encoded.
QUrl mailtoUrl(const QStringList& emails);

// The e-mail addresses of the accounts with these logins, in their order
// (blank ones included: mailtoUrl leaves them out).
QStringList emailsDeCuentas(const QSqlDatabase& db, const QStringList& logins);

} // namespace accounts
