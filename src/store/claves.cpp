#include "store/claves.h"

#include "store/gcryptinit.h"
#include "store/schemaupdates.h"
#include "store/sql.h"

#include <QStringList>

#include <gcrypt.h>

#include <optional>
#include <utility>
#include <vector>

namespace store {

namespace {

const QLatin1String kAlgoritmo("pbkdf2-sha256");
constexpr int kSalBytes = 16;
constexpr int kHashBytes = 32;
// A stored text asking for more would hang the log-in for minutes: it is
// not one of ours.
constexpr int kMaxIteraciones = 10000000;

struct Partes {
    int iteraciones = 0;
    QByteArray sal;
    QByteArray hash;
};

std::optional<QByteArray> base64(const QString& text, int minBytes, int maxBytes) {
    const auto decoded =
        QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() < minBytes || decoded.decoded.size() > maxBytes)
        return std::nullopt;
    return decoded.decoded;
}

std::optional<Partes> partes(const QString& guardada) {
    const QStringList p = guardada.split(QLatin1Char('$'));
    if (p.size() != 4 || p.at(0) != kAlgoritmo)
        return std::nullopt;
    const QString& n = p.at(1);
    if (n.isEmpty() || n.size() > 9 || n.startsWith(QLatin1Char('0')))
        return std::nullopt;
    for (const QChar c : n) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    Partes r;
    r.iteraciones = n.toInt();
    if (r.iteraciones > kMaxIteraciones)
        return std::nullopt;
    const auto sal = base64(p.at(2), 8, 64);
    const auto hash = base64(p.at(3), 16, 64);
    if (!sal || !hash)
        return std::nullopt;
    r.sal = *sal;
    r.hash = *hash;
    return r;
}

QByteArray derivar(const QString& clave, const QByteArray& sal, int iteraciones, int bytes) {
    initialiseGcrypt();
    const QByteArray texto = clave.toUtf8();
    QByteArray out(bytes, '\0');
    if (gcry_kdf_derive(texto.constData(), size_t(texto.size()), GCRY_KDF_PBKDF2, GCRY_MD_SHA256,
                        sal.constData(), size_t(sal.size()), static_cast<unsigned long>(iteraciones),
                        size_t(out.size()), out.data()) != 0)
        return {};
    return out;
}

} // namespace

QString claveProtegida(const QString& clave) {
    return claveProtegida(clave, IteracionesClave);
}

QString claveProtegida(const QString& clave, int iteraciones) {
    if (clave.isEmpty())
        return QString();
    initialiseGcrypt();
    QByteArray sal(kSalBytes, '\0');
    gcry_randomize(sal.data(), size_t(sal.size()), GCRY_STRONG_RANDOM);
    const QByteArray hash = derivar(clave, sal, iteraciones, kHashBytes);
    if (hash.isEmpty())
        throw DatabaseError(QStringLiteral("No se puede proteger la contraseña."));
    return kAlgoritmo + QLatin1Char('$') + QString::number(iteraciones) + QLatin1Char('$') +
           QString::fromLatin1(sal.toBase64()) + QLatin1Char('$') + QString::fromLatin1(hash.toBase64());
}

bool esClaveProtegida(const QString& guardada) {
    return partes(guardada).has_value();
}

int iteracionesDe(const QString& guardada) {
    const std::optional<Partes> p = partes(guardada);
    return p ? p->iteraciones : 0;
}

bool claveCorrecta(const QString& guardada, const QString& tecleada) {
    const std::optional<Partes> p = partes(guardada);
    if (!p)
        return mismosBytes(guardada.toUtf8(), tecleada.toUtf8());
    // No hash of ours is of an empty password.
    if (tecleada.isEmpty())
        return false;
    const QByteArray hash = derivar(tecleada, p->sal, p->iteraciones, int(p->hash.size()));
    return !hash.isEmpty() && mismosBytes(hash, p->hash);
}

bool mismosBytes(const QByteArray& a, const QByteArray& b) {
    if (a.size() != b.size())
        return false;
    // Every byte is looked at, wherever the first difference lies.
    volatile unsigned char diferencia = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diferencia = diferencia | static_cast<unsigned char>(a.at(i) ^ b.at(i));
    return diferencia == 0;
}

int protegerClavesOperadores(const QSqlDatabase& db) {
    if (!hasTable(db, QStringLiteral("operadores")))
        return 0;
    std::vector<std::pair<QVariant, QString>> claras;
    QSqlQuery q = run(db, QStringLiteral("SELECT ID, PASS FROM operadores"));
    while (q.next()) {
        const QString pass = toText(q.value(1));
        if (!pass.isEmpty() && !esClaveProtegida(pass))
            claras.emplace_back(q.value(0), pass);
    }
    for (const auto& [id, pass] : claras)
        run(db, QStringLiteral("UPDATE operadores SET PASS = ? WHERE ID = ?"), {claveProtegida(pass), id});
    return int(claras.size());
}

} // namespace store
