#pragma once

#include <QWidget>

#include <functional>
#include <map>

struct ConsoleContext;
namespace store {
struct Opciones;
struct WebConfig;
} // namespace store

namespace ui {

// A page of the options window ("[ Parámetros generales ]") that belongs to
// another subsystem. Pages that edit tables of their own (tariffs, bands,
// vouchers, top-ups, taxes, shifts) write through their own dialogs at once;
// pages that edit columns of opciones or webconfig read them in load() and
// write them back in save(), which the window calls when it applies.
class OpcionesPage : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

    // The rows as the window holds them, when it opens and after each apply.
    virtual void load(const store::Opciones& opciones, const store::WebConfig& web) {
        (void)opciones;
        (void)web;
    }
    // The page's checks, in order; on the first failure the page has shown its
    // message and focused the field, and answers false. Nothing is saved then.
    virtual bool check() { return true; }
    // The page's values into the rows the window is about to save.
    virtual void save(store::Opciones& opciones, store::WebConfig& web) const {
        (void)opciones;
        (void)web;
    }

signals:
    // Something was typed or chosen: the window enables "Aplicar".
    void edited();
};

using OpcionesPageFactory = std::function<OpcionesPage*(ConsoleContext& context, QWidget* parent)>;

// Tree entry (0 … 13) → the page's factory. Subsystems register theirs once,
// before the window is first opened; the window shows a notice for an entry
// whose page is not in this build.
std::map<int, OpcionesPageFactory>& opcionesPages();
inline void registerOpcionesPage(int entry, OpcionesPageFactory factory) {
    opcionesPages()[entry] = std::move(factory);
}

} // namespace ui
