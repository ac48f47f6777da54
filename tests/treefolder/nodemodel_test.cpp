#include "platform/runtimeerror.h"
#include "treefolder/imagelist.h"
#include "treefolder/treenodes.h"
#include "treeprobe.h"

#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

class NodeModel : public ::testing::Test {
protected:
    QTreeWidget tree;
    ImageList images;
    TreeNodes nodes{&tree, &images};
};

TEST_F(NodeModel, DuplicateKeyOrMissingParentFailsWithRuntimeErrorAndAddsNothing)
{
    nodes.add({}, "top", "Top", 0);
    nodes.add("top", "/a", "a", 0);
    try {
        nodes.add("top", "/a", "again", 0);
        FAIL() << "a duplicate key was accepted";
    } catch (const RuntimeError &error) {
        EXPECT_EQ(error.number(), RuntimeErrorNumber::KeyNotUnique);
    }
    try {
        nodes.add("/nowhere", "/b", "b", 0);
        FAIL() << "a node without its parent was accepted";
    } catch (const RuntimeError &error) {
        EXPECT_EQ(error.number(), 35601);
    }
    EXPECT_EQ(nodes.count(), 2);
    EXPECT_EQ(nodes.find("/a").text(), "a");
    EXPECT_EQ(tree.topLevelItem(0)->childCount(), 1);
}

TEST_F(NodeModel, IndexFollowsAddingOrderAndClosesUpWhenABranchIsRemoved)
{
    nodes.add({}, "top", "", 0);
    nodes.add("top", "/x", "", 0);
    nodes.add("top", "/y", "", 0);
    nodes.add("/x", "/x/1", "", 0); // added after /y, so it comes after it in the flat list
    nodes.add("/x/1", "/x/1/deep", "", 0);
    nodes.add("/y", "/y/1", "", 0);
    EXPECT_EQ(keysByIndex(nodes), QStringList({"top", "/x", "/y", "/x/1", "/x/1/deep", "/y/1"}));
    EXPECT_EQ(nodes.find("/y/1").index(), 6);

    nodes.remove(nodes.find("/x")); // takes its descendants with it
    EXPECT_EQ(keysByIndex(nodes), QStringList({"top", "/y", "/y/1"}));
    EXPECT_EQ(nodes.find("/y/1").index(), 3);
    EXPECT_TRUE(nodes.find("/x/1/deep").isNull());
    EXPECT_TRUE(nodes.at(4).isNull());
    EXPECT_TRUE(nodes.at(0).isNull());

    // A removed key can be used again and goes to the end of the order.
    nodes.add("top", "/x", "", 0);
    EXPECT_EQ(nodes.find("/x").index(), 4);
}

TEST_F(NodeModel, RelationsChildrenAndTagDescribeTheTree)
{
    const TreeNode top = nodes.add({}, "top", "Top", 0);
    const TreeNode a = nodes.add("top", "/a", "a", 0);
    const TreeNode b = nodes.add("top", "/b", "b", 0);
    TreeNode c = nodes.add("top", "/c", "c", 0);
    EXPECT_EQ(top.children(), 3);
    EXPECT_EQ(top.child(), a);
    EXPECT_EQ(a.next(), b);
    EXPECT_TRUE(c.next().isNull());
    EXPECT_EQ(a.lastSibling(), c);
    EXPECT_EQ(b.parent(), top);
    EXPECT_TRUE(top.parent().isNull());
    EXPECT_EQ(top.lastSibling(), top);

    EXPECT_FALSE(c.tag().has_value());
    c.setTag(0);
    EXPECT_EQ(c.tag(), std::optional<int>(0));
    c.setTag(std::nullopt);
    EXPECT_FALSE(c.tag().has_value());
}

TEST_F(NodeModel, CheckStateIsKeptWhileCheckBoxesAreHiddenAndShownWhenTheyAppear)
{
    nodes.add({}, "top", "", 0);
    TreeNode a = nodes.add("top", "/a", "", 0);
    a.setChecked(true);
    EXPECT_TRUE(a.checked());
    EXPECT_FALSE(a.item()->data(0, Qt::CheckStateRole).isValid()); // no box drawn

    nodes.setCheckBoxes(true);
    EXPECT_EQ(a.item()->checkState(0), Qt::Checked);
    EXPECT_EQ(nodes.find("top").item()->checkState(0), Qt::Unchecked);
    nodes.setCheckBoxes(false);
    EXPECT_FALSE(a.item()->data(0, Qt::CheckStateRole).isValid());
    EXPECT_TRUE(a.checked());
}

TEST_F(NodeModel, ClearEmptiesTreeAndKeys)
{
    nodes.add({}, "top", "", 0);
    nodes.add("top", "/a", "", 0);
    nodes.clear();
    EXPECT_EQ(nodes.count(), 0);
    EXPECT_EQ(tree.topLevelItemCount(), 0);
    EXPECT_NO_THROW(nodes.add({}, "top", "", 0));
}

} // namespace
