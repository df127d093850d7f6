#include "TonarionVersion.h"
#include "app/StartProcedure.h"
#include "gui/ProgramLook.h"
#include "gui/QtUserInterface.h"
#include "workspace/RunningSystem.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTranslator>

#include <iostream>
#include <optional>

namespace {

// The options, described the same way for the parse before the QApplication exists and for
// the one after it has taken Qt's own options (-platform, -style) out of the command line.
QCommandLineOption describeOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Bereitet einen USB-Stick für das Soundmodul vor."));
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption stickOption(
        QStringLiteral("stick"),
        QStringLiteral("Öffnet den Ordner DIR als USB-Stick, wie im Laufwerksdialog gewählt."),
        QStringLiteral("DIR"));
    parser.addOption(stickOption);
    return stickOption;
}

// --help and --version need no window, but a QApplication aborts without a display: they are
// answered before it exists, so that help2man, a package build and an ssh session get them.
std::optional<int> answerWithoutDisplay(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    QCommandLineParser parser;
    describeOptions(parser);
    // An unknown option may be one of Qt's; the parse after the QApplication reports the rest.
    if (!parser.parse(arguments)) {
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::cout << "tonarion " << tonarion::TonarionVersion << '\n';
        return 0;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        // The usage line takes the program's name from the application object. It names the
        // installed command, not the build folder help2man starts the program from.
        char name[] = "tonarion";
        char* coreArgv[] = {name, nullptr};
        int coreArgc = 1;
        const QCoreApplication core(coreArgc, coreArgv);
        std::cout << parser.helpText().toStdString();
        return 0;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    if (const auto exitCode = answerWithoutDisplay(argc, argv)) {
        return *exitCode;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tonarion"));
    QApplication::setApplicationVersion(QString::fromUtf8(tonarion::TonarionVersion));
    // Ties the windows to the installed desktop entry: its icon and name in the task bar.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tonarion.Tonarion"));
    tonarion::applyProgramLook(app);

    QTranslator qtTexts;
    tonarion::installQtTexts(qtTexts);

    QCommandLineParser parser;
    const QCommandLineOption stickOption = describeOptions(parser);
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
