#include "station/stationtransport.h"

#include "station/qttransport.h"

#ifdef Q_OS_UNIX
#include "station/nativetransport.h"
#endif

namespace station {

std::unique_ptr<StationTransport> makeTransport(TransportKind kind, TransportListener& listener) {
#ifdef Q_OS_UNIX
    if (kind == TransportKind::Native)
        return std::make_unique<NativeTransport>(listener);
#else
    Q_UNUSED(kind);
#endif
    return std::make_unique<QtSocketTransport>(listener);
}

} // namespace station
