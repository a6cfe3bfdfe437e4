#include "store/dialect.h"

#include <QRegularExpression>

namespace store {

namespace {

// Type words of the old statements, longest first where one is the start of another.
struct TypeMapping {
    const char* pattern;
    const char* type;
};

constexpr TypeMapping kTypes[] = {
    {R"(\btext\s*\(\s*\d+\s*\))", "TEXT"},
    {R"(\byesno\b)", "INTEGER DEFAULT 0"},
    {R"(\bcurrency\b)", "INTEGER"},
    {R"(\binteger\b)", "INTEGER"},
    {R"(\bint\b)", "INTEGER"},
    {R"(\bbyte\b)", "INTEGER"},
    {R"(\blong\b)", "INTEGER"},
    {R"(\bstring\b)", "TEXT"},
    {R"(\bmemo\b)", "TEXT"},
    {R"(\bsingle\b)", "REAL"},
    {R"(\bdouble\b)", "REAL"},
    {R"(\bdatetime\b)", "TEXT"},
};

QString mapColumnTypes(QString columns) {
    for (const TypeMapping& m : kTypes) {
        const QRegularExpression re(QString::fromLatin1(m.pattern),
                                    QRegularExpression::CaseInsensitiveOption);
        columns.replace(re, QString::fromLatin1(m.type));
    }
    return columns;
}

} // namespace

QString engineStatement(const QString& statement) {
    const QString trimmed = statement.trimmed();
    static const QRegularExpression alterAdd(
        QStringLiteral(R"(^alter\s+table\s+(\w+)\s+add\s+(?!column\b)(.*)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression createTable(QStringLiteral(R"(^create\s+table\s+(\w+)\s*\((.*)\)\s*$)"),
                                                QRegularExpression::CaseInsensitiveOption |
                                                    QRegularExpression::DotMatchesEverythingOption);
    if (const QRegularExpressionMatch m = alterAdd.match(trimmed); m.hasMatch())
        return QStringLiteral("ALTER TABLE ") + m.captured(1) + QStringLiteral(" ADD COLUMN ") +
               mapColumnTypes(m.captured(2).trimmed());
    if (const QRegularExpressionMatch m = createTable.match(trimmed); m.hasMatch()) {
        QString body = m.captured(2);
        // A counter is the table's key: our engine wants that said on the
        // column itself, so the separate key clause goes.
        static const QRegularExpression counter(QStringLiteral(R"((\w+)\s+counter\b)"),
                                                QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression keyClause(QStringLiteral(R"(,\s*primary\s+key\s*\(\s*\w+\s*\))"),
                                                  QRegularExpression::CaseInsensitiveOption);
        if (counter.match(body).hasMatch()) {
            body.replace(counter, QStringLiteral("\\1 INTEGER PRIMARY KEY AUTOINCREMENT"));
            body.remove(keyClause);
        }
        return QStringLiteral("CREATE TABLE ") + m.captured(1) + QStringLiteral(" (") +
               mapColumnTypes(body).simplified() + QLatin1Char(')');
    }
    return trimmed;
}

QString foldAscii(const QString& text) {
    QString folded = text;
    for (QChar& c : folded) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(char16_t(c.unicode() + u'a' - u'A'));
    }
    return folded;
}

bool sameKey(const QString& a, const QString& b) {
    return a.size() == b.size() && foldAscii(a) == foldAscii(b);
}

QString tableOrder() {
    return QStringLiteral("ORDER BY rowid");
}

QString caseless(const QString& operand) {
    return operand + QStringLiteral(" COLLATE NOCASE");
}

} // namespace store
