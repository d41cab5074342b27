// SPDX-License-Identifier: MIT
// Entry point of the end-to-end test programs. The tests drive other
// processes, so a core application (no display of its own) is enough for
// QProcess and QImage.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
