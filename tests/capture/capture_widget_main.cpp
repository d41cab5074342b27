// SPDX-License-Identifier: MIT
// Runs the picking window's tests inside one offscreen QApplication.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    // Also when the tests are listed or run by hand rather than through ctest.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
