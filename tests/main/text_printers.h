#pragma once

#include <QString>
#include <QStringList>
#include <ostream>

// GoogleTest shows Qt's texts as UTF-8 text, with CR and LF spelled out, instead of bytes.
inline void PrintTo(const QString& s, std::ostream* os) {
    QString shown = s;
    shown.replace(QLatin1Char('\r'), QLatin1String("\\r"))
        .replace(QLatin1Char('\n'), QLatin1String("\\n"));
    *os << '"' << shown.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << "{";
    for (qsizetype i = 0; i < list.size(); ++i) {
        *os << (i ? ",\n  " : "\n  ");
        PrintTo(list[i], os);
    }
    *os << " }";
}
