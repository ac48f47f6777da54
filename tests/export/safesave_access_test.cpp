#include "export/fileerror.h"
#include "export/safesave.h"
#include "export/textfile.h"
#include "savetesting.h"

#include <cerrno>

using namespace savetesting;

namespace {

// Everything about a file's access that a replacement must not change, as the tools show it.
struct Access {
    QByteArray acl, attributes;
    mode_t mode = 0;
    uid_t owner = 0;
    gid_t group = 0;

    explicit Access(const std::string &path)
    {
        const QString name = QFile::decodeName(path.c_str());
        acl = tool(QStringLiteral("getfacl"), {QStringLiteral("-n"), name});
        attributes = tool(QStringLiteral("getfattr"), {QStringLiteral("-d"), name});
        const struct stat now = status(path);
        mode = now.st_mode & 07777;
        owner = now.st_uid;
        group = now.st_gid;
    }
    bool operator==(const Access &) const = default;
};

[[maybe_unused]] void PrintTo(const Access &access, std::ostream *out)
{
    *out << access.acl.toStdString() << access.attributes.toStdString() << std::oct << access.mode
         << std::dec << " " << access.owner << ":" << access.group;
}

// A file of 0600 with a named ACL entry and a user attribute, as in the report that found
// the group widened and the entry lost.
void giveAccess(const std::string &path)
{
    const QString name = QFile::decodeName(path.c_str());
    writeFile(path, "old", 0600);
    tool(QStringLiteral("setfacl"), {QStringLiteral("-m"), QStringLiteral("u:4321:r--"), name});
    tool(QStringLiteral("setfattr"), {QStringLiteral("-n"), QStringLiteral("user.origin"),
                                      QStringLiteral("-v"), QStringLiteral("camera"), name});
}

std::string saved(const std::string &path, const char *bytes)
{
    return std::to_string(safeSave(QFile::decodeName(path.c_str()), QByteArray(bytes)).error);
}

} // namespace

TEST(SafeSaveAccess, AReplacementKeepsTheAclAttributesModeAndOwner)
{
    TempTree tree;
    const std::string folder = ordinaryUsersFolder(tree, "mine");
    const std::string path = folder + "/private.txt";
    giveAccess(path);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), nobody, nobody), 0);
    }
    const Access before(path);
    ASSERT_TRUE(before.acl.contains("user:4321:r--")) << before.acl.toStdString();
    ASSERT_TRUE(before.attributes.contains("user.origin=\"camera\""));

    // A file without an ACL keeps none, though its folder's default ACL would give one.
    const std::string plain = folder + "/plain.txt";
    writeFile(plain, "old", 0640);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(plain.c_str(), nobody, nobody), 0);
    }
    tool(QStringLiteral("setfacl"),
         {QStringLiteral("-d"), QStringLiteral("-m"), QStringLiteral("u:4321:rwx"),
          QFile::decodeName(folder.c_str())});
    const Access plainBefore(plain);

    EXPECT_EQ(asOrdinaryUser([&] { return saved(path, "by the owner") + saved(plain, "new"); }),
              "00");
    EXPECT_EQ(contents(path), QByteArray("by the owner"));
    EXPECT_EQ(Access(path), before);
    EXPECT_EQ(Access(plain), plainBefore);
    ASSERT_EQ(::unlink(plain.c_str()), 0);

    // Root replaces another user's file as that user's.
    if (::geteuid() != 0)
        GTEST_SKIP() << "a file of another owner needs root";
    ASSERT_EQ(::chown(path.c_str(), 4321, 4322), 0);
    const Access theirs(path);
    const ino_t inode = status(path).st_ino;
    EXPECT_EQ(saved(path, "by root"), "0");
    EXPECT_EQ(contents(path), QByteArray("by root"));
    EXPECT_EQ(Access(path), theirs);
    EXPECT_NE(status(path).st_ino, inode) << "replaced, not written in place";
    EXPECT_EQ(entries(folder), QStringList{QStringLiteral("private.txt")});
}

// Where a new file would change something, the old one is written in place.
TEST(SafeSaveAccess, AHardLinkedOrForeignFileIsWrittenInPlaceSoEveryNameAndOwnerStays)
{
    TempTree tree;
    writeFile(tree.path("a.txt"), QByteArray(100000, 'o'), 0640);
    ASSERT_EQ(::link(tree.path("a.txt").c_str(), tree.path("b.txt").c_str()), 0);
    ASSERT_EQ(saved(tree.path("b.txt"), "both"), "0");
    EXPECT_EQ(contents(tree.path("a.txt")), QByteArray("both"));
    EXPECT_EQ(contents(tree.path("b.txt")), QByteArray("both"));
    EXPECT_EQ(status(tree.path("a.txt")).st_nlink, nlink_t(2));
    EXPECT_EQ(entries(tree.root()),
              (QStringList{QStringLiteral("a.txt"), QStringLiteral("b.txt")}));

    if (::geteuid() != 0)
        GTEST_SKIP() << "a file of another owner needs root";
    // Root's writable file in a folder of nobody's: a new file would be nobody's.
    const std::string folder = ordinaryUsersFolder(tree, "mine");
    const std::string path = folder + "/roots.txt";
    writeFile(path, "old", 0666);
    const ino_t inode = status(path).st_ino;
    EXPECT_EQ(asOrdinaryUser([&path] { return saved(path, "by nobody"); }), "0");
    EXPECT_EQ(contents(path), QByteArray("by nobody"));
    EXPECT_EQ(status(path).st_uid, uid_t(0));
    EXPECT_EQ(status(path).st_ino, inode);
    EXPECT_EQ(entries(folder), QStringList{QStringLiteral("roots.txt")});
}

// A read-only file is refused as a plain write refuses it - for root too, who may write it.
TEST(SafeSaveAccess, AReadOnlyFileIsRefusedUnchangedAsAPlainWriteWouldBe)
{
    TempTree tree;
    const std::string folder = ordinaryUsersFolder(tree, "mine");
    const std::string path = folder + "/ro.txt";
    writeFile(path, "kept", 0444);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(path.c_str(), nobody, nobody), 0);
    }
    const std::string refused = asOrdinaryUser([&path] {
        try {
            WriteTextFile(QStringLiteral("new"), QFile::decodeName(path.c_str()));
            return std::string("written");
        } catch (const RuntimeError &error) {
            return std::to_string(error.number()) + " " + error.description().toStdString();
        }
    });
    EXPECT_EQ(refused, "70 Permission denied: " + path + " (Permission denied)");
    EXPECT_EQ(contents(path), QByteArray("kept"));
    EXPECT_EQ(status(path).st_mode & 07777, mode_t(0444));
    EXPECT_EQ(entries(folder), QStringList{QStringLiteral("ro.txt")});

    if (::geteuid() != 0)
        GTEST_SKIP() << "root's own write of a read-only file";
    EXPECT_EQ(saved(path, "by root"), "0") << "as `echo x > ro.txt` succeeds for root";
    EXPECT_EQ(contents(path), QByteArray("by root"));
    EXPECT_EQ(status(path).st_mode & 07777, mode_t(0444));
}
