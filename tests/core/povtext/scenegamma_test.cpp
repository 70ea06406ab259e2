#include "sourcefixture.h"

#include <gtest/gtest.h>

TEST(ImportSceneGamma, TheStyleAFileDeclaresIsNotedAndGoesWithItsTextures) {
    const std::string texture = "#declare T = texture { pigment { rgb 0.5 } }\n";
    const std::string gamma = "global_settings { assumed_gamma ";
    const struct {
        std::string head;
        std::optional<SceneGamma> expected;
    } cases[] = {
        {"// a 3.7 scene\n#version 3.7;\n", SceneGamma::Pov37},
        {"#version 3.6;\n", SceneGamma::Older},
        {"#version 3.8;\n", SceneGamma::Pov37},
        {gamma + "1.0 }\n", SceneGamma::Pov37},
        {"#version 3.6;\n" + gamma + "1 }\n", SceneGamma::Pov37},
        {"#version 3.7;\n" + gamma + "2.2 }\n", SceneGamma::Older},
        {"", std::nullopt},
        // An include file's version saved, set and given back again declares nothing.
        {"#declare V = version;\n#version 3.5;\n", std::nullopt},
        // A version after the first statement, an assumed_gamma of another block neither.
        {"#declare X = 1;\n#version 3.7;\n", std::nullopt},
        {"#macro M() assumed_gamma 1 #end\n", std::nullopt},
    };
    for (const auto& c : cases) {
        const ImportResult result = ImportText(c.head + texture);
        ASSERT_EQ(result.declarations.size(), 1u) << c.head;
        const ImportedDeclaration& declared = result.declarations.front();
        EXPECT_EQ(declared.sceneGamma, c.expected) << c.head;
        ASSERT_TRUE(declared.texture) << c.head;
        EXPECT_EQ(declared.texture->GetDeclaredGamma(), c.expected) << c.head;
        const std::vector<std::string> notes = SceneGammaNotes(result);
        if (!c.expected) {
            EXPECT_TRUE(notes.empty()) << c.head;
        } else {
            EXPECT_EQ(notes, std::vector<std::string>{"main.pov: thumbnails and Preview " +
                                                      std::string(SceneGammaName(*c.expected)) +
                                                      ", as the file declares"});
        }
    }

    // Of a file it includes, the including file's style counts.
    MemoryFiles files;
    files.files["lib.inc"] = "#version 3.5;\n" + texture;
    const ImportResult included = ImportText("#version 3.7;\n#include \"lib.inc\"\n", false, files);
    ASSERT_EQ(included.declarations.size(), 1u);
    EXPECT_EQ(included.declarations.front().sceneGamma, SceneGamma::Pov37);
}
