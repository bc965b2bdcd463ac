// Readable GoogleTest output for the Qt value types the ui tests compare.
#pragma once

#include <QColor>
#include <QLine>
#include <QRect>
#include <QString>
#include <ostream>

inline void PrintTo(const QRect& r, std::ostream* os) {
    *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height() << ")";
}

inline void PrintTo(const QLine& l, std::ostream* os) {
    *os << "QLine(" << l.x1() << ", " << l.y1() << ", " << l.x2() << ", " << l.y2() << ")";
}

inline void PrintTo(const QColor& c, std::ostream* os) {
    *os << "QColor(" << c.red() << ", " << c.green() << ", " << c.blue() << ")";
}

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
