#include "store/passwordcache.h"

#include "store/privatefiles.h"
#include "store/recordcipher.h"
#include "store/windows1252.h"

#include <QFile>
#include <QSaveFile>

namespace store {

namespace {
constexpr char kSignature[] = "QUINTORPW"; // nine characters
}

QString readPasswordCache(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray clear = recordcipher::decipher(file.read(recordcipher::RecordSize));
    if (clear.size() != recordcipher::RecordSize || !clear.startsWith(kSignature))
        return QString();
    QByteArray password;
    for (int i = 10; i < clear.size() && clear.at(i) != 2 && clear.at(i) != 3; ++i)
        password += clear.at(i);
    return fromWindows1252(password);
}

Status writePasswordCache(const QString& path, const QString& password) {
    QByteArray clear(kSignature);
    clear += '\x02';
    clear += toWindows1252(password);
    clear += '\x02';
    if (clear.size() > recordcipher::RecordSize)
        return Status::failure(QStringLiteral("La contraseña es demasiado larga"));
    clear.append(recordcipher::RecordSize - clear.size(), '\0');
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(recordcipher::encipher(clear)) != recordcipher::RecordSize || !file.commit())
        return Status::failure(file.errorString());
    makePrivate(path);
    return Status::success();
}

} // namespace store
