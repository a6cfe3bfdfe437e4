#include "sim/fault.h"

namespace velkarsim {

std::optional<Fault> Fault::parse(const QString& text, QString* error) {
    const QString t = text.trimmed().toLower();
    const qsizetype eq = t.indexOf(u'=');
    const QString name = eq >= 0 ? t.left(eq) : t;
    const QString arg = eq >= 0 ? t.mid(eq + 1) : QString();

    auto fail = [error](const QString& why) -> std::optional<Fault> {
        if (error)
            *error = why;
        return std::nullopt;
    };

    Fault f;
    if (name == u"none" || name == u"ok")
        f.mode = Mode::None;
    else if (name == u"refuse")
        f.mode = Mode::Refuse;
    else if (name == u"never-answer")
        f.mode = Mode::NeverAnswer;
    else if (name == u"delay")
        f.mode = Mode::Delay;
    else if (name == u"garbage")
        f.mode = Mode::Garbage;
    else if (name == u"oversize")
        f.mode = Mode::Oversize;
    else if (name == u"drop")
        f.mode = Mode::Drop;
    else
        return fail(QStringLiteral("unknown fault '%1'").arg(text.trimmed()));

    if (f.mode == Mode::Delay) {
        bool ok = false;
        const int ms = arg.toInt(&ok);
        if (!ok || ms < 0)
            return fail(QStringLiteral("delay needs a number of milliseconds (delay=MS)"));
        f.delayMs = ms;
    } else if (eq >= 0) {
        return fail(QStringLiteral("fault '%1' takes no value").arg(name));
    }
    return f;
}

QString Fault::toString() const {
    switch (mode) {
    case Mode::None:
        return QStringLiteral("none");
    case Mode::Refuse:
        return QStringLiteral("refuse");
    case Mode::NeverAnswer:
        return QStringLiteral("never-answer");
    case Mode::Delay:
        return QStringLiteral("delay=%1").arg(delayMs);
    case Mode::Garbage:
        return QStringLiteral("garbage");
    case Mode::Oversize:
        return QStringLiteral("oversize");
    case Mode::Drop:
        return QStringLiteral("drop");
    }
    return {};
}

QString Fault::label() const {
    switch (mode) {
    case Mode::None:
        return QStringLiteral("Sin fallo");
    case Mode::Refuse:
        return QStringLiteral("Rechaza la conexión");
    case Mode::NeverAnswer:
        return QStringLiteral("No responde");
    case Mode::Delay:
        return QStringLiteral("Responde con %1 ms de retraso").arg(delayMs);
    case Mode::Garbage:
        return QStringLiteral("Responde basura");
    case Mode::Oversize:
        return QStringLiteral("Respuesta de más de 512 bytes");
    case Mode::Drop:
        return QStringLiteral("Corta la conexión");
    }
    return {};
}

} // namespace velkarsim
