#include "platform/shellhelpers.h"
#include "platform/specialfolders.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

TEST(SpecialFolders, PathIsTheTextBeforeTheBufferPaddingAndEmptyWhenMissing)
{
    const ShellSpecialFolders folders;
    const QString desktop = folders.path(SpecialFolderId::Desktop);
    EXPECT_FALSE(desktop.isEmpty());
    EXPECT_FALSE(desktop.contains(QChar(0)));
    EXPECT_FALSE(desktop.endsWith(u' '));
    EXPECT_TRUE(QDir(desktop).exists());
    EXPECT_EQ(folders.path(SpecialFolderId::Favorites), "");
    EXPECT_EQ(folders.path(SpecialFolderId::Network), "");
}

} // namespace
