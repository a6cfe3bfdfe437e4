#pragma once

#include "reports/frmlistados.h"

#include <optional>
#include <vector>

class QComboBox;

namespace reports {

// "[ Registro de auditoría ]": the audit trail between two days, for one
// operator or all, one kind of action or all.
class TfrmAuditoria : public ListadoWindow {
    Q_OBJECT
public:
    explicit TfrmAuditoria(ConsoleContext& context, QWidget* parent = nullptr);
    // The dates to today; both lists filled again from the trail, on "- Todos -".
    void prepare() override;
    QComboBox* operators() const { return m_operators; }
    QComboBox* actions() const { return m_actions; }

protected:
    Statistic build() override;

private:
    QComboBox* m_operators = nullptr;
    QComboBox* m_actions = nullptr;
    // The value behind each entry; the first, "- Todos -", has none.
    std::vector<std::optional<QString>> m_operatorValues;
    std::vector<std::optional<QString>> m_actionValues;
};

} // namespace reports
