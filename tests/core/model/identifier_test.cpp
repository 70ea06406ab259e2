// The identifier a texture is declared under, and the file names written into POV-Ray strings:
// whatever a catalog holds, the source it gives is one declaration and nothing more.

#include "core/model/imagemap.h"
#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "core/povtext/language/language.h"
#include "core/shapes/customshape.h"

#include <gtest/gtest.h>
#include <string>

TEST(DeclaredIdentifier, ValidIdentifiersStayAsTheyAre) {
    for (const char* name :
         {"Untitled", "Red_Marble_2", "_private", "Sphere", "X", "texture2", "a"})
        EXPECT_EQ(DeclaredIdentifier(name), name);
    EXPECT_EQ(DeclaredIdentifier("Red Marble 2"), "Red_Marble_2");
}

TEST(DeclaredIdentifier, EveryOtherCharacterBecomesAnUnderscore) {
    EXPECT_EQ(DeclaredIdentifier("Red-Brick"), "Red_Brick");
    EXPECT_EQ(DeclaredIdentifier("v1.2"), "v1_2");
    EXPECT_EQ(DeclaredIdentifier("Gr\u00fcn"), "Gr_n"); // one character, one underscore
    EXPECT_EQ(DeclaredIdentifier("\u6728\u76ee"), "__");
    EXPECT_EQ(DeclaredIdentifier("Bad Name!"), "Bad_Name_");
    EXPECT_EQ(DeclaredIdentifier("T=texture{pigment{rgb\t1}}\r\n#fopen\tF\t\"/tmp/x\"\twrite"),
              "T_texture_pigment_rgb_1_____fopen_F___tmp_x__write");
}

TEST(DeclaredIdentifier, LeadingDigitsEmptyNamesAndReservedWords) {
    EXPECT_EQ(DeclaredIdentifier("1st Coat"), "_1st_Coat");
    EXPECT_EQ(DeclaredIdentifier(""), "_");
    EXPECT_EQ(DeclaredIdentifier("sphere"), "sphere_");
    EXPECT_EQ(DeclaredIdentifier("x"), "x_");
    EXPECT_EQ(DeclaredIdentifier("texture"), "texture_");
    EXPECT_EQ(DeclaredIdentifier("version"), "version_");
    EXPECT_EQ(DeclaredIdentifier("#declare"), "_declare"); // not a reserved word once changed
    EXPECT_EQ(DeclaredIdentifier(std::string(300, 'n')), std::string(240, 'n'));
    EXPECT_EQ(DeclaredIdentifier("9" + std::string(300, 'n')), "_9" + std::string(238, 'n'));
}

TEST(ReservedWords, BothVersionsCaseSensitive) {
    for (const char* word : {"aa_level", "sphere", "x", "y", "z", "pi", "declare", "fopen", "write",
                             "yes", "ZZZZ_not", "cutaway_textures", "mm_per_unit", "uv_vectors"})
        EXPECT_EQ(IsPovRayReservedWord(word), std::string(word) != "ZZZZ_not") << word;
    for (const char* word : {"Sphere", "X", "", "spheres", "Red", "declare_"})
        EXPECT_FALSE(IsPovRayReservedWord(word)) << word;
}

TEST(DeclaredIdentifier, SourceAndScenesUseTheSameIdentifier) {
    SimpleTexture simple;
    simple.SetName("1st Coat");
    EXPECT_EQ(simple.GetSource(SourceFlag::Declare).rfind("#declare _1st_Coat = texture\r\n", 0),
              0u);
    LayeredTexture layered;
    layered.SetName("sphere");
    layered.AddLayer(simple);
    EXPECT_EQ(layered.GetSource(SourceFlag::Declare).rfind("#declare sphere_ =\r\n", 0), 0u);
    const CustomShape shape;
    EXPECT_NE(shape.GetSceneSource("1st Coat").find("texture {_1st_Coat}"), std::string::npos);
    EXPECT_EQ(simple.GetName(), "1st Coat"); // the name itself is kept as typed
}

TEST(ImageFileName, QuotesAndControlCharactersAreLeftOut) {
    ImageMap image;
    image.fileType = ImageMap::kTarga;
    image.fileName = "tile\".tga\"\r\n#fopen F \"/tmp/x\" write\r\n//";
    EXPECT_EQ(image.GetSource(false), "      tga \"tile.tga#fopen F /tmp/x write//\"\r\n");
    EXPECT_FALSE(IsWritableImageFileName(image.fileName));
    // A backslash before the closing quote would let POV-Ray read on past it.
    image.fileName = "maps\\tile.tga\\\\";
    EXPECT_EQ(image.GetSource(false), "      tga \"maps\\tile.tga\"\r\n");
    EXPECT_FALSE(IsWritableImageFileName("maps\\"));
    EXPECT_TRUE(IsWritableImageFileName("maps\\tile.tga"));
    EXPECT_TRUE(IsWritableImageFileName("Gr\u00fcn/tile 1.tga"));
    EXPECT_TRUE(IsWritableImageFileName(""));
    EXPECT_EQ(PovStringText("plain.gif"), "plain.gif");
}
