// Textures of POV-Ray's own library, imported and rendered with the real POV-Ray next to the
// originals on the catalog's sphere: exact imports look the same.

#include "core/povray/povcommand.h"
#include "core/povtext/sourceimport.h"
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
    /// Renders the catalog's sphere scene with `include` as its texture file, the texture
    /// declared as `name`.
    std::vector<std::uint8_t> Render(const std::string& include, const std::string& name) {
        QString folder;
        EXPECT_TRUE(m_runner->NewJobFolder(folder).Succeeded());
        EXPECT_TRUE(WriteFileAtomically(folder + "/" + kTextureFileName,
                                        QByteArray::fromStdString(include)));
        RenderRemarks remarks;
        EXPECT_TRUE(m_runner->WriteScene(name, 0, folder, remarks).Succeeded());
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
