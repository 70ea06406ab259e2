// Textures of POV-Ray's own library, imported and rendered with the real POV-Ray next to the
// originals on the catalog's sphere: exact imports look the same.

#include "core/povray/povcommand.h"
#include "core/povtext/import/sourceimport.h"
#include "core/shapes/builtinshapes.h"
#include "render/files/disksourcefiles.h"
#include "render/files/fileio.h"
#include "render/povray/povrayjob.h"
#include "renderfixture.h"

#include <QFile>
#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr int kSize = 80;

/// Mean absolute difference of two pictures, in percent of full scale.
double Difference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    EXPECT_EQ(a.size(), b.size());
    double sum = 0.0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        sum += std::abs(int(a[i]) - int(b[i]));
    return 100.0 * sum / (255.0 * double(std::max<std::size_t>(1, a.size())));
}

class ImportRenderTest : public RenderTest {
protected:
    /// Renders the catalog's sphere scene (or preview shape `shape`) with `include` as its
    /// texture file, the texture declared as `name`.
    std::vector<std::uint8_t> Render(const std::string& include, const std::string& name,
                                     int shape = 0) {
        QString folder;
        EXPECT_TRUE(m_runner->NewJobFolder(folder).Succeeded());
        EXPECT_TRUE(WriteFileAtomically(folder + "/" + kTextureFileName,
                                        QByteArray::fromStdString(include)));
        RenderRemarks remarks;
        EXPECT_TRUE(m_runner->WriteScene(name, shape, folder, remarks).Succeeded());
        const std::unique_ptr<PovRayJob> job =
            m_runner->MakeJob(folder, m_runner->Command(OutputFileName(), kSize, kSize),
                              OutputFileName(), kSize, kSize, QString::fromStdString(name));
        const RenderResult result = RunJob(*job);
        EXPECT_TRUE(result.Succeeded()) << result.message.toStdString();
        std::vector<std::uint8_t> rows;
        EXPECT_TRUE(ReadRenderedPixels(folder, OutputFileName(), kSize, kSize, rows).Succeeded());
        PovRayRunner::RemoveJobFolder(folder);
        return rows;
    }
};

} // namespace

TEST_F(ImportRenderTest, LibraryTexturesImportedExactlyRenderLikeTheOriginals) {
    const std::string library = kPovRayLibraryFolder;
    // A file of our own turns and scales library textures in orders the model does not write.
    QFile turned(Path("turned.inc"));
    ASSERT_TRUE(turned.open(QIODevice::WriteOnly));
    turned.write("#declare Stripes = texture { pigment { gradient x scale 0.7\n"
                 "  color_map { [0 rgb 0] [0.5 rgb 0] [0.5 rgb <1, 0.8, 0.2>] [1 rgb 1] } } }\n"
                 "#declare Turned = texture { Stripes scale <2, 3, 2> rotate <0, 0, -30>\n"
                 "  rotate <40, 0, 0> }\n"
                 "#declare Bumped = texture { Stripes normal { bumps 0.6 scale 0.3 }\n"
                 "  scale <1, 2, 1> rotate <0, 0, 30> rotate <0, 20, 0> }\n"
                 "#declare Shared = texture { pigment { gradient x scale <0.5, 1, 1> rotate y*35\n"
                 "  color_map { [0 rgb 0] [0.5 rgb 1] } } normal { ripples 0.8 scale 0.3 } }\n");
    turned.close();
    const std::vector<std::pair<std::string, std::string>> wanted = {
        {"textures.inc", "Jade"},
        {"textures.inc", "DMFWood4"},
        {"stones1.inc", "T_Grnt20"},
        {"metals.inc", "T_Chrome_4D"},
        {"woods.inc", "T_Wood32"},
        {Path("turned.inc").toStdString(), "Turned"},
        {Path("turned.inc").toStdString(), "Bumped"},
        {Path("turned.inc").toStdString(), "Shared"}};

    DiskSourceFiles disk;
    for (const auto& [file, name] : wanted) {
        const std::string path = file.front() == '/' ? file : library + "/" + file;
        const ImportResult result =
            ImportSource({{library + "/colors.inc", std::nullopt}, {path, std::nullopt}}, {}, disk);
        ASSERT_FALSE(result.failure) << *result.failure;
        const ImportedDeclaration* imported = nullptr;
        for (const ImportedDeclaration& declaration : result.declarations)
            if (declaration.name == name)
                imported = &declaration;
        ASSERT_TRUE(imported) << name;
        ASSERT_EQ(imported->outcome, ImportOutcome::Imported) << ReportLine(*imported);

        // Both are read as POV-Ray 3.7 text: the library's own #version directives would
        // otherwise switch the original alone to 3.7's gamma handling.
        const std::string use = imported->kind == "pigment" ? "texture { pigment { " + name + " } }"
                                                            : "texture { " + name + " }";
        const std::string version = "#version 3.7;\n";
        const std::string original = version + "#include \"colors.inc\"\n#include \"" + path +
                                     "\"\n#declare Original_" + name + " = " + use +
                                     "\n#declare White = texture { pigment { rgb 1 } }\n";
        const auto before = Render(original, "Original_" + name);
        const auto after = Render(version + imported->texture->GetSource(SourceFlag::Declare),
                                  DeclaredIdentifier(name));
        EXPECT_LT(Difference(before, after), 1.0) << name;
        EXPECT_GT(Difference(before, Render(original, "White")), 1.0)
            << "the comparison tells textures apart";
    }
}

TEST_F(ImportRenderTest, TexturesThatLetLightThroughComeInOnAShapeTheyCanBeSeenAgainst) {
    const std::string library = kPovRayLibraryFolder;
    DiskSourceFiles disk;
    ImportOptions options;
    options.sourceFallback = true; // as the program imports: what the model cannot hold as text
    auto import = [&](const char* file) {
        ImportResult result = ImportSource(
            {{library + "/colors.inc", std::nullopt}, {library + "/" + file, std::nullopt}},
            options, disk);
        EXPECT_FALSE(result.failure) << *result.failure;
        return result;
    };
    ImportResult result = import("glass_old.inc");
    for (ImportedDeclaration& declaration : import("stones1.inc").declarations)
        result.declarations.push_back(std::move(declaration));
    const Texture* glass = nullptr;
    int glasses = 0;
    for (const ImportedDeclaration& declaration : result.declarations) {
        if (!declaration.texture)
            continue;
        const std::uint8_t shape = declaration.texture->GetPreviewShape();
        if (declaration.name.find("Glass") != std::string::npos) {
            ++glasses;
            EXPECT_EQ(shape, kSeeThroughShape) << declaration.name;
        }
        if (declaration.name == "T_Glass1")
            glass = declaration.texture.get();
        // Solid granite hides the room; the filtering cracks laid over stones do not.
        if (declaration.name == "T_Grnt0") {
            EXPECT_EQ(shape, 0);
        } else if (declaration.name == "T_Crack2") {
            EXPECT_EQ(shape, kSeeThroughShape);
        }
    }
    EXPECT_EQ(glasses, 13);
    ASSERT_TRUE(glass);

    // Through the sphere's middle the room's green checkers show; on the plain sphere they
    // cannot.
    const std::string include = "#version 3.7;\n" + glass->GetRenderSource();
    const std::string name = DeclaredIdentifier("T_Glass1");
    auto greenInTheMiddle = [](const std::vector<std::uint8_t>& rows) {
        int green = 0;
        for (int y = kSize / 3; y < 2 * kSize / 3; ++y)
            for (int x = kSize / 3; x < 2 * kSize / 3; ++x) {
                const std::uint8_t* pixel = &rows[static_cast<std::size_t>((y * kSize + x) * 3)];
                // Rows hold blue, green, red.
                green += pixel[1] > 2 * pixel[0] && pixel[1] > 2 * pixel[2] && pixel[1] > 40;
            }
        return green * 9 * 100 / (kSize * kSize);
    };
    EXPECT_GT(greenInTheMiddle(Render(include, name, kSeeThroughShape)), 15);
    EXPECT_LT(greenInTheMiddle(Render(include, name, 0)), 2);
}
