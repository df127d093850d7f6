// Measures the main window with a large stick: the time from the program's start to the
// window shown with every entry loaded, and the time fitting the column widths takes.
//
//   tonarion_window_bench [ENTRIES]     prints "start_ms N" and "fit_ms N"

#include "app/StartProcedure.h"
#include "cli/CliUserInterface.h"
#include "gui/ProgramLook.h"
#include "model/UserInterface.h"
#include "storage/platform/SystemPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <string>

using namespace tonarion;

namespace {

std::string fourDigits(int number) {
    const std::string digits = std::to_string(number);
    return std::string(4 - digits.size(), '0') + digits;
}

// An index file that fills the groups up to their limits in turn: 255 entries of kinds M, R
// and L, 63 contacts, 127 random, 96 timed and 127 endless sounds make the 668 a module holds.
void writeIndex(const std::string& folder, int entries) {
    std::ofstream index(folder + "/tonkat.tkx", std::ios::binary);
    index << "Tonarion-Inhalt - Veltrako Ruzirovuza GmbH\r\n";
    struct Group {
        int count;
        std::string (*name)(int i);
    };
    const Group groups[] = {
        {255,
         [](int i) {
             return std::string("MRL").substr(i % 3, 1) + "XM2-" + fourDigits(i / 3 + 1) +
                    "-00000.mp3";
         }},
        {63,
         [](int i) {
             return "KSM4-" + fourDigits(i % 10 + 1) + "-000" + std::to_string(10 + i / 10) +
                    ".mp3";
         }},
        {127,
         [](int i) {
             return "ZUM_-" + fourDigits(i + 1) + "-00000.mp3";
         }},
        {96,
         [](int i) {
             return "UZM_-" + fourDigits(i + 1) + "-00000.mp3";
         }},
        {127,
         [](int i) {
             return "END_-" + fourDigits(i + 1) + "-00000.mp3";
         }},
    };
    int written = 0;
    for (const Group& group : groups) {
        for (int i = 0; i < group.count && written < entries; ++i, ++written) {
            index << group.name(i) << ";C:\\Musik\\Sammlung " << written / 50 << "\\Geraeusch "
                  << written << ".mp3\r\n";
        }
    }
    index << "SET_-0001-00021.mp3\r\nSET_-0002-00180.mp3\r\nSET_-0003-00028.mp3\r\n"
             "SET_-0004-00002.mp3\r\nSET_-0005-00000.mp3\r\nSET_-0006-00000.mp3\r\n";
}

} // namespace

int main(int argc, char** argv) {
    const int entries = std::min(argc > 1 ? std::stoi(argv[1]) : 668, 668);
    QTemporaryDir stick;
    writeIndex(stick.path().toStdString(), entries);

    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    applyProgramLook(app);
    const auto files = makeSystemFileOperations();
    const auto drives = makeSystemDriveSource();
    CliUserInterface ui(std::cerr);
    Session session;
    StickWorkspace workspace(session, *files, ui);
    StartProcedure start(workspace, *drives, ui, programFolder());
    if (!start.start(stick.path().toStdString())) {
        return 1;
    }
    QApplication::processEvents();
    start.mainWindow()->repaint();
    const qint64 startMs = clock.elapsed();
    if (session.table().entryCount() != entries) {
        std::cerr << "loaded " << session.table().entryCount() << " of " << entries << " entries\n";
        return 1;
    }

    clock.restart();
    start.mainWindow()->fitColumnWidths();
    const qint64 fitMs = clock.elapsed();

    std::cout << "start_ms " << startMs << "\nfit_ms " << fitMs << '\n';
    return 0;
}
