#include "paper.h"

namespace receipt {

QString fromWindows1252(const QByteArray& bytes) {
    static const char16_t high[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                      0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += (b >= 0x80 && b < 0xA0) ? QChar(high[b - 0x80]) : QChar(b);
    }
    return out;
}

namespace {

class Paper {
public:
    explicit Paper(int width)
        : m_width(width) {}

    void text(const QByteArray& bytes) { m_line += bytes; }
    void newLine() {
        QString s = fromWindows1252(m_line);
        m_line.clear();
        // A line wider than the paper wraps, as the print head does.
        do {
            m_lines << QStringLiteral("| ") + s.left(m_width).leftJustified(m_width) + QStringLiteral(" |");
            s = s.mid(m_width);
        } while (!s.isEmpty());
    }
    void flush() {
        if (!m_line.isEmpty())
            newLine();
    }
    void mark(const QString& what) {
        flush();
        m_lines << QStringLiteral("  ") + what;
    }
    QStringList lines() {
        flush();
        return m_lines;
    }

private:
    int m_width;
    QByteArray m_line;
    QStringList m_lines;
};

} // namespace

QStringList renderJob(const QByteArray& job, int paperWidth) {
    Paper paper(paperWidth);
    QByteArray text;
    for (qsizetype i = 0; i < job.size(); ++i) {
        const char c = job.at(i);
        const auto next = [&](qsizetype k) {
            return i + k < job.size() ? static_cast<unsigned char>(job.at(i + k)) : -1;
        };
        if (c == '\n') {
            paper.newLine();
        } else if (c == '\r') {
            // The print head returns on its own at each line feed.
        } else if (c == '\x07') {
            paper.mark(QStringLiteral("[ cajón abierto (07) ]"));
        } else if (c == '\x1b' && next(1) == 'd' && next(2) >= 0) {
            const int n = next(2);
            paper.flush();
            paper.mark(QStringLiteral("[ avance de papel: %1 líneas ]").arg(n));
            i += 2;
        } else if (c == '\x1b' && (next(1) == 'm' || next(1) == 'i')) {
            paper.mark(QStringLiteral("- - - - - - - - corte - - - - - - - - -"));
            i += 1;
        } else if (c == '\x1b' && next(1) == 'p' && next(4) >= 0) {
            paper.mark(QStringLiteral("[ cajón abierto (pin %1, %2 ms / %3 ms) ]")
                           .arg(next(2) & 1 ? 5 : 2)
                           .arg(next(3) * 2)
                           .arg(next(4) * 2));
            i += 4;
        } else if (c == '\x1b' && next(1) >= 0) {
            paper.mark(QStringLiteral("[ ESC %1 ]").arg(QChar(next(1))));
            i += 1;
        } else {
            paper.text(QByteArray(1, c));
        }
    }
    return paper.lines();
}

} // namespace receipt
