#pragma once

#include <QHash>
#include <QString>

#include <initializer_list>

namespace ui {

enum class Language { Spanish, English };

// The language of every message table; Spanish unless the console was
// started with "--lang en".
Language language();
void setLanguage(Language language);

// One window's messages: key -> Spanish and English text. Lookup ignores
// the letter case of the key. A text given only in Spanish stays Spanish.
class MessageTable {
public:
    struct Entry {
        const char* key;
        QString spanish;
        QString english;
    };

    MessageTable() = default;
    MessageTable(std::initializer_list<Entry> entries);

    void add(const QString& key, const QString& spanish, const QString& english = QString());
    bool contains(const QString& key) const;
    // The text in the current language; the key itself when it is missing,
    // so a forgotten entry is visible instead of an empty box.
    QString text(const QString& key) const;
    QString text(const QString& key, Language language) const;

private:
    struct Texts {
        QString spanish;
        QString english;
    };
    QHash<QString, Texts> m_entries;
};

// Texts shared by every window (captions and the permission refusals).
const MessageTable& commonMessages();

} // namespace ui
