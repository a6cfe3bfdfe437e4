#pragma once

#include "admin/puestaenmarcha.h"
#include "core/regional.h"
#include "station/sondapuestos.h"
#include "ui/messagetable.h"

#include <QSet>
#include <QWizard>

#include <array>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTextBrowser;
namespace sales {
class TicketPrinter;
}

// "[ Asistente de puesta en marcha ]": ADMIN's password and the tickets,
// the stations, a first tariff, the tax rate, the receipt printer and a
// cashier, written together at the end; cancelling writes nothing.
class TFrmAsistente : public QWizard {
    Q_OBJECT
public:
    enum Pagina { PageAdmin, PagePuestos, PageTarifa, PageImpuestos, PageImpresora, PageCajero, PageResumen };

    // printer may be null: no test print then.
    TFrmAsistente(admin::PuestaEnMarcha& logic, admin::PlanPuestaEnMarcha proposal, Regional regional,
                  Clock& clock, sales::TicketPrinter* printer, QWidget* parent = nullptr);

    static const ui::MessageTable& messages();

    // What the pages hold now; pages left out are marked so.
    admin::PlanPuestaEnMarcha plan() const;
    bool skipped(int page) const { return m_skipped.contains(page); }
    // After "Terminar": what the transaction wrote.
    const admin::PuestaEnMarchaEscrita& escrita() const { return m_escrita; }
    // Cancelled while ADMIN had no password: the console must not go on.
    bool cancelledWithoutPassword() const { return m_cancelledWithoutPassword; }

    station::SondaPuestos& sonda() { return m_sonda; }

    bool validateCurrentPage() override;
    void done(int result) override;

protected:
    // In front and ready for typing, with or without a window manager.
    void showEvent(QShowEvent* event) override;

private:
    QWizardPage* buildAdminPage();
    QWizardPage* buildPuestosPage();
    QWizardPage* buildTarifaPage();
    QWizardPage* buildImpuestosPage();
    QWizardPage* buildImpresoraPage();
    QWizardPage* buildCajeroPage();
    QWizardPage* buildResumenPage();
    QWizardPage* newPage(const QString& titleKey, const QString& introKey);

    void pageShown(int id);
    void skip();
    void fillStations();
    void probar();
    void printTest();
    void updateExample();
    void updateCashier();
    void fillSummary();
    // Shows a failed check and puts the keyboard on its field.
    void showCheck(const admin::PasoCheck& check, int page);
    QString text(const QString& key) const;
    QString money(const std::optional<Currency>& amount) const;
    Currency sampleAmount() const;

    admin::PuestaEnMarcha& m_logic;
    admin::PlanPuestaEnMarcha m_proposal;
    Regional m_regional;
    sales::TicketPrinter* m_printer;
    station::SondaPuestos m_sonda;
    admin::PuestaEnMarchaEscrita m_escrita;
    QSet<int> m_skipped;
    bool m_skipping = false;
    bool m_adminRequired = false;
    bool m_cancelledWithoutPassword = false;
    std::array<QWidget*, PageResumen + 1> m_first{};

    QLineEdit* m_adminClave = nullptr;
    QLineEdit* m_adminConfirmacion = nullptr;
    std::array<QLineEdit*, admin::LineasCabecera> m_cabecera{};
    std::array<QLineEdit*, admin::LineasPie> m_pie{};

    QSpinBox* m_cantidad = nullptr;
    QLineEdit* m_primera = nullptr;
    QTableWidget* m_tabla = nullptr;
    QPushButton* m_probar = nullptr;
    QLabel* m_probarEstado = nullptr;
    int m_answered = 0;

    QLineEdit* m_tarifa = nullptr;
    QLineEdit* m_costeHora = nullptr;
    QLineEdit* m_costeMinimo = nullptr;
    QLineEdit* m_redondeo = nullptr;

    QDoubleSpinBox* m_iva = nullptr;
    QLineEdit* m_ejemplo = nullptr;

    QComboBox* m_impresora = nullptr;
    QPushButton* m_prueba = nullptr;
    QLabel* m_pruebaEstado = nullptr;

    QCheckBox* m_conCajero = nullptr;
    QLineEdit* m_cajero = nullptr;
    QLineEdit* m_cajeroClave = nullptr;
    QLineEdit* m_cajeroConfirmacion = nullptr;

    QTextBrowser* m_resumen = nullptr;
};
