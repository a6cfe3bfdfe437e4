#pragma once

#include "station/progress.h"

#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

namespace ui {

// A progress bar on top of every window for the long registry operations.
class ProgressWindow final : public station::Progress {
public:
    explicit ProgressWindow(QWidget* parent, const QString& caption = QString());
    ~ProgressWindow() override;

    void begin(int maximum) override;
    void step() override;
    void end() override;

    int value() const;
    int maximum() const;
    bool isShown() const;

private:
    QWidget* m_parent;
    QString m_caption;
    std::unique_ptr<QProgressDialog> m_dialog;
};

} // namespace ui
