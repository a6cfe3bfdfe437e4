#include "ui/messagetable.h"

namespace ui {

namespace {
Language g_language = Language::Spanish;
}

Language language() {
    return g_language;
}
void setLanguage(Language language) {
    g_language = language;
}

MessageTable::MessageTable(std::initializer_list<Entry> entries) {
    for (const Entry& e : entries)
        add(QString::fromLatin1(e.key), e.spanish, e.english);
}

void MessageTable::add(const QString& key, const QString& spanish, const QString& english) {
    m_entries.insert(key.toLower(), Texts{spanish, english});
}

bool MessageTable::contains(const QString& key) const {
    return m_entries.contains(key.toLower());
}

QString MessageTable::text(const QString& key) const {
    return text(key, g_language);
}

QString MessageTable::text(const QString& key, Language lang) const {
    auto it = m_entries.constFind(key.toLower());
    if (it == m_entries.constEnd())
        return key;
    if (lang == Language::English && !it->english.isEmpty())
        return it->english;
    return it->spanish;
}

const MessageTable& commonMessages() {
    static const MessageTable table{
        {"Atencion", QStringLiteral("Atención"), QStringLiteral("Attention")},
        {"Advertencia", QStringLiteral("Advertencia"), QStringLiteral("Warning")},
        {"Error", QStringLiteral("Error"), QStringLiteral("Error")},
        {"NoPermiso", QStringLiteral("No tiene permiso de acceso."),
         QStringLiteral("You have no access permission.")},
        {"NoPermitida", QStringLiteral("Operación no permitida."), QStringLiteral("Operation not allowed.")},
    };
    return table;
}

} // namespace ui
