// Which host objects the current-object button may convert.
#include <gtest/gtest.h>

#include <cstring>

#include "fake_host.h"
#include "tessellate/is_tessellable.h"

using namespace testhost;
using namespace tessoid;

namespace {

class IsTessellableTest : public ::testing::Test {
  protected:
    void TearDown() override {
        EXPECT_EQ(host.openLists, 0) << "every child list opened is closed";
    }
    HostHandle groupOf(int32_t kind, const std::vector<int32_t>& childKinds) {
        FakeObject& group = host.add(kind, "Group");
        for (int32_t childKind : childKinds)
            host.addChild(group, host.add(childKind, "Child"));
        return group.handle;
    }
    FakeHost host;
};

TEST_F(IsTessellableTest, ByKind) {
    EXPECT_FALSE(IsTessellable(0));
    EXPECT_FALSE(IsTessellable(12345)); // the host does not know it
    for (int32_t kind : {5, 9, 10, 11, 14, 15, 19, 20, 24, 0, -3, 30, 31})
        EXPECT_FALSE(IsTessellable(host.add(kind).handle)) << "kind " << kind;
    for (int32_t kind : {2, 3, 4, 6, 7, 8, 13, 16, 17, 18, 21, 22, 23, 26, 27, 28})
        EXPECT_TRUE(IsTessellable(host.add(kind).handle)) << "kind " << kind;
}

TEST_F(IsTessellableTest, GroupsAndContainersAskTheirChildren) {
    EXPECT_FALSE(IsTessellable(groupOf(12, {9, 9})));
    const HostHandle withShape = groupOf(12, {9, 2});
    EXPECT_TRUE(IsTessellable(withShape));
    EXPECT_FALSE(IsTessellable(groupOf(1, {})));
    FakeObject& nested = host.add(1, "Nested");
    nested.children = {withShape};
    EXPECT_TRUE(IsTessellable(nested.handle));
}

TEST_F(IsTessellableTest, ReferencesFollowTheirTargetAndCyclesEnd) {
    EXPECT_TRUE(IsTessellable(host.addReference(host.add(3).handle).handle));
    EXPECT_FALSE(IsTessellable(host.addReference(host.add(10).handle).handle));
    EXPECT_FALSE(IsTessellable(host.addReference(host.add(5).handle).handle));
    EXPECT_TRUE(IsTessellable(host.addReference(groupOf(1, {3})).handle));

    FakeObject& self = host.addReference(0);
    self.set<HostHandle>(OFFSET_REFERRED_HANDLE, self.handle);
    EXPECT_FALSE(IsTessellable(self.handle));
    FakeObject& loop = host.add(12, "Loop");
    loop.children = {loop.handle};
    EXPECT_FALSE(IsTessellable(loop.handle));
}

TEST_F(IsTessellableTest, PluginObjectsOnlyWhenTheyAreOurs) {
    FakeObject& ours = host.add(29, "Mine");
    ours.set<void*>(OFFSET_PLUGIN_TYPE_RECORD, &host.type());
    EXPECT_TRUE(IsTessellable(ours.handle));

    InterfaceHeader foreign{300, 112, {1, 2, 3, 4, 5, 6, 7, 8}};
    FakeObject& theirs = host.add(29, "Theirs");
    theirs.set<void*>(OFFSET_PLUGIN_TYPE_RECORD, &foreign);
    EXPECT_FALSE(IsTessellable(theirs.handle));
    EXPECT_FALSE(IsTessellable(host.add(29, "No type").handle));
}

} // namespace
