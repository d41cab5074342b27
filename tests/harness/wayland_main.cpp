// SPDX-License-Identifier: MIT
// Entry point of the Wayland end-to-end test programs. The tests drive other
// processes; a core application is enough for QProcess, QImage and D-Bus.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
