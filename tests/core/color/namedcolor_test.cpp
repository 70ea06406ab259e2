#include "core/archive/archive.h"
#include "core/color/namedcolor.h"
#include "testsupport.h"

#include <gtest/gtest.h>

TEST(NamedColorStoredForm, NameThenFourColourBytes) {
    NamedColor brick("Brick", ColorRGBF{178, 34, 34, 7});
    Archive ar;
    brick.Serialize(ar);
    EXPECT_EQ(ToHex(ar.Bytes()), "05 42 72 69 63 6B B2 22 22 07");

    ClassRegistry registry{&NamedColor::classRecord};
    const std::vector<std::uint8_t> stored = ar.Bytes();
    Archive loading(stored, registry);
    NamedColor back;
    EXPECT_EQ(back.GetName(), "Untitled");
    back.Serialize(loading);
    EXPECT_EQ(loading.Remaining(), 0u);
    EXPECT_EQ(back.GetName(), "Brick");
    EXPECT_EQ(back.GetColor(), (ColorRGBF{178, 34, 34, 7}));
}

TEST(NamedColorStoredForm, ACutRecordIsRefused) {
    ClassRegistry registry{&NamedColor::classRecord};
    const auto stored = HexBytes("05 42 72 69 63 6B B2 22 22");
    Archive loading(stored, registry);
    NamedColor back;
    EXPECT_THROW(back.Serialize(loading), ArchiveException);
}
