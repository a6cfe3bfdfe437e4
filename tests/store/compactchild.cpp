// Compacts a database over and over until it is killed: the maintenance test
// kills it with SIGKILL at some moment and checks what is left.
//
//   compactchild DATABASE

#include "store/dbfile.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    for (int round = 1;; ++round) {
        const Status s = store::CompactarBase(path);
        if (!s) {
            std::fprintf(stderr, "%s\n", qPrintable(s.error()));
            return 3;
        }
        std::printf("%d\n", round);
        std::fflush(stdout);
    }
}
