#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// Which command-line dialect POV-Ray is given. Older builds take "+b1" for a small output
/// buffer and write Targa by default; POV-Ray 3.7 refuses "+b1", refuses antialiasing
/// thresholds of 1.0 and more, and writes PNG unless told "+ft".
enum class PovCommandStyle {
    Automatic = 0, ///< ask the executable for its version
    Classic = 1,
    Pov37 = 2,
};

/// The settings a render's command line is built from.
struct PovCommandOptions {
    std::string executable;
    bool antialiasing = false;
    float threshold = 1.5f;
    int raysPerPixel = 2;
    /// The folder POV-Ray looks in for files a scene names without a folder (image maps,
    /// includes), after the folder it runs in; none when empty.
    std::string libraryPath;
};

/// A POV-Ray invocation: the executable and its options. Text() is the command line as one
/// string, the executable first and unquoted.
struct PovCommand {
    std::string executable;
    std::vector<std::string> arguments;

    std::string Text() const;
};

/// The scene file every render reads.
inline constexpr const char* kSceneFileName = "temppv$$.!!!";
/// The include file holding the texture's declaration.
inline constexpr const char* kTextureFileName = "temptx$$.!!!";
/// The image POV-Ray writes.
inline constexpr const char* kOutputFileName = "temp.tga";
/// The debug-mode script.
inline constexpr const char* kDebugScriptName = "tempex!!.bat";

/// The command line for a render of width x height into `outputFile`, in a resolved style
/// (Classic or Pov37; Automatic is treated as Pov37). A library path comes last, as "+L" and
/// the folder (in double quotes when it holds a blank); a folder with a double quote in its
/// name cannot be given and is left out. With `frames` above 1 the scene is rendered as frames
/// 1 to `frames` of an animation, each into the output file's name with the frame's number.
PovCommand BuildPovCommand(const PovCommandOptions& options, PovCommandStyle style,
                           const std::string& outputFile, int width, int height, int frames = 1);

/// POV-Ray's version as major and minor numbers, read from the text "POV-Ray 3.7.0.10 ..." or
/// "Persistence of Vision(tm) Ray Tracer Version 3.6.1 ..." that it prints.
struct PovVersion {
    int major = 0;
    int minor = 0;
};
std::optional<PovVersion> ParsePovVersion(std::string_view output);
/// The style for a version: Classic before 3.7, Pov37 from 3.7 on and when it is unknown.
PovCommandStyle StyleForVersion(const std::optional<PovVersion>& version);
