#pragma once

#include <QApplication>
#include <QFont>
#include <QIcon>

namespace tonarion {

// The program's icon in the sizes window systems ask for.
inline QIcon programIcon() {
    QIcon icon;
    for (const char* size : {"16", "32", "48", "256"}) {
        icon.addFile(QStringLiteral(":/tonarion/tonarion-%1.png").arg(QLatin1String(size)));
    }
    return icon;
}

// The windows are laid out for "MS Sans Serif" at 8.25 points; where that font is missing
// the system's sans serif takes its place at the same size, so that every caption fits.
inline QFont programFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    return font;
}

inline void applyProgramLook(QApplication& application) {
    QApplication::setWindowIcon(programIcon());
    application.setFont(programFont());
}

} // namespace tonarion
