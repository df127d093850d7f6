#pragma once

#include <QTest>

// The window tests share one executable, so that Qt's headers are compiled once for all of
// them. Each test file ends with TONARION_GUI_TEST(ItsClass) instead of QTEST_MAIN; the main of
// tests/support/GuiTestMain.cpp runs the class that its first argument names, the way
// QTEST_MAIN would run it on its own.
#define TONARION_GUI_TEST(TestClass)                                                               \
    int runGuiTest_##TestClass(int argc, char** argv) {                                            \
        TestClass test;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
