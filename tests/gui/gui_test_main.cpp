#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    // The tests need no screen; listing them must not need one either.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
