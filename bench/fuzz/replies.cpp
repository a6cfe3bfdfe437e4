// Whatever a station answers, the link must neither crash nor build a line
// that breaks the protocol. Input: one byte for the log-in decision, one for
// the password decision and the record's account, then replies separated by
// 0x1E.
#include "core/clock.h"
#include "core/regional.h"
#include "core/runtimesettings.h"
#include "station/tareacliente.h"
#include "station/wirecodec.h"
#include "station/wireformat.h"

#include <cstdint>
#include <cstdlib>

namespace {

struct Host final : station::LinkHost {
    int code = 0;
    QString result;
    int checkStationLogin(const QString& request) override {
        (void)station::loginFromRequest(request);
        (void)station::passwordFromRequest(request);
        return code;
    }
    QString changeStationPassword(const QString&, const QString&) override { return result; }
    void connectionChanged() override {}
    void loginAccepted(const QString&) override {}
};

void check(bool ok) {
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FakeClock clock;
    static station::LinkScheduler scheduler(clock, station::LinkScheduler::Drive::Manual);
    static RuntimeSettings settings;
    static const Regional regional = Regional::spanishSpain();
    static const station::LinkEnvironment env = [] {
        station::LinkEnvironment e;
        e.settings = &settings;
        e.regional = &regional;
        e.scheduler = &scheduler;
        return e;
    }();
    if (size < 2)
        return 0;

    static const int codes[] = {0, 1, 2, 3, 4, 5, 7, 13, 21, 6, -1, 1000000};
    Host host;
    host.code = codes[data[0] % (sizeof codes / sizeof codes[0])];
    host.result = data[1] % 3 == 0   ? QStringLiteral("0")
                  : data[1] % 3 == 1 ? QStringLiteral("1")
                                     : QStringLiteral("x");

    TTareaCliente link(QStringLiteral("127.0.0.1"), 1, env, host);
    station::StationRecord& r = link.rec();
    r.accountType = (data[1] & 0x10) ? QStringLiteral("2") : QStringLiteral("0");
    r.alarm = (data[1] & 0x20) != 0;
    r.clockMs = (data[1] & 0x40) ? -61000 : 3725000;
    r.prepaidSeconds = 3600;

    const QByteArray rest(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));
    int warning = 0;
    QByteArray line;
    for (const QByteArray& reply : rest.split('\x1e')) {
        link.handleReply(reply);
        check(link.replyLine().size() <= station::MaxLineBytes);
        check(!link.replyLine().contains(QChar(0)));
        check(int(r.estado) <= int(station::Estado::Admin));
        check(r.accountLogin.size() <= 10 || r.accountLogin.isEmpty());
        line = station::buildOutgoingLine(r, regional, warning, line);
        check(line.size() <= station::MaxLineBytes);
        check(!line.contains('\r') && !line.contains('\n') && !line.contains('\0'));
    }
    return 0;
}
