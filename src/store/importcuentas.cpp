#include "store/importcuentas.h"

#include "store/dialect.h"
#include "store/privatefiles.h"
#include "store/recordcipher.h"
#include "store/sql.h"
#include "store/transaction.h"
#include "store/windows1252.h"

#include <QFile>
#include <QSaveFile>

namespace store {

namespace {

constexpr char kEnd = 2;
// Login and Pass hold at most this many characters; a longer one could never
// log in at a station.
constexpr int kMaxCredential = 10;

// A credit beyond what the console's amounts take would be stored and then
// overflow the first sum it enters; text that is no amount at all is left
// unset, as before.
bool withinAmounts(const Regional& regional, const QString& text) {
    const Regional::CurrencyReading r = regional.readCurrency(text);
    if (r.status == Regional::CurrencyReading::Status::Malformed)
        return true;
    return r.ok() && r.value.withinMaxAmount();
}

bool isFlag(const QString& text) {
    return text == QLatin1String("1");
}

} // namespace

std::optional<QStringList> parseExportRecord(const QByteArray& clear, int count) {
    if (clear.size() != recordcipher::RecordSize)
        return std::nullopt;
    // The layout first: text ended by byte 2, then only zeros. Control bytes
    // never occur in the text the old versions wrote.
    int separators = 0;
    int end = 0;
    for (int i = 0; i < clear.size(); ++i) {
        const auto b = static_cast<unsigned char>(clear.at(i));
        if (b == 0)
            break;
        if (b == kEnd) {
            ++separators;
            end = i + 1;
        } else if (b < 0x20) {
            return std::nullopt;
        }
    }
    for (int i = end; i < clear.size(); ++i) {
        if (clear.at(i) != 0)
            return std::nullopt;
    }
    if (separators != 13 && separators != 17)
        return std::nullopt;

    QStringList fields;
    QByteArray text;
    int n = 1;
    for (const char c : clear) {
        if (c == kEnd) {
            fields << fromWindows1252(text);
            ++n;
            text.clear();
        } else if (c == 0) {
            text.clear();
            if (n > count)
                break;
            fields << QString();
            ++n;
        } else {
            text += c;
        }
    }
    return fields;
}

QByteArray buildExportRecord(const QStringList& fields) {
    QByteArray clear;
    for (const QString& field : fields) {
        clear += toWindows1252(field);
        clear += kEnd;
    }
    if (clear.size() > recordcipher::RecordSize)
        return {};
    clear.append(recordcipher::RecordSize - clear.size(), '\0');
    return clear;
}

Status writeExportFile(const QString& path, const QList<QStringList>& records) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Status::failure(file.errorString());
    for (const QStringList& fields : records) {
        const QByteArray clear = buildExportRecord(fields);
        if (clear.isEmpty())
            return Status::failure(QStringLiteral("Registro demasiado largo"));
        file.write(recordcipher::encipher(clear));
    }
    if (!file.commit())
        return Status::failure(file.errorString());
    makePrivate(path);
    return Status::success();
}

Result<ImportOutcome> ImportarCuentas(const QSqlDatabase& db, const QString& path, int count,
                                      const Regional& regional, const ImportProgress& progress) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result<ImportOutcome>::failure(file.errorString());
    ImportOutcome outcome;
    outcome.records = static_cast<int>(file.size() / recordcipher::RecordSize);
    if (file.size() % recordcipher::RecordSize != 0)
        ++outcome.invalid; // a partial record at the end
    if (progress)
        progress(0, outcome.records);

    try {
        Transaction t(db);
        for (int done = 1; done <= outcome.records; ++done) {
            const QByteArray record = file.read(recordcipher::RecordSize);
            const std::optional<QStringList> fields =
                parseExportRecord(recordcipher::decipher(record), count);
            const auto field = [&](int number) {
                return number <= fields->size() ? fields->at(number - 1) : QString();
            };
            if (!fields || field(1).trimmed().isEmpty() || field(1).size() > kMaxCredential ||
                field(2).size() > kMaxCredential || !withinAmounts(regional, field(10))) {
                ++outcome.invalid;
            } else if (scalar(db,
                              QStringLiteral("SELECT COUNT(*) FROM cuentas WHERE ") +
                                  equalsCaseless(db, QStringLiteral("Login")),
                              {field(1)})
                           .toInt() > 0) {
                ++outcome.existing;
            } else {
                QStringList columns{
                    QStringLiteral("Login"),      QStringLiteral("Pass"),        QStringLiteral("Nombre"),
                    QStringLiteral("Dir"),        QStringLiteral("Telf"),        QStringLiteral("Intropass"),
                    QStringLiteral("Nomodpass"),  QStringLiteral("Desactivada"), QStringLiteral("Aviso"),
                    QStringLiteral("CheckAviso"), QStringLiteral("Bloquear"),    QStringLiteral("Tipo")};
                QVariantList values{field(1),
                                    field(2),
                                    field(3),
                                    field(4),
                                    field(5),
                                    sqlValue(isFlag(field(6))),
                                    sqlValue(isFlag(field(7))),
                                    sqlValue(isFlag(field(8))),
                                    field(9),
                                    sqlValue(!field(9).isEmpty()),
                                    sqlValue(isFlag(field(16))),
                                    QStringLiteral("0")};
                // Text that does not convert leaves the column as a new row has it.
                if (const std::optional<Currency> credit = regional.parseCurrency(field(10))) {
                    columns << QStringLiteral("credito");
                    values << sqlValue(*credit);
                }
                bool isNumber = false;
                const int discount = field(11).trimmed().toInt(&isNumber);
                if (isNumber) {
                    columns << QStringLiteral("Descuento");
                    values << discount;
                }
                for (const auto& [number, column] : {std::pair{12, "Alta"}, std::pair{13, "Ultima"}}) {
                    const QDate date = regional.parseDate(field(number).trimmed());
                    if (date.isValid()) {
                        columns << QString::fromLatin1(column);
                        values << sqlValue(date);
                    }
                }
                const QString sql =
                    QStringLiteral("INSERT INTO cuentas (") + columns.join(QStringLiteral(", ")) +
                    QStringLiteral(") VALUES (") +
                    QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", ")) +
                    QLatin1Char(')');
                run(db, sql, values);
                ++outcome.imported;
            }
            if (progress)
                progress(done, outcome.records);
        }
        t.commit();
    } catch (const DatabaseError& e) {
        return Result<ImportOutcome>::failure(e.text());
    }
    return outcome;
}

} // namespace store
