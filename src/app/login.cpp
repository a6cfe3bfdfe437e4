#include "app/login.h"

#include "store/bloqueos.h"
#include "store/claves.h"
#include "store/consolas.h"
#include "store/opciones.h"

namespace app {

LoginCheck checkLogin(const std::vector<store::Operador>& operators, int selectedIndex,
                      const QString& password) {
    LoginCheck check;
    if (selectedIndex < 0 || selectedIndex >= static_cast<int>(operators.size())) {
        check.outcome = LoginCheck::Outcome::NoOperatorSelected;
        check.messageKey = QStringLiteral("SeleccioneUsuario");
        return check;
    }
    const store::Operador& op = operators[static_cast<size_t>(selectedIndex)];
    if (!store::claveCorrecta(op.PASS, password)) {
        check.outcome = LoginCheck::Outcome::WrongPassword;
        check.messageKey = QStringLiteral("PasswordIncorrecta");
        return check;
    }
    check.outcome = LoginCheck::Outcome::Accepted;
    check.operador = op;
    return check;
}

LoginCheck checkLogin(const QSqlDatabase& db, const std::vector<store::Operador>& operators,
                      int selectedIndex, const QString& password, const QDateTime& cuando) {
    if (selectedIndex < 0 || selectedIndex >= static_cast<int>(operators.size()))
        return checkLogin(operators, selectedIndex, password);
    const QString name = operators[static_cast<size_t>(selectedIndex)].NOMBRE;
    const auto locked = [](const store::Bloqueo& lock, qint64 nowMs) {
        LoginCheck check;
        check.outcome = LoginCheck::Outcome::Locked;
        check.messageKey = QStringLiteral("OperadorBloqueado");
        check.minutos = store::minutosRestantes(lock, nowMs);
        return check;
    };
    const qint64 nowMs = store::serverNowMs(db);
    if (const auto lock = store::bloqueoVigente(db, store::TipoBloqueo::Operador, name, nowMs))
        return locked(*lock, nowMs);
    LoginCheck check = checkLogin(operators, selectedIndex, password);
    if (check.outcome != LoginCheck::Outcome::WrongPassword)
        return check;
    const store::FalloRegistrado f =
        store::registrarFallo(db, store::TipoBloqueo::Operador, name,
                              store::limitesBloqueo(store::readOpciones(db)), nowMs, cuando);
    if (f.bloqueo)
        return locked(*f.bloqueo, nowMs);
    return check;
}

} // namespace app
