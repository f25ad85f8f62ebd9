// Entry point of every test program. Each run gets its own platform
// configuration and data folders, so no test reads or writes the user's.
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <cstdlib>
#ifdef QM_TEST_WITH_QT
#include <QApplication>
#endif

int main(int argc, char** argv)
{
    qm::test::TempDir isolation("qm-test-env");
    setenv("QUILLMATE_PLATFORM_DIR", (isolation.path() / "platform").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (isolation.path() / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (isolation.path() / "data").c_str(), 1);
#ifdef QM_TEST_WITH_QT
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
#endif
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
