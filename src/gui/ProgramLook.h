#pragma once

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tonarion {

// The program's icon in the sizes window systems ask for.
inline QIcon programIcon() {
    QIcon icon;
    for (const char* size : {"16", "32", "48", "256"}) {
        icon.addFile(QStringLiteral(":/tonarion/tonarion-%1.png").arg(QLatin1String(size)));
    }
    return icon;
}

// The windows are laid out for "MS Sans Serif" at 8.25 points. Where that font is missing a
// font of the same widths takes its place, so that every caption fits its control.
inline QFont programFont() {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    return font;
}

// The address boxes of the event dialog: "Courier New" 9.75 points, or a fixed-pitch font of
// the same widths, or the system's fixed font.
inline QFont addressFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSizeF(9.75);
    return font;
}

inline void applyProgramLook(QApplication& application) {
    QApplication::setWindowIcon(programIcon());
    application.setFont(programFont());
}

// The interface is German, Qt's own texts (file dialogs, input boxes, standard buttons)
// included. They are where Qt keeps them, or in translations/ beside the program, where the
// Windows installer puts them. False when neither place has them.
inline bool installQtTexts(QTranslator& texts) {
    for (const QString& folder :
         {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
          QCoreApplication::applicationDirPath() + QStringLiteral("/translations")}) {
        if (texts.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                       folder)) {
            return QCoreApplication::installTranslator(&texts);
        }
    }
    return false;
}

} // namespace tonarion
