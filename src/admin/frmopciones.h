#pragma once

#include "store/rows.h"
#include "ui/messagetable.h"

#include <QDialog>

#include <array>
#include <vector>

class ListaTarifas;
class Ttarifas;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QStackedWidget;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;
struct ConsoleContext;
namespace ui {
class OpcionesPage;
}

// "[ Parámetros generales ]": the global options, one page per tree entry.
// The window edits a copy of the options and mail rows; only "Aplicar" and
// "&Aceptar" save them, after the checks.
class Tfrmopciones : public QDialog {
    Q_OBJECT
public:
    Tfrmopciones(ConsoleContext& context, const ListaTarifas& tarifas, QWidget* parent = nullptr);
    ~Tfrmopciones() override;

    static const ui::MessageTable& messages();
    static QStringList treeTexts();

    // Opening: the rows read, the band rule, the first page when allowed.
    // False when the database cannot be read (the error was shown).
    bool begin();

    // The permission of a tree entry; a refusal shows its message.
    bool PermisoPagina(int entry);
    // Validates and saves both rows; false when a check failed.
    bool AplicarOpciones();

    // Selects a tree entry as the operator would.
    void selectEntry(int entry);
    int currentEntry() const { return m_currentEntry; }
    // The page shown, or nullptr while none is.
    QWidget* currentPage() const;
    QWidget* page(int entry) const;

    // The row as the window holds it now (controls written into it).
    store::Opciones editedRow() const;

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildGenerales();
    QWidget* buildCuentas();
    QWidget* buildCodigos();
    QWidget* buildApertura();
    QWidget* buildFranjas();
    QWidget* buildTickets();
    QWidget* buildNotice();
    void watchEdits(QWidget* root);
    void readLists();
    void fillLists();
    void franjasEditadas();
    void loadControls();
    void saveControls(store::Opciones& o) const;
    void refreshApertura();
    void fillIntervals(const Ttarifas* tarifa);
    void treeChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void showEntry(int entry);
    void focusField(const QString& field);
    void enableApply();

    ConsoleContext& m_context;
    const ListaTarifas& m_tarifas;
    store::Opciones m_row;
    store::WebConfig m_web;
    bool m_bandsUsable = true;
    int m_currentEntry = -1;
    bool m_loading = false;

    struct Item {
        QString code;
        QString text;
    };
    std::vector<Item> m_recargas;
    std::vector<Item> m_bonos;
    std::vector<store::Tarifa> m_tarifaRows;
    std::vector<store::Tasa> m_tasas;
    QStringList m_printers;

    QTreeWidget* m_tree = nullptr;
    QStackedWidget* m_stack = nullptr;
    QWidget* m_empty = nullptr;
    std::array<QWidget*, 14> m_pages{};
    std::vector<ui::OpcionesPage*> m_registered;
    QPushButton* m_aceptar = nullptr;
    QPushButton* m_cancelar = nullptr;
    QPushButton* m_aplicar = nullptr;

    // Generales
    QSpinBox* m_alarmaPrepago = nullptr;
    QLineEdit* m_alarmaCredito = nullptr;
    QComboBox* m_ping = nullptr;
    QLineEdit* m_lastTicket = nullptr;
    QSpinBox* m_nextTicket = nullptr;
    QSpinBox* m_esperaToma = nullptr;
    QLineEdit* m_redondeo = nullptr;
    // Lock-outs: tries, window and minutes of a login or operator; tries and
    // minutes of a station.
    QSpinBox* m_bloqIntentos = nullptr;
    QSpinBox* m_bloqVentana = nullptr;
    QSpinBox* m_bloqMinutos = nullptr;
    QSpinBox* m_bloqPuestoIntentos = nullptr;
    QSpinBox* m_bloqPuestoMinutos = nullptr;
    // Crear cuentas de clientes
    QCheckBox* m_op2_1 = nullptr;
    QComboBox* m_cmb1 = nullptr;
    QButtonGroup* m_op2_2 = nullptr;
    QLineEdit* m_passIni = nullptr;
    QCheckBox* m_op2_6 = nullptr;
    QCheckBox* m_op2_4 = nullptr;
    QComboBox* m_iniMet = nullptr;
    QComboBox* m_iniTime = nullptr;
    QComboBox* m_op2_5 = nullptr;
    QCheckBox* m_op2_7 = nullptr;
    QComboBox* m_iniDesktop = nullptr;
    QLineEdit* m_diasCadCue = nullptr;
    QComboBox* m_cadCue = nullptr;
    // Crear códigos de tiempo
    QCheckBox* m_op3_1 = nullptr;
    QComboBox* m_cmb2 = nullptr;
    QButtonGroup* m_op3_2 = nullptr;
    QLineEdit* m_passIni2 = nullptr;
    QCheckBox* m_op3_6 = nullptr;
    QCheckBox* m_op3_3 = nullptr;
    QCheckBox* m_op3_4 = nullptr;
    QComboBox* m_iniDesktopCod = nullptr;
    QComboBox* m_iniTimeCod = nullptr;
    QLineEdit* m_diasCadCod = nullptr;
    QComboBox* m_cadCod = nullptr;
    // Abrir puesto
    QComboBox* m_op4_1 = nullptr;
    QComboBox* m_iniTarifa2 = nullptr;
    QLabel* m_cashLabel = nullptr;
    QLineEdit* m_op4Cash = nullptr;
    QLabel* m_minCost = nullptr;
    QTableWidget* m_intervals = nullptr;
    QCheckBox* m_op4_2 = nullptr;
    QCheckBox* m_op4_3 = nullptr;
    // Franjas horarias
    QComboBox* m_cambioTarifa = nullptr;
    QComboBox* m_porFranjas = nullptr;
    // Tickets
    QComboBox* m_tickCargo = nullptr;
    QComboBox* m_tickAviso = nullptr;
    QComboBox* m_desgloseIva = nullptr;
    QComboBox* m_ivaGen = nullptr;
    QComboBox* m_impresora = nullptr;
    QComboBox* m_impCierre = nullptr;
    std::array<QPlainTextEdit*, 6> m_textos{};
};
