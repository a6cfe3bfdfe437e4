#include "station/wirecodec.h"

namespace station {

namespace {

// Bytes 0x80 … 0x9F; 0 where the code page defines nothing.
constexpr char16_t HighTable[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char encodeOne(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return char(c);
    for (int i = 0; i < 32; ++i) {
        const char16_t mapped = HighTable[i];
        // An undefined byte stands for the control character of its own value.
        if ((mapped != 0 && mapped == c) || (mapped == 0 && c == char32_t(0x80 + i)))
            return char(0x80 + i);
    }
    return '?';
}

} // namespace

QByteArray toWindows1252(QStringView text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
            out.append('?');
            continue;
        }
        out.append(encodeOne(c.unicode()));
    }
    return out;
}

QString fromWindows1252(QByteArrayView bytes) {
    QString out;
    out.resize(bytes.size());
    QChar* d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes.at(i));
        char16_t c = b;
        if (b >= 0x80 && b <= 0x9F && HighTable[b - 0x80] != 0)
            c = HighTable[b - 0x80];
        d[i] = QChar(c);
    }
    return out;
}

qsizetype windows1252Length(QStringView text) {
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        ++n;
    }
    return n;
}

} // namespace station
