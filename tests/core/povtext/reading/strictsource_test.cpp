#include "core/povtext/reading/strictsource.h"

#include <gtest/gtest.h>

namespace {

std::string Refusal(const std::string& text,
                    SourceTexture::Kind kind = SourceTexture::TextureKind) {
    return StrictSourceRefusal(text, kind).value_or("");
}

} // namespace

TEST(StrictSource, TakesTheTextureLanguage) {
    EXPECT_EQ(Refusal("texture {\r\n  pigment { marble turbulence 1.8 color_map { [0 rgb 1] "
                      "[1 rgb <0.1, 0.2, 0.3>] } }\r\n  normal { bumps 0.4 scale 0.2 }\r\n"
                      "  finish { phong 1 }\r\n}"),
              "");
    EXPECT_EQ(Refusal("texture { pigment { rgb 1 } } texture { pigment { rgbt <0, 0, 0, 0.5> } }"),
              ""); // layered
    EXPECT_EQ(Refusal("pigment { image_map { png \"maps/wood.png\" interpolate 2 } }",
                      SourceTexture::PigmentKind),
              "");
    EXPECT_EQ(Refusal("material { texture { pigment { rgbf 1 } } interior { ior 1.5 "
                      "media { absorption 0.2 } } }",
                      SourceTexture::MaterialKind),
              "");
    EXPECT_EQ(Refusal("pigment { function { x * y } }", SourceTexture::PigmentKind), "");
}

TEST(StrictSource, RefusesEveryDirective) {
    for (const char* directive :
         {"declare X = 1", "local X = 1", "include \"colors.inc\"", "fopen F \"out.txt\" write",
          "read (F, X)", "write (F, 1)", "macro M() #end", "if (1) #end", "undef X", "version 3.7",
          "default { finish { ambient 1 } }", "debug \"x\"", "error \"x\""})
        EXPECT_EQ(Refusal(std::string("texture {\r\n  #") + directive + "\r\n}"),
                  std::string("line 2: it holds the directive #") +
                      std::string(directive).substr(0, std::string(directive).find(' ')))
            << directive;
}

TEST(StrictSource, RefusesEveryHashHoweverItIsSpelled) {
    for (const char* spelling : {"#\ninclude", "# /* x */ include", "# // x\ninclude", "##include",
                                 "#\r\ninclude", "# }", "#"})
        EXPECT_EQ(
            Refusal(std::string("texture { pigment { rgb 1 } ") + spelling + " }").substr(0, 16),
            "line 1: it holds")
            << spelling;
    EXPECT_EQ(Refusal("texture { pigment { rgb 1 } # }"), "line 1: it holds a '#'");
    EXPECT_EQ(Refusal("texture { pigment { rgb 1 } // x\r#include \"y.inc\" }"),
              "line 1: it holds the directive #include");
}

TEST(StrictSource, BoundsTheCountsWhoseCostGrowsWithoutLimit) {
    const std::string image = "a function image's width and height must be written as numbers of "
                              "at most 8,192";
    const std::string fractal =
        "a fractal's iterations must be written as numbers of at most 10,000";
    const struct {
        const char* text;
        std::string refusal;
    } cases[] = {
        {"pigment { image_map { function 8192, 512 { x } } }", ""},
        {"pigment { image_map { function 100000, 100000 { x } } }", image},
        {"pigment { image_map { function 10, 8193 { x } } }", image},
        {"pigment { image_map { function 10 * 1000, 10 { x } } }", image},
        {"pigment { function { x * 100000 } }", ""},
        {"pigment { mandel 250 exponent 3 }", ""},
        {"pigment { mandel 2000000000 }", fractal},
        {"pigment { mandel 2e9 }", fractal},
        {"pigment { mandel (20) }", fractal},
        {"pigment { julia <0.35, 0.29>, 30 }", ""},
        {"pigment { julia <0.35, 0.29>, 1e6 }", fractal},
        {"pigment { magnet 1 mandel 100000 }", fractal},
        {"pigment { rgbt 1 } interior { media { intervals 5 samples 2, 40 } }", ""},
        {"pigment { rgbt 1 } interior { media { samples 1, 1000000 } }",
         "media samples must be written as numbers of at most 10,000"},
        {"pigment { rgbt 1 } interior { media { intervals 100000 } }",
         "media intervals must be written as numbers of at most 1,000"},
        {"pigment { rgbt 1 } interior { media { method 3 aa_level 40 } }",
         "media's antialiasing level must be written as numbers of at most 9"},
        {"pigment { rgbt 1 } interior { dispersion 1.1 dispersion_samples 100000 }",
         "dispersion samples must be written as numbers of at most 1,000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Refusal(std::string("material { texture { ") + c.text + " } }",
                          SourceTexture::MaterialKind),
                  c.refusal.empty() ? "" : "line 1: " + c.refusal)
            << c.text;
}

TEST(StrictSource, RefusesObjectsCamerasLightsAndSceneSettings) {
    EXPECT_EQ(Refusal("texture { } sphere { 0, 1 }"), "line 1: it holds \"sphere\", which is no "
                                                      "texture language");
    EXPECT_EQ(Refusal("texture { pigment { object { box { 0, 1 } } } }"),
              "line 1: it holds \"object\", which is no texture language");
    EXPECT_EQ(Refusal("texture { camera { } }"),
              "line 1: it holds \"camera\", which is no texture language");
    EXPECT_EQ(Refusal("texture { light_source { 0, 1 } }"),
              "line 1: it holds \"light_source\", which is no texture language");
    EXPECT_EQ(Refusal("texture { global_settings { } }"),
              "line 1: it holds \"global_settings\", which is no texture language");
}

TEST(StrictSource, RefusesIdentifiersAndStringsMadeByFunctions) {
    EXPECT_EQ(Refusal("texture { T_Wood1 }"),
              "line 1: it uses the identifier T_Wood1, which it does not declare");
    EXPECT_EQ(Refusal("pigment { image_map { png concat(\"a\", \".png\") } }",
                      SourceTexture::PigmentKind),
              "line 1: it holds \"concat\", which is no texture language");
    EXPECT_EQ(Refusal("pigment { image_map { png chr(34) } }", SourceTexture::PigmentKind),
              "line 1: it holds \"chr\", which is no texture language");
}

TEST(StrictSource, TakesOnlyFileNamesTheImageMapsTake) {
    const std::string refused =
        "line 1: it holds a file name with quotes, control characters or a closing backslash";
    EXPECT_EQ(Refusal("pigment { image_map { png \"a\\\"b.png\" } }", SourceTexture::PigmentKind),
              refused);
    EXPECT_EQ(Refusal(std::string("pigment { image_map { png \"a\x01.png\" } }"),
                      SourceTexture::PigmentKind),
              refused);
    EXPECT_EQ(Refusal("pigment { image_map { png \"maps\\\\\" } }", SourceTexture::PigmentKind),
              refused);
    EXPECT_EQ(Refusal("material { interior { media { density { density_file df3 \"/a/b.df3\" } } "
                      "} }",
                      SourceTexture::MaterialKind),
              "");
}

TEST(StrictSource, RefusesWhatIsNotOneValueOfItsKind) {
    EXPECT_EQ(Refusal("", SourceTexture::PigmentKind), "it is empty");
    EXPECT_EQ(Refusal("texture { }", SourceTexture::PigmentKind),
              "line 1: it does not start with \"pigment\"");
    EXPECT_EQ(Refusal("pigment { } pigment { }", SourceTexture::PigmentKind),
              "line 1: something follows the pigment");
    EXPECT_EQ(Refusal("texture { } finish { }"), "line 1: something follows the texture");
    EXPECT_EQ(Refusal("texture { pigment { rgb 1 }"), "a block is not closed");
    EXPECT_EQ(Refusal("texture { ) }"), "line 1: its ')' closes nothing");
    EXPECT_EQ(Refusal("texture"), "the texture has no block");
    EXPECT_EQ(Refusal("texture { ; }"), "line 1: it holds a ';'");
    EXPECT_EQ(Refusal("texture { \"unclosed }"),
              "line 1: the string that starts here is not closed on its line");
}

TEST(StrictSource, RefusesHugeAndDeeplyNestedTexts) {
    std::string huge = "texture { pigment { rgb 1 } ";
    while (huge.size() <= kMaxSourceTextBytes)
        huge += "scale 1 ";
    huge += "}";
    EXPECT_EQ(Refusal(huge), "it is longer than " + std::to_string(kMaxSourceTextBytes) + " bytes");

    std::string deep = "pigment { rgb ";
    for (int i = 0; i < 200; ++i)
        deep += "(";
    deep += "1";
    for (int i = 0; i < 200; ++i)
        deep += ")";
    deep += " }";
    EXPECT_EQ(Refusal(deep, SourceTexture::PigmentKind), "line 1: it nests deeper than 128 levels");
}

TEST(StrictSource, MarksATextureRefusedByName) {
    SourceTexture texture;
    texture.SetName("Sneaky");
    texture.SetText("texture { } #fopen F \"x\" write");
    CheckSourceTexture(texture);
    EXPECT_EQ(texture.GetRefusal(),
              "The source texture \"Sneaky\" is refused: line 1: it holds the directive #fopen.");
    texture.SetText("texture { }");
    CheckSourceTexture(texture);
    EXPECT_FALSE(texture.IsRefused());
}
