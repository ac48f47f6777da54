#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

// gtest_discover_tests runs the binary at build time without the test environment,
// so the platform must be chosen here, before the application object exists.
int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
