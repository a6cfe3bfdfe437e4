#pragma once

#include "reports/listings.h"

#include <QDialog>

struct ConsoleContext;
class QButtonGroup;
class QChartView;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QTableWidget;
class QTimer;
class QVBoxLayout;

namespace reports {

// What the listing windows share: "Desde" and "Hasta" (today on every
// opening), the choices of each window, the button that previews the
// listing and "&Cancelar". A statistics window also shows its result as a
// table with a chart beside it, filled with the default selection as soon as
// the window opens.
class ListadoWindow : public QDialog {
    Q_OBJECT
public:
    ListadoWindow(ConsoleContext& context, const QString& name, const QString& caption, bool statistic,
                  bool dates = true, QWidget* parent = nullptr);

    // The dates to today; choices as on the first opening.
    virtual void prepare();
    DateRange range() const;
    // Runs the query and shows the listing in its preview; false when the
    // query failed (the error has been shown).
    virtual bool imprimir();
    // Runs the query and fills the table and the chart of a statistic; false
    // when the query failed (the error has been shown).
    bool consultar();
    // The last result, for the table, the chart and tests.
    const Statistic& result() const { return m_result; }

    QDateEdit* fromEdit() const { return m_from; }
    QDateEdit* toEdit() const { return m_to; }
    QTableWidget* table() const { return m_table; }
    QChartView* chart() const { return m_chart; }

protected:
    virtual Statistic build() = 0;
    void showEvent(QShowEvent* event) override;
    QVBoxLayout* choices() const { return m_choices; }
    QGroupBox* addGroup(const QString& title, const QStringList& options, QButtonGroup*& group,
                        QVBoxLayout** layout = nullptr);
    ConsoleContext& m_context;

private:
    void showResult();

    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QVBoxLayout* m_choices = nullptr;
    QTableWidget* m_table = nullptr;
    QChartView* m_chart = nullptr;
    // Statistics: the query again after a change of dates or choices.
    QTimer* m_refresh = nullptr;
    static constexpr int RefreshDelayMs = 400;
    Statistic m_result;
};

class Tfrmlstgentick : public ListadoWindow {
    Q_OBJECT
public:
    explicit Tfrmlstgentick(ConsoleContext& context, QWidget* parent = nullptr);
    QButtonGroup* kind() const { return m_kind; }
    // The preview shows the first pages while the rest is read.
    bool imprimir() override;

protected:
    Statistic build() override;

private:
    QButtonGroup* m_kind = nullptr;
};

class Tfrmlstciber : public ListadoWindow {
    Q_OBJECT
public:
    explicit Tfrmlstciber(ConsoleContext& context, QWidget* parent = nullptr);
    void prepare() override;
    QButtonGroup* kind() const { return m_kind; }
    QComboBox* stations() const { return m_stations; }

protected:
    Statistic build() override;

private:
    void kindChanged();
    QButtonGroup* m_kind = nullptr;
    QComboBox* m_stations = nullptr;
    std::vector<int> m_numbers;
};

class Tfrmlstmovcue : public ListadoWindow {
    Q_OBJECT
public:
    explicit Tfrmlstmovcue(ConsoleContext& context, QWidget* parent = nullptr);
    void prepare() override;
    QButtonGroup* scope() const { return m_scope; }
    QButtonGroup* kind() const { return m_kind; }
    QComboBox* accounts() const { return m_accounts; }
    QComboBox* codes() const { return m_codes; }

protected:
    Statistic build() override;

private:
    void scopeChanged();
    QButtonGroup* m_scope = nullptr;
    QButtonGroup* m_kind = nullptr;
    QComboBox* m_accounts = nullptr;
    QComboBox* m_codes = nullptr;
};

class Tfrmestclientes : public ListadoWindow {
    Q_OBJECT
public:
    explicit Tfrmestclientes(ConsoleContext& context, QWidget* parent = nullptr);
    QButtonGroup* kind() const { return m_kind; }

protected:
    Statistic build() override;

private:
    QButtonGroup* m_kind = nullptr;
};

class TFrmestpuestos : public ListadoWindow {
    Q_OBJECT
public:
    explicit TFrmestpuestos(ConsoleContext& context, QWidget* parent = nullptr);

protected:
    Statistic build() override;
};

class Tfrmestventas : public ListadoWindow {
    Q_OBJECT
public:
    explicit Tfrmestventas(ConsoleContext& context, QWidget* parent = nullptr);
    void prepare() override;
    QButtonGroup* kind() const { return m_kind; }
    QComboBox* articles() const { return m_articles; }

protected:
    Statistic build() override;

private:
    void kindChanged();
    QButtonGroup* m_kind = nullptr;
    QComboBox* m_articles = nullptr;
    std::vector<std::pair<QString, QString>> m_list;
};

class Tfrmestbonos : public ListadoWindow {
    Q_OBJECT
public:
    explicit Tfrmestbonos(ConsoleContext& context, QWidget* parent = nullptr);

protected:
    Statistic build() override;
};

class Tfrmlistcuentas : public ListadoWindow {
    Q_OBJECT
public:
    explicit Tfrmlistcuentas(ConsoleContext& context, QWidget* parent = nullptr);
    QComboBox* sortKey(int i) const { return m_keys[i]; }
    QLineEdit* nameStart() const { return m_name; }
    QButtonGroup* kind() const { return m_kind; }

protected:
    Statistic build() override;

private:
    QComboBox* m_keys[3] = {};
    QLineEdit* m_name = nullptr;
    QButtonGroup* m_kind = nullptr;
};

} // namespace reports
