#include "core/shapes/builtinshapes.h"
#include "testsupport.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

/// Starts POV-Ray on the scene in `folder`, with the folder as working directory and its
/// stderr in povray.err there; returns the process id (-1 when it cannot start).
pid_t StartPovRay(const std::filesystem::path& folder) {
    const std::string errorPath = (folder / "povray.err").string();
    const pid_t child = fork();
    if (child == 0) {
        const int err = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = open("/dev/null", O_RDWR);
        if (err < 0 || null < 0 || chdir(folder.c_str()) != 0)
            _exit(126);
        dup2(null, 0);
        dup2(null, 1);
        dup2(err, 2);
        execlp("povray", "povray", "+itemppv$$.!!!", "+otemp.tga", "+ft", "-d", "-a", "+w48",
               "+h48", "-p", static_cast<char*>(nullptr));
        _exit(127);
    }
    return child;
}

/// Waits for a POV-Ray started by StartPovRay; its exit status, -1 when it did not exit normally.
int FinishPovRay(pid_t child) {
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

/// True when the 48x48 24-bit Targa image has a pixel of the orange test texture, lit or shaded:
/// the textured object is in view and the texture reached it.
bool ShowsTheTestTexture(const std::vector<std::uint8_t>& tga) {
    const std::size_t start = 18u + tga[0];
    for (std::size_t at = start; at + 3 <= tga.size() && at < start + 48 * 48 * 3; at += 3) {
        const int b = tga[at], g = tga[at + 1], r = tga[at + 2];
        if (r > 60 && g * 4 > r && g * 4 < r * 3 && b < g)
            return true;
    }
    return false;
}

} // namespace

TEST(ShapeRender, EveryBuiltinSceneRendersWithPovRay) {
    // The scenes carry no #version and no assumed_gamma, which POV-Ray 3.7 always remarks on;
    // any other warning (deprecated syntax, say) is a fault of the scene.
    const std::string expectedWarnings[] = {
        "Parse Warning: assumed_gamma not specified, so gamma_correction is turned off",
        "Parse Warning: This scene did not contain a #version directive."};
    std::string pattern =
        (std::filesystem::temp_directory_path() / "velvane-render-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const std::filesystem::path root = pattern;
    const auto shapes = BuiltinShapes();
    // POV-Ray spends most of a tiny render starting up, so all scenes render at once.
    std::vector<pid_t> renders;
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        const auto folder = root / std::to_string(i);
        std::filesystem::create_directory(folder);
        std::ofstream(folder / "temptx$$.!!!", std::ios::binary)
            << "#declare Test_Texture = texture { pigment { colour rgb<1,0.5,0.2> } }\r\n";
        std::ofstream(folder / "temppv$$.!!!", std::ios::binary)
            << shapes[i]->GetSceneSource("Test Texture");
        renders.push_back(StartPovRay(folder));
    }
    std::vector<int> statuses;
    for (pid_t render : renders)
        statuses.push_back(FinishPovRay(render));
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        SCOPED_TRACE(shapes[i]->GetName());
        const auto folder = root / std::to_string(i);
        const std::string errors = ReadFileText((folder / "povray.err").string());
        EXPECT_EQ(statuses[i], 0) << errors;
        EXPECT_EQ(errors.find("Parse Error"), std::string::npos) << errors;
        std::istringstream lines(errors);
        for (std::string line; std::getline(lines, line);) {
            if (line.find("Warning:") != std::string::npos) {
                EXPECT_TRUE(line.rfind(expectedWarnings[0], 0) == 0 ||
                            line.rfind(expectedWarnings[1], 0) == 0)
                    << line;
            }
        }
        const std::string imagePath = (folder / "temp.tga").string();
        ASSERT_TRUE(std::filesystem::exists(imagePath));
        const auto image = ReadFileBytes(imagePath);
        ASSERT_GE(image.size(), 18u + 48 * 48 * 3);
        EXPECT_TRUE(ShowsTheTestTexture(image));
    }
    std::filesystem::remove_all(root);
}
