// The quick test of whether a text at hand (the clipboard, a drop) is POV-Ray text to import.

#include "core/povtext/import/sourceimport.h"

#include <gtest/gtest.h>

TEST(HoldsDeclaration, FindsDeclareAndLocalWhereverTheyStand) {
    EXPECT_TRUE(HoldsDeclaration("#declare T = texture { pigment { rgb 1 } }"));
    EXPECT_TRUE(
        HoldsDeclaration("// from a forum post\r\n\r\n#local P = pigment { rgb <1, 0, 0> }"));
    EXPECT_TRUE(HoldsDeclaration("camera { location <0, 1, -3> }\n#  declare X = 1;"));
    // Later in the text, after other directives and objects.
    EXPECT_TRUE(HoldsDeclaration("#include \"colors.inc\"\nsphere { 0, 1 }\n#declare S = 2;"));
}

TEST(HoldsDeclaration, RefusesTextWithoutADeclaration) {
    EXPECT_FALSE(HoldsDeclaration(""));
    EXPECT_FALSE(HoldsDeclaration("Hello, world"));
    EXPECT_FALSE(HoldsDeclaration("texture { pigment { rgb 1 } }"));
    EXPECT_FALSE(HoldsDeclaration("#include \"woods.inc\""));
    EXPECT_FALSE(HoldsDeclaration("declare T = texture { }")); // the word alone
    // Inside comments and strings it declares nothing.
    EXPECT_FALSE(HoldsDeclaration("// #declare T = texture { }\n/* #local X = 1; */"));
    EXPECT_FALSE(HoldsDeclaration("#debug \"#declare T = 1;\""));
}

TEST(HoldsDeclaration, StopsAtTextThatIsNoPovRayText) {
    // A stray character before any declaration: no POV-Ray text.
    EXPECT_FALSE(HoldsDeclaration("Price: $5\n#declare T = 1;"));
    EXPECT_FALSE(HoldsDeclaration("/* never closed #declare T = 1;"));
    // After a declaration the text counts; the import then names what is wrong and where.
    EXPECT_TRUE(HoldsDeclaration("#declare T = 1;\nPrice: $5"));
}
