#include "sim/options.h"

#include "station/stationaddress.h"

namespace velkarsim {

namespace {
constexpr int MaxStationNumber = 9999;
}

Options Options::parse(const QStringList& arguments) {
    Options o;
    auto fail = [&o](const QString& text) {
        if (o.error.isEmpty())
            o.error = text;
    };

    for (qsizetype i = 0; i < arguments.size() && o.error.isEmpty(); ++i) {
        QString name = arguments[i];
        QString value;
        bool hasValue = false;
        const qsizetype eq = name.indexOf(u'=');
        if (name.startsWith(u"--") && eq > 0) {
            value = name.mid(eq + 1);
            name = name.left(eq);
            hasValue = true;
        }
        auto need = [&]() -> bool {
            if (hasValue)
                return true;
            if (i + 1 >= arguments.size()) {
                fail(QStringLiteral("%1 needs a value").arg(name));
                return false;
            }
            value = arguments[++i];
            return true;
        };
        auto number = [&](int min, int max, int* out) {
            if (!need())
                return;
            bool ok = false;
            const int v = value.toInt(&ok);
            if (!ok || v < min || v > max)
                fail(QStringLiteral("%1: '%2' is not a number from %3 to %4")
                         .arg(name, value)
                         .arg(min)
                         .arg(max));
            else
                *out = v;
        };

        if (name == u"--headless") {
            o.headless = true;
        } else if (name == u"--gui") {
            o.headless = false;
        } else if (name == u"--base") {
            if (need()) {
                o.base = QHostAddress(value);
                if (!station::isLoopback(o.base))
                    fail(QStringLiteral("--base must be an address in 127.0.0.0/8"));
            }
        } else if (name == u"--count") {
            number(1, MaxStationNumber, &o.count);
        } else if (name == u"--first-number") {
            number(1, MaxStationNumber, &o.firstNumber);
        } else if (name == u"--port") {
            int port = 0;
            number(1, 65535, &port);
            o.port = quint16(port);
        } else if (name == u"--fault") {
            if (need()) {
                QString why;
                if (const auto f = Fault::parse(value, &why))
                    o.fault = *f;
                else
                    fail(u"--fault: " + why);
            }
        } else if (name == u"--fault-station") {
            if (need()) {
                const qsizetype colon = value.indexOf(u':');
                bool ok = false;
                const int n = value.left(colon).toInt(&ok);
                QString why;
                const auto f = colon > 0 ? Fault::parse(value.mid(colon + 1), &why) : std::nullopt;
                if (!ok || colon <= 0)
                    fail(QStringLiteral("--fault-station takes N:MODE[=MS]"));
                else if (!f)
                    fail(u"--fault-station: " + why);
                else
                    o.faultByStation.insert(n, *f);
            }
        } else if (name == u"--script") {
            if (need())
                o.scriptFile = value;
        } else if (name == u"--control") {
            if (need()) {
                const qsizetype colon = value.lastIndexOf(u':');
                bool ok = false;
                const int port = value.mid(colon + 1).toInt(&ok);
                o.controlHost = QHostAddress(value.left(colon));
                if (colon <= 0 || !ok || port < 0 || port > 65535)
                    fail(QStringLiteral("--control takes HOST:PORT"));
                else if (!station::isLoopback(o.controlHost))
                    fail(QStringLiteral("--control must be an address in 127.0.0.0/8"));
                o.controlPort = quint16(port);
                o.hasControl = true;
            }
        } else if (name == u"--log") {
            o.log = true;
        } else if (name == u"--stats") {
            o.stats = true;
            if (hasValue) {
                bool ok = false;
                o.statsEverySeconds = value.toInt(&ok);
                if (!ok || o.statsEverySeconds < 0)
                    fail(QStringLiteral("--stats=N takes a number of seconds"));
            }
        } else if (name == u"--reboot-ms") {
            number(0, 3600 * 1000, &o.rebootMs);
        } else if (name == u"--duration") {
            if (need()) {
                bool ok = false;
                o.durationSeconds = value.toDouble(&ok);
                if (!ok || o.durationSeconds < 0)
                    fail(QStringLiteral("--duration takes a number of seconds"));
            }
        } else if (name == u"--listen") {
            if (need()) {
                if (value == u"auto")
                    o.listenPolicy = Simulator::ListenPolicy::Auto;
                else if (value == u"always")
                    o.listenPolicy = Simulator::ListenPolicy::Always;
                else if (value == u"idle")
                    o.listenPolicy = Simulator::ListenPolicy::WhileIdle;
                else
                    fail(QStringLiteral("--listen takes auto, always or idle"));
            }
        } else if (name == u"--place") {
            if (need()) {
                if (value == u"left")
                    o.place = Place::Left;
                else if (value == u"right")
                    o.place = Place::Right;
                else
                    fail(QStringLiteral("--place takes left or right"));
            }
        } else if (name == u"--ready-file") {
            if (need())
                o.readyFile = value;
        } else if (name == u"--help" || name == u"-h") {
            o.help = true;
        } else {
            fail(QStringLiteral("unknown option '%1'").arg(arguments[i]));
        }
    }

    if (o.error.isEmpty()) {
        if (o.firstNumber + o.count - 1 > MaxStationNumber)
            fail(QStringLiteral("station numbers go up to %1").arg(MaxStationNumber));
        else if (!station::isLoopback(station::loopbackStationAddress(o.base, o.count - 1)))
            fail(QStringLiteral("the stations' addresses would leave 127.0.0.0/8"));
    }
    return o;
}

QString Options::helpText() {
    return QStringLiteral(
        "Usage: velkar-sim [options]\n"
        "Simulates station programs for the Quintor console on loopback addresses.\n"
        "\n"
        "  --headless              no window; for tests and benchmarks\n"
        "  --base ADDRESS          address of the first station (default 127.0.1.1)\n"
        "  --count N               number of stations (default 8)\n"
        "  --first-number K        number of the first station (default 1)\n"
        "  --port PORT             station port (default 2222)\n"
        "  --fault MODE[=MS]       fault of every station: none, refuse, never-answer,\n"
        "                          delay=MS, garbage, oversize, drop\n"
        "  --fault-station N:MODE[=MS]  fault of station number N (repeatable)\n"
        "  --script FILE           timed commands, one per line\n"
        "  --control HOST:PORT     command channel on a loopback address\n"
        "  --log                   one line per exchange on stdout\n"
        "  --stats[=N]             figures on exit, and every N seconds\n"
        "  --reboot-ms MS          how long a restart ordered by the console takes (5000)\n"
        "  --duration S            quit after S seconds\n"
        "  --listen auto|always|idle  keep a station's listener while connected\n"
        "  --place left|right      window: a third of the screen at that edge, full height\n"
        "  --ready-file FILE       window: write FILE once the window is on the screen\n"
        "  --help                  this text\n");
}

} // namespace velkarsim
