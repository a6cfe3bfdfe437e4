#pragma once

#include "ui/messagetable.h"

#include <QWidget>

class QTextBrowser;
class QUrl;

// The console's own viewer of the manual, for a counter PC without a web
// browser: a window with the pages, their links and the screenshots.
class TFrmAyuda : public QWidget {
    Q_OBJECT
public:
    explicit TFrmAyuda(QWidget* parent = nullptr);

    static const ui::MessageTable& messages();

    void showPage(const QString& file);
    QUrl source() const;
    QTextBrowser* browser() const { return m_browser; }

private:
    QTextBrowser* m_browser = nullptr;
    QString m_home;
};
