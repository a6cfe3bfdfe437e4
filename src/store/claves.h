#pragma once

#include <QByteArray>
#include <QSqlDatabase>
#include <QString>

namespace store {

// Operators' passwords are kept as a salted, slow hash in a text that names
// how it was made: "pbkdf2-sha256$<iterations>$<salt>$<hash>" (salt and hash
// in base64). Verification reads the iterations from the stored text, so
// they can be raised later without touching the passwords already kept.
// Customers' and codes' passwords stay as typed: tickets print them.

// The iterations a new hash gets: some 55 to 80 ms on a current PC.
constexpr int IteracionesClave = 400000;

// The stored form of a typed password. An empty password stays empty: it
// hides nothing, and the log-in dialog treats it as no password at all.
QString claveProtegida(const QString& clave);
// The same with the iterations given (tests, and a later raise).
QString claveProtegida(const QString& clave, int iteraciones);

// Whether the stored text is a hash in our form (anything else is a
// password kept as typed by an older copy, an upgrade or an import).
bool esClaveProtegida(const QString& guardada);
// The iterations a stored hash was made with; 0 when it is not one.
int iteracionesDe(const QString& guardada);

// Whether the typed password is the stored one: through the hash when the
// stored text is one, else by exact comparison. Compared in constant time.
bool claveCorrecta(const QString& guardada, const QString& tecleada);

// Whether two byte strings are equal, in a time that depends on their
// lengths only, never on where they first differ.
bool mismosBytes(const QByteArray& a, const QByteArray& b);

// Hashes every password of operadores that is still kept as typed, in the
// caller's transaction; answers how many. Throws DatabaseError.
int protegerClavesOperadores(const QSqlDatabase& db);

} // namespace store
