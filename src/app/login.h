#pragma once

#include "store/operadores.h"

#include <QString>

#include <vector>

namespace app {

// The log-in page's check of the chosen operator and the typed password.
struct LoginCheck {
    enum class Outcome { Accepted, NoOperatorSelected, WrongPassword };
    Outcome outcome = Outcome::NoOperatorSelected;
    store::Operador operador;
    // Message key of the refusal, empty when accepted.
    QString messageKey;
};

// selectedIndex is the list position (-1 for none); passwords compare exactly.
LoginCheck checkLogin(const std::vector<store::Operador>& operators, int selectedIndex,
                      const QString& password);

} // namespace app
