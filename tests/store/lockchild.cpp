// Holds the console's claim on a database until it is killed: the lock test
// kills it with SIGKILL and claims the file at once.
//
//   lockchild DATABASE

#include "store/databaselock.h"

#include <QCoreApplication>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    store::DatabaseLock lock;
    const store::DatabaseLock::Outcome claim = lock.acquire(QString::fromLocal8Bit(argv[1]));
    if (!claim.acquired()) {
        std::fprintf(stderr, "refused: %s %lld %s\n", qPrintable(claim.host), claim.pid,
                     qPrintable(claim.error));
        return 3;
    }
    std::printf("held\n");
    std::fflush(stdout);
    for (;;)
        ::pause();
}
