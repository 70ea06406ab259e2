#include "core/archive/archive.h"
#include "core/archive/objectarray.h"
#include "core/shapes/builtinshapes.h"
#include "core/shapes/customshape.h"
#include "core/shapes/sceneheader.h"
#include "core/storedclasses.h"
#include "testsupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

/// Lines joined by CR LF, none after the last.
std::string Lines(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (const std::string_view* line = lines.begin(); line != lines.end(); ++line)
        text.append(line == lines.begin() ? "" : "\r\n").append(*line);
    return text;
}

const std::string kHead =
    Lines({"// The following include file is REQUIRED", "#include \"temptx$$.!!!\"", "", ""});
const std::string kCamera =
    Lines({"camera {", "    location  <0,  0, -10.5>", "    look_at   <0,  0,   0>",
           "    up        <0,  1,   0>", "    right     <1,  0,   0>", "    rotate    <30, -30, 0>",
           "}"});
const std::string kDefaultSource =
    kHead + kCamera + "\r\n\r\n" +
    Lines({"sphere { <0, 0, 0>, 4", "  texture {%%TEXTURE_NAME%%}", "}", "",
           "light_source {<-12, 27, -25> colour rgb<1.0,1.0,1.0>}"});

std::vector<std::uint8_t> Stored(const Storable& object) {
    Archive ar;
    ar.WriteObject(&object);
    return ar.Bytes();
}

const std::string& Source(const PreviewShape& shape) {
    return dynamic_cast<const CustomShape&>(shape).GetSource();
}

} // namespace

TEST(ShapeText, ReplaceAllScansLeftToRightWithoutRescanning) {
    EXPECT_EQ(ReplaceAll("a-b-c", "-", "+"), "a+b+c");
    EXPECT_EQ(ReplaceAll("aaa", "aa", "b"), "ba");
    EXPECT_EQ(ReplaceAll("aaaa", "aa", "a"), "aa");
    EXPECT_EQ(ReplaceAll("xax", "a", "aa"), "xaax");
    EXPECT_EQ(ReplaceAll("%%X%%X%%", "%%X%%", "Y"), "YX%%");
    EXPECT_EQ(ReplaceAll("abc", "", "z"), "abc");
    EXPECT_EQ(ReplaceAll("abab", "ab", ""), "");
}

TEST(ShapeText, SceneNamesTheDeclaredIdentifierAtEveryPlaceholder) {
    CustomShape shape;
    EXPECT_EQ(shape.GetName(), "Sphere");
    EXPECT_EQ(shape.GetDescription(), "Clear sphere with one light source");
    EXPECT_EQ(shape.GetSource(), kDefaultSource);
    EXPECT_EQ(shape.GetSource().size(), 338u);
    EXPECT_EQ(shape.GetSceneSource("My Wood"),
              ReplaceAll(kDefaultSource, "{%%TEXTURE_NAME%%}", "{My_Wood}"));
    shape.SetSource("%%TEXTURE_NAME%% x %%TEXTURE_NAME%%%%TEXTURE_NAME%");
    EXPECT_EQ(shape.GetSceneSource(" a  b "), "_a__b_ x _a__b_%%TEXTURE_NAME%");
    shape.SetSource("sphere { 0, 1 }\r\n");
    EXPECT_EQ(shape.GetSceneSource("My Wood"), "sphere { 0, 1 }\r\n");
    EXPECT_EQ(PreviewShape().GetSceneSource("My Wood"), "This is not a shape!");
}

TEST(ShapeText, LacksIncludeOnlyWhenThePlaceholderIsUsedWithoutTheExactInclude) {
    CustomShape shape;
    EXPECT_FALSE(shape.LacksInclude());
    shape.SetSource("texture {%%TEXTURE_NAME%%}");
    EXPECT_TRUE(shape.LacksInclude());
    shape.SetSource("#include \"TEMPTX$$.!!!\"\r\ntexture {%%TEXTURE_NAME%%}");
    EXPECT_TRUE(shape.LacksInclude());
    shape.SetSource("texture {%%texture_name%%}");
    EXPECT_FALSE(shape.LacksInclude());
    shape.SetSource("texture {%%TEXTURE_NAME%%} // temptx$$.!!!");
    EXPECT_FALSE(shape.LacksInclude());
    EXPECT_FALSE(PreviewShape().LacksInclude());
}

TEST(ShapeStorage, StoredFormsByteForByteAndReadBack) {
    CustomShape custom;
    custom.SetDescription("d");
    custom.SetSource("s\r\n");
    EXPECT_EQ(ToHex(Stored(custom)),
              ToHex(HexBytes("FF FF 01 00 0C 00 43 43 75 73 74 6F 6D 53 68 61 70 65"
                             "06 53 70 68 65 72 65 01 64 03 73 0D 0A")));
    PreviewShape base;
    base.SetName("N");
    EXPECT_EQ(ToHex(Stored(base)),
              ToHex(HexBytes("FF FF 01 00 0D 00 43 50 72 65 76 69 65 77 53 68 61 70 65 01 4E 00")));
    // The default's 338-character source takes the long length form FF 52 01.
    const auto bytes = Stored(CustomShape());
    ASSERT_EQ(bytes.size(), 60u + 3 + 338);
    EXPECT_EQ(ToHex({bytes.begin() + 60, bytes.begin() + 66}), "FF 52 01 2F 2F 20");

    std::vector<std::unique_ptr<PreviewShape>> shapes;
    shapes.push_back(std::make_unique<PreviewShape>(base));
    shapes.push_back(std::make_unique<CustomShape>(custom));
    Archive out;
    WriteObjectArray(out, shapes);
    Archive in(out.Bytes(), StoredClasses());
    std::vector<std::unique_ptr<PreviewShape>> loaded;
    ReadObjectArray(in, loaded);
    EXPECT_EQ(in.Remaining(), 0u);
    ASSERT_EQ(loaded.size(), 2u);
    EXPECT_EQ(&loaded[0]->GetRuntimeClass(), &PreviewShape::classRecord);
    EXPECT_EQ(loaded[0]->GetName(), "N");
    EXPECT_EQ(loaded[1]->GetDescription(), "d");
    EXPECT_EQ(Source(*loaded[1]), "s\r\n");
}

TEST(ShapeStorage, BuiltinShapeFileKeepsItsBytesAndIsTheOneTheBuildShips) {
    // The shapes a program directory has always started with, byte for byte: a texture refers
    // to its shape by index, and older programs read this very file.
    const std::vector<std::uint8_t> file = BuiltinShapeFile();
    EXPECT_EQ(file,
              ReadFileBytes(std::string(VELVANE_TEST_DATA_DIR) + "/shapes/builtin-shapes.dat"));
    EXPECT_EQ(ReadFileBytes(VELVANE_BUILT_SHAPE_FILE), file);
    const auto head = HexBytes(
        "21 00 FF FF 01 00 0C 00 43 43 75 73 74 6F 6D 53 68 61 70 65 06 53 70 68 65 72 65 22");
    ASSERT_GT(file.size(), head.size());
    EXPECT_EQ(ToHex({file.begin(), file.begin() + static_cast<std::ptrdiff_t>(head.size())}),
              ToHex(head));
    // Every later element refers back to the class: 01 80 right after the previous light line.
    std::size_t references = 0;
    for (std::size_t i = 1; i + 2 < file.size(); ++i)
        references +=
            file[i - 1] == '}' && file[i] == 0x01 && file[i + 1] == 0x80 && file[i + 2] < 0x20;
    EXPECT_EQ(references, 32u);

    Archive in(file, StoredClasses());
    std::vector<std::unique_ptr<PreviewShape>> loaded;
    ReadObjectArray(in, loaded);
    EXPECT_EQ(in.Remaining(), 0u);
    const std::string room = " in a room with a checker floor and a checker back wall.";
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Sphere", "Clear sphere with one light source"},
        {"Box", "Clear box with one light source"},
        {"Cylinder", "Clear cylinder with one light source"},
        {"Cone", "Clear cone with one light source"},
        {"Plane(Y)", "Clear plane on the y-axis with one light source"},
        {"Plane(Z)", "Clear plane on the z-axis with one light source"},
        {"Torus", "Clear torus with one light source"},
        {"Sky", "Sky scene with a sphere radius of 3500"},
        {"White Sphere", "White sphere with one light source"},
        {"Sphere Room", "Clear sphere" + room},
        {"Torus Room", "Clear torus" + room},
        {"Cylinder Room", "Clear cylinder" + room},
        {"Blob Room", "Clear blob" + room},
    };
    ASSERT_EQ(loaded.size(), 33u);
    for (std::size_t i = 0; i < loaded.size(); ++i) {
        const bool user = i >= expected.size();
        EXPECT_EQ(loaded[i]->GetName(), user ? "USER" + std::to_string(i - 12) : expected[i].first);
        EXPECT_EQ(loaded[i]->GetDescription(), user ? expected[0].second : expected[i].second);
        if (i == 0 || user) {
            EXPECT_EQ(Source(*loaded[i]), kDefaultSource) << i;
        }
    }
}

TEST(BuiltinShapes, ScenesCharacterForCharacter) {
    const auto block = [](std::string_view object) {
        return Lines({object, "  texture {%%TEXTURE_NAME%%}", "}"});
    };
    const auto light = [](std::string_view at) {
        return "light_source {" + std::string(at) + " colour rgb<1.0,1.0,1.0>}";
    };
    const std::string usual = light("<-12, 27, -25>");
    const std::string roomCamera = ReplaceAll(kCamera, "<30, -30, 0>", "<20, 0, 0>");
    const auto tiles = [](std::string_view plane, std::string_view tile, std::string_view tile2) {
        return Lines({plane, "  texture {", "    tiles {",
                      "      texture { pigment { colour rgb" + std::string(tile) +
                          " } finish { diffuse 0.8 } }",
                      "      tile2",
                      "      texture { pigment { colour rgb" + std::string(tile2) +
                          " } finish { diffuse 0.8 } }",
                      "    }", "    scale <2,2,2>", "  }", "}"});
    };
    const std::string room = "\r\n\r\n" + tiles("plane { y, -4", "<1.0,0,0>", "<0,0,1.0>") +
                             "\r\n\r\n" + tiles("plane { z, 7", "<1.0,1.0,1.0>", "<0,1.0,0.0>");
    const std::string roomLight = light("<-5, 8, -10>");
    struct Scene {
        std::string camera, objects, lights;
    };
    const std::vector<Scene> scenes = {
        {kCamera, block("sphere { <0, 0, 0>, 4"), usual},
        {kCamera, block("box { <-2.5, -2.5, -2.5>, <2.5, 2.5, 2.5>"), usual},
        {kCamera, block("cylinder { <0, -4, 0>, <0, 4, 0>, 2.25"), light("<0, 15, -25>")},
        {kCamera, block("cone { <0, -3.5, 0>, 3, <0, 4.25, 0>, 0"), usual},
        {kCamera, block("plane { y, -1"), light("<-5, 27, -10>")},
        {Lines({"camera {", "    location  <0,  0, -10.5>", "    look_at   <0,  0,   1>",
                "    up        <0,  1,   0>", "    right     <1,  0,   0>", "}"}),
         block("plane { z, -1"), usual},
        {kCamera, block("torus { 3, 1.25"), usual},
        {Lines({"camera {", "    location  <0, 80,  0>", "    look_at   <0, 82, 10>",
                "    up        <0,  1,  0>", "    right     <1,  0,  0>", "}"}),
         block("sphere { <0, 0, 0>, 3500") + "\r\n\r\n" +
             Lines({"plane { y, 0", "  texture {", "    pigment { colour rgb<0,1.0,0> }",
                    "    finish { crand 0.1 ambient 0.5 diffuse 0.8 }", "  }", "}"}),
         light("<0, 160, 0>") + "\r\n" + usual},
        {kCamera,
         Lines({"sphere { <0, 0, 0>, 4", "  texture { pigment { colour rgb<1.0,1.0,1.0> } }",
                "  texture {%%TEXTURE_NAME%%}", "}"}),
         usual},
        {roomCamera, block("sphere { <0, 0, 0>, 4") + room, roomLight},
        {roomCamera, block("torus { 3, 1.25") + room, roomLight},
        {roomCamera, block("cylinder { <0, -4, 0>, <0, 4, 0>, 2.25") + room, roomLight},
        {roomCamera,
         Lines({"blob {", "  threshold 0.6", "  sphere { <0, 0, 0>, 4, strength 1.0 }",
                "  sphere { <2.25, 2, -1.75>, 3, strength 0.75 }",
                "  sphere { <-0.2, 2.25, 0.25>, 3, strength 0.75 }",
                "  sphere { <-2.25, 0, -1.75>, 2.5, strength 0.75 }",
                "  sphere { <-2.15, 2, 1>, 2.5, strength 0.75 }", "  texture {%%TEXTURE_NAME%%}",
                "}"}) +
             room,
         roomLight},
    };
    const auto shapes = BuiltinShapes();
    ASSERT_EQ(shapes.size(), kProgramShapeCount);
    const auto check = [&](std::size_t i, const Scene& scene) {
        EXPECT_EQ(Source(*shapes[i]),
                  kHead + scene.camera + "\r\n\r\n" + scene.objects + "\r\n\r\n" + scene.lights)
            << shapes[i]->GetName();
        EXPECT_FALSE(shapes[i]->LacksInclude());
    };
    for (std::size_t i = 0; i < scenes.size(); ++i)
        check(i, scenes[i]);
    // The unit sphere fills the picture as the sphere of radius 4 does.
    check(kUnitSphereShape,
          {ReplaceAll(kCamera, "-10.5>", "-2.625>"), block("sphere { <0, 0, 0>, 1"), usual});
    EXPECT_EQ(shapes[kUnitSphereShape]->GetName(), "Unit Sphere");
}

TEST(BuiltinShapes, AShapeFileIsBroughtUpToDateWithoutChangingWhatItsPlacesHold) {
    const auto read = [] {
        const std::vector<std::uint8_t> file = BuiltinShapeFile(); // the archive reads it in place
        Archive in(file, StoredClasses());
        ShapeList shapes;
        ReadObjectArray(in, shapes);
        return shapes;
    };
    const std::string radius = "Clear sphere of radius 4 with one light source: patterns look "
                               "four times finer than on a sphere of radius 1";
    ShapeList shapes = read();
    BringShapesUpToDate(shapes);
    ASSERT_EQ(shapes.size(), kProgramShapeCount);
    EXPECT_EQ(shapes[0]->GetDescription(), radius);
    EXPECT_EQ(Source(*shapes[0]), kDefaultSource);
    const auto builtin = BuiltinShapes();
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        EXPECT_EQ(shapes[i]->GetDescription(), builtin[i]->GetDescription()) << i;
        EXPECT_EQ(Source(*shapes[i]), Source(*builtin[i])) << i;
    }
    BringShapesUpToDate(shapes); // twice changes nothing more
    EXPECT_EQ(shapes.size(), kProgramShapeCount);

    // A sphere the user changed keeps its words; a list of another length keeps its places.
    shapes = read();
    static_cast<CustomShape&>(*shapes[0]).SetSource(kDefaultSource + " ");
    shapes.pop_back();
    BringShapesUpToDate(shapes);
    EXPECT_EQ(shapes.size(), kBuiltinShapeCount - 1);
    EXPECT_EQ(shapes[0]->GetDescription(), "Clear sphere with one light source");
}

TEST(SceneHeader, ThreePointSevenScenesStartWithTheirVersionAndGamma) {
    const std::string scene = CustomShape().GetSceneSource("Stone");
    const std::string header = "#version 3.7;\r\nglobal_settings { assumed_gamma 1.0 }\r\n\r\n";
    const std::string own = "#version 3.6;\r\n" + scene;
    const std::string gamma = "global_settings { assumed_gamma 2.2 }\r\n" + scene;
    const struct {
        std::string scene;
        SceneGamma gamma;
        std::string expected;
    } cases[] = {
        {scene, SceneGamma::Older, scene}, {scene, SceneGamma::Pov37, header + scene},
        {own, SceneGamma::Pov37, own},     {gamma, SceneGamma::Pov37, gamma},
        {own, SceneGamma::Older, own},
    };
    for (const auto& c : cases)
        EXPECT_EQ(InSceneGamma(c.scene, c.gamma), c.expected);
}

TEST(BuiltinShapes, OnlyTheUntouchedUserPlacesAreFree) {
    const auto shapes = BuiltinShapes();
    for (std::size_t i = 0; i < shapes.size(); ++i)
        EXPECT_EQ(IsFreeShapeSlot(*shapes[i], i), i >= 13 && i < kBuiltinShapeCount) << i;
    EXPECT_FALSE(IsFreeShapeSlot(*shapes[13], 14)); // USER1 belongs to index 13 alone

    // Anything the shape editor changes defines the place.
    const auto edited = [&](const std::function<void(CustomShape&)>& edit) {
        CustomShape shape = static_cast<const CustomShape&>(*shapes[14]);
        edit(shape);
        return !IsFreeShapeSlot(shape, 14);
    };
    EXPECT_TRUE(edited([](CustomShape& shape) { shape.SetName("Vase"); }));
    EXPECT_TRUE(edited([](CustomShape& shape) { shape.SetDescription("A tall vase"); }));
    EXPECT_TRUE(edited([](CustomShape& shape) { shape.SetSource(shape.GetSource() + " "); }));
    EXPECT_FALSE(edited([](CustomShape&) {}));
}
