#include "station/loginsinuse.h"

namespace station {

void LoginsInUse::add(const QString& login) {
    m_logins.insert(key(login));
}

bool LoginsInUse::contains(const QString& login) const {
    return m_logins.contains(key(login));
}

void LoginsInUse::remove(const QString& login) {
    m_logins.remove(key(login));
}

} // namespace station
