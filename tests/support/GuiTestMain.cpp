#include <QApplication>
#include <QTest>

#include <cstdio>
#include <cstring>

// tests/CMakeLists.txt writes GuiTestList.h with one TONARION_GUI_TEST_ENTRY(Class) a line for
// the window tests this platform builds.
#define TONARION_GUI_TEST_ENTRY(TestClass) int runGuiTest_##TestClass(int argc, char** argv);
#include "GuiTestList.h"
#undef TONARION_GUI_TEST_ENTRY

// As QTEST_MAIN does for a widgets test, with the test class taken from the first argument;
// the rest of the arguments are Qt Test's (a test function's name, -platform ...).
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
#define TONARION_GUI_TEST_ENTRY(TestClass)                                                         \
    if (argc > 1 && std::strcmp(argv[1], #TestClass) == 0) {                                       \
        argv[1] = argv[0];                                                                         \
        return runGuiTest_##TestClass(argc - 1, argv + 1);                                         \
    }
#include "GuiTestList.h"
#undef TONARION_GUI_TEST_ENTRY
#define TONARION_GUI_TEST_ENTRY(TestClass) "  " #TestClass "\n"
    std::fputs("Usage: tonarion_gui_tests TESTCLASS [Qt Test options]\nTest classes:\n"
#include "GuiTestList.h"
               ,
               stderr);
#undef TONARION_GUI_TEST_ENTRY
    return 2;
}
