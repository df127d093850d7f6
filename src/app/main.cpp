#include "app/ProgramLook.h"
#include "app/QtUserInterface.h"
#include "app/StartProcedure.h"
#include "storage/platform/SystemPlatform.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tonarion"));
    QApplication::setApplicationVersion(QStringLiteral(TONARION_VERSION));
    tonarion::applyProgramLook(app);

    // The interface is German, Qt's own texts (file dialogs, input boxes) included.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Bereitet einen USB-Stick für das Soundmodul vor."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption stickOption(
        QStringLiteral("stick"),
        QStringLiteral("Öffnet den Ordner DIR als USB-Stick, wie im Laufwerksdialog gewählt."),
        QStringLiteral("DIR"));
    parser.addOption(stickOption);
    parser.process(app);
    std::optional<std::string> stickFolder;
    if (parser.isSet(stickOption)) {
        stickFolder = parser.value(stickOption).toStdString();
    }

    const auto files = tonarion::makeSystemFileOperations();
    const auto drives = tonarion::makeSystemDriveSource();
    tonarion::QtUserInterface ui;
    tonarion::Session session;
    tonarion::StickWorkspace workspace(session, *files, ui);
    tonarion::StartProcedure startProcedure(workspace, *drives, ui, tonarion::programFolder());
    QObject::connect(&startProcedure, &tonarion::StartProcedure::programEnds, &app,
                     &QApplication::exit, Qt::QueuedConnection);
    if (!startProcedure.start(stickFolder)) {
        return 1;
    }
    return QApplication::exec();
}
