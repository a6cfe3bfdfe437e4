#pragma once

#include "accounts/busqueda.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace accounts {

// What a search dialog needs of the list it searches: apply the filter to
// the list live, tell the login under the cursor and put the cursor on one.
struct VistaBusqueda {
    std::function<void(CampoBusqueda campo, const QString& typed, bool startsWith)> filtrar;
    std::function<QString()> actual;
    std::function<void(const QString& login)> seleccionar;
};

// The live search: every keystroke filters the list; Enter moves to
// "&Aceptar". Accepting keeps the row then under the cursor, cancelling
// goes back to the one before the search; either way the filter is cleared.
class BusquedaDialog : public QDialog {
    Q_OBJECT
public:
    QLineEdit* textEdit() const { return m_text; }
    QRadioButton* loginButton() const { return m_login; }
    QRadioButton* nombreButton() const { return m_nombre; }
    QRadioButton* empiezaButton() const { return m_empieza; }
    QRadioButton* contieneButton() const { return m_contiene; }
    QPushButton* aceptarButton() const { return m_aceptar; }
    void done(int result) override;

protected:
    BusquedaDialog(const VistaBusqueda& vista, bool porNombre, QWidget* parent);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void filtrar();

    VistaBusqueda m_vista;
    QString m_anterior;
    bool m_terminado = false;
    QLineEdit* m_text = nullptr;
    QRadioButton* m_login = nullptr;
    QRadioButton* m_nombre = nullptr;
    QRadioButton* m_empieza = nullptr;
    QRadioButton* m_contiene = nullptr;
    QPushButton* m_aceptar = nullptr;
};

} // namespace accounts

// "&7.- Buscar cuenta...": by "Login" or "Nombre".
class TFrmbusqcue final : public accounts::BusquedaDialog {
    Q_OBJECT
public:
    explicit TFrmbusqcue(const accounts::VistaBusqueda& vista, QWidget* parent = nullptr);
};

// "&6.- Buscar código...": by "Login" only.
class TFrmbusqcod final : public accounts::BusquedaDialog {
    Q_OBJECT
public:
    explicit TFrmbusqcod(const accounts::VistaBusqueda& vista, QWidget* parent = nullptr);
};
