#include "station/filelimit.h"

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

namespace station {

long raiseOpenFileLimit() {
#ifdef Q_OS_UNIX
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0)
        return -1;
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit wanted = limit;
        wanted.rlim_cur = limit.rlim_max;
        if (::setrlimit(RLIMIT_NOFILE, &wanted) == 0)
            limit = wanted;
    }
    return limit.rlim_cur == RLIM_INFINITY ? -1 : long(limit.rlim_cur);
#else
    return -1;
#endif
}

} // namespace station
