#include "sourcefixture.h"

#include <gtest/gtest.h>

namespace {

std::array<double, 5> Components(const std::string& expression) {
    return DeclaredNumber("#declare V = " + expression + ";", "V").v;
}

double FloatOf(const std::string& expression) {
    const PovNumber n = DeclaredNumber("#declare V = " + expression + ";", "V");
    EXPECT_EQ(n.kind, PovNumber::Float) << expression;
    return n.v[0];
}

/// The reason the declaration of V is refused, as the import reports it.
std::string RefusalOf(const std::string& text) {
    const ImportResult result = ImportText(text + "\n#declare T = texture { pigment { rgb V } }");
    if (result.failure)
        return "failure: " + *result.failure;
    return result.declarations.empty() ? "imported" : ReportLine(result.declarations.back());
}

} // namespace

TEST(Expressions, ArithmeticFollowsPrecedenceAndTheCommonFunctions) {
    EXPECT_DOUBLE_EQ(FloatOf("1 + 2 * 3 - 4 / 2"), 5.0);
    EXPECT_DOUBLE_EQ(FloatOf("-(1 + 2) * -2"), 6.0);
    EXPECT_DOUBLE_EQ(FloatOf("1/20"), 0.05);
    EXPECT_DOUBLE_EQ(FloatOf("max(1, 7, 3) + min(2, -1)"), 6.0);
    EXPECT_DOUBLE_EQ(FloatOf("pow(2, 10) + sqrt(16) + abs(-1) + int(2.7) + floor(-0.5)"), 1030.0);
    EXPECT_NEAR(FloatOf("sin(pi / 2) + cos(0) + degrees(pi) + radians(180)"), 182.0 + 3.14159265,
                1e-6);
    EXPECT_DOUBLE_EQ(FloatOf("mod(7, 3) + div(7, 2) + select(-1, 10, 20)"), 14.0);
    EXPECT_DOUBLE_EQ(FloatOf("(2 < 3) + (3 <= 2) + (2 = 2) + (2 != 2) + (1 & 0) + (1 | 0)"), 3.0);
    EXPECT_DOUBLE_EQ(FloatOf("1 > 2 ? 5 : 6"), 6.0);
    EXPECT_DOUBLE_EQ(FloatOf("vlength(<3, 4, 0>) + vdot(x, <2, 3, 4>)"), 7.0);
    EXPECT_DOUBLE_EQ(FloatOf("strlen(concat(\"ab\", str(1.5, 0, 1)))"), 5.0);
    EXPECT_DOUBLE_EQ(FloatOf("version"), 3.7);
    EXPECT_DOUBLE_EQ(DeclaredNumber("#version 3.5;\n#declare V = version;", "V").v[0], 3.5);
}

TEST(Expressions, StringsAndTheRestOfTheFunctions) {
    EXPECT_DOUBLE_EQ(FloatOf("strcmp(strupr(\"ab\"), \"AB\") + strlen(substr(\"hello\", 2, 3))"),
                     3.0);
    EXPECT_DOUBLE_EQ(FloatOf("asc(chr(65)) + val(\"2.5\") + strlen(str(3, -5, 0))"), 72.5);
    EXPECT_DOUBLE_EQ(FloatOf("(\"b\" > \"a\") + (\"a\" = \"a\") + defined(pi) + defined(Nothing)"),
                     2.0);
    EXPECT_DOUBLE_EQ(FloatOf("bitwise_and(12, 10) + bitwise_or(1, 2) + bitwise_xor(3, 1)"), 13.0);
    EXPECT_DOUBLE_EQ(FloatOf("select(0, 1, 2, 3) + select(1, 1, 2, 3)"), 5.0);
    EXPECT_DOUBLE_EQ(FloatOf("clock + frame_number + initial_frame"), 1.0);
    const auto axis = Components("vaxis_rotate(x, y, 90) + vcross(x, y) + vnormalize(<0, 3, 4>)");
    EXPECT_NEAR(axis[0], 0.0, 1e-12);
    EXPECT_NEAR(axis[1], 0.6, 1e-12);
    EXPECT_NEAR(axis[2], 0.8 + 1.0 - 1.0, 1e-12);
    EXPECT_DOUBLE_EQ(FloatOf("<1, 1, 1>.gray"), 1.0);
}

TEST(Expressions, VectorsPromoteAndComponentsAreNamed) {
    const auto v = Components("2 * x + <0, 1, 0> - 0.5");
    EXPECT_EQ((std::array<double, 3>{v[0], v[1], v[2]}), (std::array<double, 3>{1.5, 0.5, -0.5}));
    // Components without commas, and a comparison inside a vector in parentheses.
    const auto loose = Components("< -1 0.5 (2 > 1) >");
    EXPECT_EQ((std::array<double, 3>{loose[0], loose[1], loose[2]}),
              (std::array<double, 3>{-1.0, 0.5, 1.0}));
    EXPECT_DOUBLE_EQ(FloatOf("<1, 2, 3>.y + <1, 2, 3>.z + <4, 5>.u"), 9.0);
    const auto turned = Components("vrotate(x, <0, 0, 90>)");
    EXPECT_NEAR(turned[0], 0.0, 1e-12);
    EXPECT_NEAR(turned[1], 1.0, 1e-12);
}

TEST(Expressions, EveryColourFormGivesItsFiveChannels) {
    using C = std::array<double, 5>;
    EXPECT_EQ(Components("rgb 0.5"), (C{0.5, 0.5, 0.5, 0, 0}));
    EXPECT_EQ(Components("color 0.4"), (C{0.4, 0.4, 0.4, 0.4, 0.4})) << "a bare float fills all";
    EXPECT_EQ(Components("rgbf <0.1, 0.2, 0.3, 0.4>"), (C{0.1, 0.2, 0.3, 0.4, 0}));
    EXPECT_EQ(Components("rgbt <0.1, 0.2, 0.3, 0.4>"), (C{0.1, 0.2, 0.3, 0, 0.4}));
    EXPECT_EQ(Components("rgbft <0.1, 0.2, 0.3, 0.4, 0.5>"), (C{0.1, 0.2, 0.3, 0.4, 0.5}));
    EXPECT_EQ(Components("colour red 0.25 green 0.5 blue 1 filter 0.1 transmit 0.2"),
              (C{0.25, 0.5, 1, 0.1, 0.2}));
    EXPECT_EQ(DeclaredNumber("#declare Red = rgb <1, 0, 0>;\n#declare V = Red filter 0.5;", "V").v,
              (C{1, 0, 0, 0.5, 0}));
    EXPECT_EQ(DeclaredNumber("#declare G = <1, 0.5, 0>;\n#declare V = rgb G * 0.5 + 0.25;", "V").v,
              (C{0.75, 0.5, 0.25, 0.25, 0.25}));
    EXPECT_DOUBLE_EQ(
        DeclaredNumber("#declare C = rgb <0.2, 0.4, 0.6>;\n#declare V = (C.red + C.blue) / 2;", "V")
            .v[0],
        0.4);
    EXPECT_EQ(Components("srgb 1"), (C{1, 1, 1, 0, 0}));
}

TEST(Expressions, WhatCannotBeEvaluatedRefusesTheDeclarationWithItsPlace) {
    EXPECT_EQ(
        RefusalOf("#declare V = Missing;"),
        "main.pov:2: skipped T: uses V (main.pov:1), which was skipped: Missing is not declared "
        "(main.pov:1)");
    EXPECT_EQ(RefusalOf("#declare V = vturbulence(2, 0.5, 6, x).x;"),
              "main.pov:2: skipped T: uses V (main.pov:1), which was skipped: the function "
              "vturbulence is not evaluated here (main.pov:1)");
    EXPECT_EQ(RefusalOf("#declare V = 1 /\n (2 - 2);"),
              "main.pov:3: skipped T: uses V (main.pov:1), which was skipped: division by zero "
              "(main.pov:1)");
    EXPECT_EQ(
        RefusalOf("#macro M(optional a) a #end\n#declare V = M(1);"),
        "main.pov:3: skipped T: uses V (main.pov:2), which was skipped: the macro M "
        "(main.pov:1) is called; macros with optional parameters are not evaluated (main.pov:2)");
    EXPECT_EQ(RefusalOf("#declare V = sqrt(-1);"),
              "main.pov:2: skipped T: uses V (main.pov:1), which was skipped: sqrt is given a "
              "value outside its domain (main.pov:1)");
    EXPECT_EQ(RefusalOf("#declare V = <1, 2>.z + x.red;"), "main.pov:2: imported T")
        << "a short vector's missing components are zero";
    EXPECT_EQ(RefusalOf("#declare V = image_width;"),
              "main.pov:2: skipped T: uses V (main.pov:1), which was skipped: image_width is only "
              "known when POV-Ray renders (main.pov:1)");
}
