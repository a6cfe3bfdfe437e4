#include "admin/impresoras.h"

#include <cups/cups.h>

namespace admin {

QStringList impresorasInstaladas() {
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    QStringList names;
    for (int i = 0; i < count; ++i) {
        // Instances (printer/instance) are the same queue with other options.
        if (dests[i].instance)
            continue;
        names << QString::fromUtf8(dests[i].name);
    }
    cupsFreeDests(count, dests);
    names.sort(Qt::CaseInsensitive);
    names.removeDuplicates();
    return names;
}

} // namespace admin
