#include "station/sondapuestos.h"

#include <QHostAddress>

namespace station {

class SondaPuestos::Sonda final : public LinkHost {
public:
    Sonda(SondaPuestos& owner, int index, const QString& address)
        : m_owner(owner)
        , m_index(index)
        , m_link(address, index + 1, owner.m_env, *this) {
        QObject::connect(&m_link, &TTareaCliente::exchangeFinished, &owner,
                         [this](bool replied) { finish(replied); });
    }
    void start() { m_link.start(); }

private:
    int checkStationLogin(const QString&) override { return -1; }
    QString changeStationPassword(const QString&, const QString&) override { return QStringLiteral("0"); }
    void connectionChanged() override {
        // Refused or not reached: there is no exchange to wait for.
        if (m_link.rec().disconnected)
            finish(false);
    }
    void loginAccepted(const QString&) override {}

    void finish(bool answered) {
        if (m_done)
            return;
        m_done = true;
        // Stopped, never deleted, from inside the link's own call.
        m_link.stop();
        m_owner.report(m_index, answered);
    }

    SondaPuestos& m_owner;
    int m_index;
    TTareaCliente m_link;
    bool m_done = false;
};

SondaPuestos::SondaPuestos(const Regional& regional, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_regional(regional)
    , m_scheduler(clock) {
    // The exchange follows the connection at once.
    m_settings.pollIntervalMs = 1;
    m_env.settings = &m_settings;
    m_env.regional = &m_regional;
    m_env.scheduler = &m_scheduler;
}

SondaPuestos::~SondaPuestos() = default;

void SondaPuestos::probar(const QStringList& addresses) {
    m_sondas.clear();
    m_pending = int(addresses.size());
    if (m_pending == 0) {
        emit terminado();
        return;
    }
    // Text that is no IP address is not looked up as a host name: a typo
    // must not send the console asking the network.
    QList<int> notAddresses;
    for (int i = 0; i < addresses.size(); ++i) {
        const QString address = addresses.at(i).trimmed();
        if (QHostAddress().setAddress(address))
            m_sondas.push_back(std::make_unique<Sonda>(*this, i, address));
        else
            notAddresses << i;
    }
    for (const auto& s : m_sondas)
        s->start();
    for (int i : notAddresses)
        report(i, false);
}

void SondaPuestos::report(int index, bool answered) {
    emit respuesta(index, answered);
    if (--m_pending == 0)
        emit terminado();
}

} // namespace station
