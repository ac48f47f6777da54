#include "platform/shelllibrary.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

TEST(ShellLibrary, StringsByNumberAndEmptyForOthers)
{
    EXPECT_EQ(ShellLibrary::string(4161), "Control Panel");
    EXPECT_EQ(ShellLibrary::string(4162), "Desktop");
    EXPECT_EQ(ShellLibrary::string(9216), "Computer");
    EXPECT_EQ(ShellLibrary::string(9220), "Removable Disk");
    EXPECT_EQ(ShellLibrary::string(9397), "Local Disk");
    EXPECT_EQ(ShellLibrary::string(1), "");
}

TEST(ShellLibrary, EveryIconExistsAtSixteenPixelsWithoutAnIconTheme)
{
    for (const int number : {16, 17, 20, 34, 35, 85}) {
        const QPixmap icon = ShellLibrary::icon(number, 16);
        ASSERT_FALSE(icon.isNull()) << number;
        EXPECT_EQ(icon.size(), QSize(16, 16)) << number;
    }
    EXPECT_TRUE(ShellLibrary::icon(3, 16).isNull());
    // The two top roots must be told apart at a glance.
    EXPECT_NE(ShellLibrary::icon(16, 16).toImage(), ShellLibrary::icon(34, 16).toImage());
}

} // namespace
