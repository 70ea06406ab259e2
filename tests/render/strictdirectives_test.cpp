// The strict reading against the real POV-Ray: whatever it admits, POV-Ray finds no directive
// in. Each text tries to make POV-Ray print a mark, directly or through an include file.

#include "core/povtext/language/language.h"
#include "core/povtext/reading/strictsource.h"
#include "renderfixture.h"

#include <QFile>
#include <QProcess>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr const char* kMark = "VELVANE-DIRECTIVE-RAN";

/// What may stand between a '#' and a directive's name, or before the '#'.
std::vector<std::string> Spellings() {
    std::vector<std::string> texts;
    for (const char* between :
         {"", " ", "\t", "\r", "\n", "\r\n", "\f", "\v", "\x1a", "/* c */", "/* a /* b */ */",
          "// c\n", "// c\r", "#", " # ", "\n#\n", "\xc2\xa0", "\xe2\x80\x8b", "/* c */\n# "}) {
        texts.push_back(std::string("#") + between + "debug \"" + kMark + "\\n\"");
        texts.push_back(std::string("#") + between + "include \"mark.inc\"");
    }
    for (const char* hidden :
         {"// c\r#debug \"%\\n\"", "// c\f#debug \"%\\n\"", "/* c */#debug \"%\\n\"",
          "\xef\xbc\x83"
          "debug \"%\\n\"",
          "\xef\xb9\x9f"
          "debug \"%\\n\"",
          "debug \"%\\n\"", "include \"mark.inc\"",
          "normal { bump_map { png \"m\\\" #debug \\\"%\\n\\\" //\" } }",
          "normal { bump_map { png \"m.png\" } } // \\\r#debug \"%\\n\""}) {
        std::string text = hidden;
        for (std::size_t at = text.find('%'); at != std::string::npos; at = text.find('%'))
            text.replace(at, 1, kMark);
        texts.push_back(text);
    }
    return texts;
}

} // namespace

TEST_F(RenderTest, WhatTheStrictReadingAdmitsHoldsNoDirectiveForPovRay) {
    QFile mark(Path(QStringLiteral("mark.inc")));
    ASSERT_TRUE(mark.open(QIODevice::WriteOnly));
    mark.write(QByteArray("#debug \"") + kMark + "\\n\"\n");
    mark.close();

    const std::vector<std::string> texts = Spellings();
    std::vector<std::unique_ptr<QProcess>> runs;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const QString scene = Path(QStringLiteral("spelling%1.pov").arg(i));
        QFile file(scene);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("camera { location <0, 0, -3> look_at 0 }\n"
                   "sphere { 0, 1 texture { pigment { rgb 1 } " +
                   QByteArray::fromStdString(texts[i]) + "\n} }\n");
        file.close();
        auto run = std::make_unique<QProcess>();
        run->setWorkingDirectory(m_dir.path());
        run->setProcessChannelMode(QProcess::MergedChannels);
        run->start(m_settings.EffectivePovExecutable(),
                   {QStringLiteral("+I") + scene, QStringLiteral("-D"), QStringLiteral("-F"),
                    QStringLiteral("+W8"), QStringLiteral("+H8"), QStringLiteral("-GS")});
        runs.push_back(std::move(run));
    }
    int ran = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        ASSERT_TRUE(runs[i]->waitForFinished(60000));
        const bool directiveRan = runs[i]->readAll().contains(kMark);
        const std::string text = "texture { pigment { rgb 1 } " + texts[i] + "\n}";
        const auto refusal = StrictSourceRefusal(text, SourceTexture::TextureKind);
        ran += directiveRan ? 1 : 0;
        EXPECT_TRUE(refusal || !directiveRan) << "admitted, and POV-Ray ran: " << texts[i];
    }
    // The oracle sees what it is to see: most of these spellings do reach POV-Ray as directives.
    EXPECT_GE(ran, 30);
}

TEST_F(RenderTest, EveryWordOfTheLanguageTableIsReservedExactlyWhenPovRayRefusesToDeclareIt) {
    // The table reserves 3.8's words as well, so names made here stay good there.
    const auto rows = PovLanguage::Keywords();
    constexpr std::size_t kAtOnce = 24;
    std::size_t mismatches = 0;
    for (std::size_t first = 0; first < rows.size(); first += kAtOnce) {
        std::vector<std::unique_ptr<QProcess>> runs;
        for (std::size_t i = first; i < std::min(rows.size(), first + kAtOnce); ++i) {
            const QString scene = Path(QStringLiteral("declare%1.pov").arg(i));
            QFile file(scene);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("#declare " + QByteArray::fromStdString(std::string(rows[i].word)) +
                       " = 1;\n");
            file.close();
            auto run = std::make_unique<QProcess>();
            run->setProcessChannelMode(QProcess::MergedChannels);
            run->start(m_settings.EffectivePovExecutable(),
                       {QStringLiteral("+I") + scene, QStringLiteral("-D"), QStringLiteral("-F"),
                        QStringLiteral("+W1"), QStringLiteral("+H1"), QStringLiteral("-GA")});
            runs.push_back(std::move(run));
        }
        for (std::size_t k = 0; k < runs.size(); ++k) {
            ASSERT_TRUE(runs[k]->waitForFinished(60000));
            const bool refused = runs[k]->exitCode() != 0;
            const std::string_view word = rows[first + k].word;
            const bool reservedIn37 =
                IsPovRayReservedWord(word) && !PovLanguage::Is(word, PovLanguage::kNewIn38);
            if (refused != reservedIn37) {
                ++mismatches;
                ADD_FAILURE() << word
                              << (refused ? " is reserved in POV-Ray"
                                          : " can be declared in POV-Ray");
            }
        }
    }
    EXPECT_EQ(mismatches, 0u);
}
