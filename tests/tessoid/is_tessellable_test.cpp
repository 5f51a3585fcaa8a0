// Which host objects the current-object button may convert.
#include <gtest/gtest.h>

#include "support.h"
#include "tessellate/is_tessellable.h"

using namespace testhost;

namespace {
FakeObject kind(int32_t k) {
    FakeObject o;
    o.kind = k;
    return o;
}
} // namespace

TEST(IsTessellable, ByKind) {
    Host host;
    EXPECT_FALSE(IsTessellable(0));
    EXPECT_FALSE(IsTessellable(12345)); // the host does not know it
    for (int32_t k : {5, 9, 10, 11, 14, 15, 19, 20, 24, 0, -3, 30, 31})
        EXPECT_FALSE(IsTessellable(host.add(kind(k)))) << "kind " << k;
    for (int32_t k : {2, 3, 4, 6, 7, 8, 13, 16, 17, 18, 21, 22, 23, 26, 27, 28})
        EXPECT_TRUE(IsTessellable(host.add(kind(k)))) << "kind " << k;
}

TEST(IsTessellable, GroupsAndContainersAskTheirChildren) {
    Host host;
    FakeObject onlyCameras = kind(12);
    onlyCameras.children = {host.add(kind(9)), host.add(kind(9))};
    EXPECT_FALSE(IsTessellable(host.add(onlyCameras)));

    FakeObject withShape = kind(12);
    withShape.children = {host.add(kind(9)), host.add(kind(2))};
    EXPECT_TRUE(IsTessellable(host.add(withShape)));

    FakeObject empty = kind(1);
    EXPECT_FALSE(IsTessellable(host.add(empty)));
    FakeObject nested = kind(1);
    nested.children = {host.add(withShape)};
    EXPECT_TRUE(IsTessellable(host.add(nested)));
    EXPECT_EQ(host.openLists, 0);
}

TEST(IsTessellable, ReferencesFollowTheirTargetAndCyclesEnd) {
    Host host;
    FakeObject toShape = kind(25);
    toShape.referred = host.add(kind(3));
    EXPECT_TRUE(IsTessellable(host.add(toShape)));
    FakeObject toLight = kind(25);
    toLight.referred = host.add(kind(10));
    EXPECT_FALSE(IsTessellable(host.add(toLight)));

    const HostHandle self = host.add(kind(25));
    host.at(self).referred = self;
    EXPECT_FALSE(IsTessellable(self));
    const HostHandle loop = host.add(kind(12));
    host.at(loop).children = {loop};
    EXPECT_FALSE(IsTessellable(loop));
    EXPECT_EQ(host.openLists, 0);
}

TEST(IsTessellable, PluginObjectsOnlyWhenTheyAreOurs) {
    Host host;
    FakeObject ours = kind(29);
    ours.typeRecord = &host.type();
    EXPECT_TRUE(IsTessellable(host.add(ours)));

    ObjectTypeInterface other{};
    std::memcpy(other.header.identifier, "someone", 8);
    FakeObject theirs = kind(29);
    theirs.typeRecord = &other;
    EXPECT_FALSE(IsTessellable(host.add(theirs)));
    FakeObject noType = kind(29);
    EXPECT_FALSE(IsTessellable(host.add(noType)));
}
