#include "browser/core/ThumbCacheNames.h"

#include "platform/ProgramHelpers.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ThumbCacheNames, FlattenedPathsAndTheirLengthLimit) {
    EXPECT_EQ(GetThumbCacheFolder(), "Cache");
    SetThumbCacheFolder("/work/Cache");
    EXPECT_EQ(MakeThumbCacheName("/img/a.bmp"), "/work/Cache/_img_a.bmp.tmp");
    EXPECT_EQ(MakeThumbCacheName("C:/img/a.bmp"), "/work/Cache/C~_img_a.bmp.tmp");
    EXPECT_TRUE(IsUsableThumbCacheName(MakeThumbCacheName("/img/a.bmp")));

    // The flattened path is one name component: 255 bytes fit, 256 do not.
    std::string tooLong = "/" + std::string(249, 'p') + ".bmp"; // "_" + 249 + ".bmp" + ".tmp": 258
    std::string name = MakeThumbCacheName("/" + std::string(246, 'p'));
    EXPECT_EQ(GetFileNamePart(name).size(), 251u);
    EXPECT_TRUE(IsUsableThumbCacheName(name));
    EXPECT_TRUE(IsUsableThumbCacheName(MakeThumbCacheName("/" + std::string(250, 'p'))));  // 255
    EXPECT_FALSE(IsUsableThumbCacheName(MakeThumbCacheName("/" + std::string(251, 'p')))); // 256
    EXPECT_FALSE(IsUsableThumbCacheName(MakeThumbCacheName(tooLong)));
    // Deep paths of short folders flatten into one long component too.
    std::string deep;
    for (int i = 0; i < 40; ++i)
        deep += "/folder";
    EXPECT_FALSE(IsUsableThumbCacheName(MakeThumbCacheName(deep + "/a.bmp")));
    SetThumbCacheFolder("/" + std::string(5000, 'c'));
    EXPECT_FALSE(IsUsableThumbCacheName(MakeThumbCacheName("/a.bmp")));
    EXPECT_FALSE(IsUsableThumbCacheName(""));
}

} // namespace
