#pragma once

#include "admin/avisos.h"
#include "ui/opcionespage.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace admin {

// "Programación de Logs": the schedule and which events send a mail.
class ProgramacionLogsPage : public ui::OpcionesPage {
    Q_OBJECT
public:
    explicit ProgramacionLogsPage(QWidget* parent = nullptr);
    void load(const store::Opciones& opciones, const store::WebConfig& web) override;
    void save(store::Opciones& opciones, store::WebConfig& web) const override;

private:
    QComboBox* m_frecuencia;
    QCheckBox* m_estado;
    QCheckBox* m_informe;
    QCheckBox* m_inicio;
    QCheckBox* m_cambio;
    QCheckBox* m_fin;
};

// "Servidor para Logs" and "Servidor para informe de caja": one server's
// addresses, its optional security, the test send and the last failure.
class ServidorCorreoPage : public ui::OpcionesPage {
    Q_OBJECT
public:
    ServidorCorreoPage(MailServer server, Avisos& avisos, QWidget* parent = nullptr);
    void load(const store::Opciones& opciones, const store::WebConfig& web) override;
    void save(store::Opciones& opciones, store::WebConfig& web) const override;

    // The values on screen, saved or not.
    MailServerSettings onScreen() const;
    // "&Envio de prueba": the four checks in order, then the test mail.
    void enviarPrueba();

private:
    void showFailure();
    QLineEdit* field(MailField f) const;

    MailServer m_server;
    Avisos& m_avisos;
    QLineEdit* m_para;
    QLineEdit* m_cc;
    QLineEdit* m_de;
    QLineEdit* m_smtp;
    QLineEdit* m_puerto;
    QLineEdit* m_usuario;
    QLineEdit* m_clave;
    QCheckBox* m_tls;
    QCheckBox* m_sinCifrar;
    QLabel* m_estadoEnvio;
    QLabel* m_fallo;
    quint64 m_pruebaId = 0;
};

} // namespace admin
