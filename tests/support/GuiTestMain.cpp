#include <QApplication>
#include <QTest>

#include <cstdio>
#include <cstring>

// tests/CMakeLists.txt writes GuiTestList.h with one TONARION_GUI_TEST_ENTRY(Class) a line for
// the window tests this platform builds.
#define TONARION_GUI_TEST_ENTRY(TestClass) int runGuiTest_##TestClass(int argc, char** argv);
#include "GuiTestList.h"
#undef TONARION_GUI_TEST_ENTRY

namespace {

struct GuiTest {
    const char* name;
    int (*run)(int argc, char** argv);
};

constexpr GuiTest guiTests[] = {
#define TONARION_GUI_TEST_ENTRY(TestClass) {#TestClass, runGuiTest_##TestClass},
#include "GuiTestList.h"
#undef TONARION_GUI_TEST_ENTRY
};

int usage() {
    std::fputs("Usage: tonarion_gui_tests TESTCLASS [Qt Test options]\nTest classes:\n", stderr);
    for (const GuiTest& test : guiTests) {
        std::fprintf(stderr, "  %s\n", test.name);
    }
    return 2;
}

} // namespace

// As QTEST_MAIN does for a widgets test, with the test class taken from the first argument;
// the rest of the arguments are Qt Test's (a test function's name, -platform ...).
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    if (argc < 2) {
        return usage();
    }
    for (const GuiTest& test : guiTests) {
        if (std::strcmp(argv[1], test.name) == 0) {
            argv[1] = argv[0];
            return test.run(argc - 1, argv + 1);
        }
    }
    return usage();
}
