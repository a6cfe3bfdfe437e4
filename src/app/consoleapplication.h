#pragma once

#include <QApplication>

// The console's application object. Every database error has its handler
// where the operation started; this is the last guard for one that was
// missed (or an amount out of range), so that it is shown instead of ending
// the console and every period not yet saved with it.
class ConsoleApplication final : public QApplication {
public:
    ConsoleApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    void showLater(const QString& text);
    bool m_showing = false;
};
