// An account export file (usr.qdt) to import: whatever it holds, the import
// must neither crash nor leak, import only what it can read whole, and never
// store an amount beyond what the console takes. Input: one byte of flags
// (bit 0: the 3.1 layout of 17 fields, else 3.0's 13), then clear records;
// each 512 bytes are enciphered as the old versions did, so the reader
// meets what a real file would give it once deciphered.
#include "fuzzdemo.h"

#include "core/regional.h"
#include "store/datamodule.h"
#include "store/importcuentas.h"
#include "store/newdatabase.h"
#include "store/recordcipher.h"
#include "store/sql.h"
#include "store/transaction.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

struct World {
    fuzz::DemoDatabase demo;
    TDataModule1& data = demo.data;
    QString file;
    Regional regional = Regional::spanishSpain();
};

World* g_world = nullptr;
using fuzz::check;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    auto* w = new World;
    w->file = w->demo.dir.filePath(QStringLiteral("usr.qdt"));
    g_world = w;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    World& w = *g_world;
    const int count = (data[0] & 1) ? 17 : 13;
    const QByteArray clear(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    // Parsing alone, record by record, as the reader walks them.
    for (qsizetype at = 0; at < clear.size(); at += store::recordcipher::RecordSize) {
        QByteArray record = clear.mid(at, store::recordcipher::RecordSize);
        record.append(store::recordcipher::RecordSize - record.size(), '\0');
        if (const auto fields = store::parseExportRecord(record, count))
            check(fields->size() <= 17);
    }

    // The whole import, from a file, into the demo database; rolled back so
    // every input starts from the same accounts.
    QByteArray file;
    for (qsizetype at = 0; at + store::recordcipher::RecordSize <= clear.size();
         at += store::recordcipher::RecordSize)
        file += store::recordcipher::encipher(clear.mid(at, store::recordcipher::RecordSize));
    if (data[0] & 2)
        file += clear.right(clear.size() % store::recordcipher::RecordSize); // a partial record at the end
    {
        QFile out(w.file);
        check(out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(file) == file.size());
    }
    const QSqlDatabase db = w.data.db();
    store::Transaction tx(db);
    const qint64 before = store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM cuentas")).toLongLong();
    const Result<store::ImportOutcome> outcome = store::ImportarCuentas(db, w.file, count, w.regional);
    check(bool(outcome));
    const store::ImportOutcome& o = outcome.value();
    check(o.imported + o.skipped() >= o.records && o.imported <= o.records);
    const qint64 after = store::scalar(db, QStringLiteral("SELECT COUNT(*) FROM cuentas")).toLongLong();
    check(after - before == o.imported);
    const qint64 largest =
        store::scalar(db, QStringLiteral("SELECT COALESCE(MAX(ABS(credito)), 0) FROM cuentas")).toLongLong();
    check(largest <= Currency::MaxAmount.raw());
    return 0;
}
