#pragma once

#include "store/operadores.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class QWidget;
class TFrmMain;
class Tfrmlisttik;
struct ConsoleContext;

// Puts the cash desk and the listings on the main window: the entries of
// "&Utilidades" with their permissions, and the options page "Turnos caja".
class ReportsController : public QObject {
    Q_OBJECT
public:
    ReportsController(ConsoleContext& context, TFrmMain& window, QObject* parent = nullptr);
    ~ReportsController() override;

    // The entry's window, after the permission check; false when refused.
    bool open(const QString& actionName);
    // Sends the cash report's HTML by mail ("Enviar como e-mail").
    void setCajaMailer(std::function<void(const QStringList& html)> mailer);

private:
    bool permitted(store::Permiso permiso);

    ConsoleContext& m_context;
    TFrmMain& m_window;
    // Kept between uses: it remembers its times and listing kind.
    QPointer<Tfrmlisttik> m_caja;
    std::function<void(const QStringList&)> m_cajaMailer;
};
