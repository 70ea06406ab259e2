// Pictures rendered as frames of a POV-Ray run kept warm, with the real POV-Ray, next to the
// same textures rendered in runs of their own.

#include "core/model/sourcetexture.h"
#include "povrayprocesses.h"
#include "render/povray/picturerender.h"
#include "render/povray/warmpovray.h"
#include "renderfixture.h"

#include <QDir>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

SourceTexture Source(const std::string& name, const std::string& text, int shape) {
    SourceTexture texture;
    texture.SetName(name);
    texture.SetKind(SourceTexture::TextureKind);
    texture.SetText(text);
    texture.SetPreviewShape(static_cast<std::uint8_t>(shape));
    return texture;
}

class WarmPovRayTest : public RenderTest {
protected:
    /// Renders `texture`, as a frame of m_warm when `warm`; the render for its picture.
    std::unique_ptr<PictureRender> Render(const Texture& texture, int size, bool warm) {
        auto render = std::make_unique<PictureRender>(texture, size, size);
        if (warm)
            render->KeepWarm(&m_warm);
        const RenderResult result = Run(*render);
        EXPECT_TRUE(result.Succeeded())
            << texture.GetName() << ": " << result.message.toStdString();
        return render;
    }

    WarmPovRay m_warm;
};

} // namespace

TEST_F(WarmPovRayTest, EachFrameIsThePictureOfARunOfItsOwn) {
    const std::string bumps = "texture { pigment { granite color_map { [0 rgb <1, 0.3, 0>] [1 rgb "
                              "<0, 0.2, 1>] } turbulence 0.4 } normal { bumps 0.5 scale 0.3 } "
                              "finish { phong 0.8 reflection 0.2 } }";
    const std::string glass = "texture { pigment { rgbf <0.9, 1, 0.9, 0.9> } finish { phong 1 } }";
    // The clock is 0 in a frame as in a run of its own; what else tells an animation from a
    // single picture renders on its own.
    const std::string asks = "texture { pigment { rgb <clock_on, clock, 1> } }";
    struct Case {
        std::string name;
        std::string text;
        int shape;
        int size;
        bool antialiasing;
        bool warm; ///< rendered as a frame
        int frame; ///< the frame of the run kept warm after it
    };
    const std::vector<Case> cases = {
        {"Bumps", bumps, 0, 64, false, true, 2},
        {"Glass", glass, 6, 64, false, true, 3}, // the same run
        {"Clock", asks, 0, 64, false, false, 3}, // beside it
        {"Smooth", bumps, 1, 64, true, true, 2}, // another command line: a new run
        {"Larger", glass, 2, 80, true, true, 2},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        m_settings.antialiasing = test.antialiasing;
        m_settings.raysPerPixel = 3;
        const SourceTexture texture = Source(test.name, test.text, test.shape);
        const auto own = Render(texture, test.size, false);
        const auto frame = Render(texture, test.size, true);
        EXPECT_EQ(frame->RanWarm(), test.warm);
        EXPECT_TRUE(HasDetail(frame->Picture()));
        const auto bits = frame->Picture().Bits();
        const auto expected = own->Picture().Bits();
        EXPECT_TRUE(std::equal(bits.begin(), bits.end(), expected.begin(), expected.end()));
        EXPECT_EQ(m_warm.NextFrameNumber(), test.frame);
        EXPECT_TRUE(m_warm.IsRunning());
    }
}

TEST_F(WarmPovRayTest, AFailedFrameEndsTheRunAndEndingLeavesNoPovRayNorFolderBehind) {
    const SourceTexture good = Source("Good", "texture { pigment { rgb <1, 0, 0> } }", 0);
    const SourceTexture bad =
        Source("Bad", "texture { pigment { rgb <1, 0, 0> } finish { } } }", 0);
    Render(good, 48, true);
    ASSERT_TRUE(m_warm.IsRunning());
    EXPECT_EQ(PovRaysRunning(), 1); // waiting for the next frame

    PictureRender failing(bad, 48, 48);
    failing.KeepWarm(&m_warm);
    const RenderResult result = Run(failing);
    EXPECT_EQ(result.status, RenderResult::PovRayFailed);
    EXPECT_TRUE(failing.RanWarm());
    EXPECT_FALSE(m_warm.IsRunning());

    Render(good, 48, true); // a new run
    ASSERT_TRUE(m_warm.IsRunning());
    m_warm.End();
    EXPECT_FALSE(m_warm.IsRunning());
    EXPECT_TRUE(QTest::qWaitFor([] { return PovRaysRunning() == 0; }, 10000));
    EXPECT_TRUE(QDir(m_runner->ScratchFolder())
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                    .isEmpty());
}
