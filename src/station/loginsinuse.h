#pragma once

#include "store/dialect.h"

#include <QSet>
#include <QString>

namespace station {

// The logins of accounts and time codes logged in at some station. Letter
// case counts as it does for the logins in the database: "ana" is "ANA",
// "ñ" is not "Ñ".
class LoginsInUse {
public:
    void add(const QString& login);
    bool contains(const QString& login) const;
    void remove(const QString& login);
    void clear() { m_logins.clear(); }
    qsizetype size() const { return m_logins.size(); }
    bool isEmpty() const { return m_logins.isEmpty(); }

private:
    static QString key(const QString& login) { return store::foldAscii(login); }
    QSet<QString> m_logins;
};

} // namespace station
