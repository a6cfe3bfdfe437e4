#include "ui/opcionespage.h"

namespace ui {

std::map<int, OpcionesPageFactory>& opcionesPages() {
    static std::map<int, OpcionesPageFactory> pages;
    return pages;
}

} // namespace ui
