#pragma once

// What the fuzz targets share: a failed expectation ends the run as a
// crash, and the demo database in a folder of its own, opened without
// syncing (every input is rolled back; nothing needs to last).
#include "store/datamodule.h"
#include "store/newdatabase.h"
#include "store/sql.h"

#include <QTemporaryDir>

#include <cstdlib>

namespace fuzz {

inline void check(bool ok) {
    if (!ok)
        std::abort();
}

struct DemoDatabase {
    DemoDatabase() {
        const QString path = dir.filePath(QStringLiteral("ciber.mdb"));
        check(bool(store::createDatabase(path, true)));
        check(bool(data.open(path)));
        store::run(data.db(), QStringLiteral("PRAGMA synchronous=OFF"));
    }
    QTemporaryDir dir;
    TDataModule1 data;
};

} // namespace fuzz
