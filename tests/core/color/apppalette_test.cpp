#include "core/color/apppalette.h"
#include "core/color/namedcolor.h"
#include "core/archive/archive.h"
#include "testsupport.h"

#include <gtest/gtest.h>

TEST(AppPalette, IsTheColourCubeWithRedSlowest) {
    const AppPalette palette = CreateAppPalette();
    EXPECT_EQ(palette[0].red, 0);
    EXPECT_EQ(palette[1].blue, 51);     // blue varies fastest
    EXPECT_EQ(palette[6].green, 51);
    EXPECT_EQ(palette[36].red, 51);     // red slowest
    EXPECT_EQ(palette[215].red, 255);
    EXPECT_EQ(palette[215].green, 255);
    EXPECT_EQ(palette[215].blue, 255);
    EXPECT_EQ(palette[36 * 2 + 6 * 4 + 5].green, 204);
    for (const auto& entry : palette)
        EXPECT_EQ(entry.flags, 0);
}

TEST(NamedColor, StoredFormIsNameThenFourChannels) {
    NamedColor color;
    EXPECT_EQ(color.GetName(), "Untitled");
    EXPECT_EQ(color.GetColor(), (ColorRGBF{255, 255, 255, 0}));
    NamedColor teal("Teal", {0, 128, 128, 7});
    Archive ar;
    teal.Serialize(ar);
    EXPECT_EQ(ar.Bytes(), HexBytes("04 54 65 61 6C 00 80 80 07"));
}
