#include "app/login.h"

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
    if (password != op.PASS) {
        check.outcome = LoginCheck::Outcome::WrongPassword;
        check.messageKey = QStringLiteral("PasswordIncorrecta");
        return check;
    }
    check.outcome = LoginCheck::Outcome::Accepted;
    check.operador = op;
    return check;
}

} // namespace app
