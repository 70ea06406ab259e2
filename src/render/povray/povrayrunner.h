#pragma once

#include "core/model/scenegamma.h"
#include "core/povray/povcommand.h"
#include "core/shapes/shapelist.h"
#include "render/povray/renderresult.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class Bitmap;
class PovRayJob;
class RenderedPicture;
class ScratchArea;
class Texture;
struct ProgramSettings;

/// The one road to POV-Ray: it makes the job folders, writes the files POV-Ray reads, builds
/// the command line from the settings and makes the POV-Ray runs; the renders themselves are
/// objects that wait their turn in the render queue (see QueuedRender, RenderQueue). Every
/// render runs in a scratch folder of its own, made for that job under a scratch area that
/// belongs to this runner alone (see ScratchArea), so no other render of this or another
/// process or user can touch its files; the texture's include file, the scene and the image
/// have fixed names there. File names in scenes without a folder (image maps, includes) are
/// looked up in the program directory after the job's folder.
class PovRayRunner {
public:
    PovRayRunner(const ProgramSettings& settings, const ShapeList& shapes);
    /// Removes the scratch area, once the POV-Ray runs that were let go have ended.
    ~PovRayRunner();
    PovRayRunner(const PovRayRunner&) = delete;
    PovRayRunner& operator=(const PovRayRunner&) = delete;

    /// The folder relative file names of scenes are resolved against: the program directory.
    QString ProgramFolder() const;
    /// Makes a new, empty folder for one render job in `folder`; it is removed with
    /// RemoveJobFolder, or with the runner at the latest.
    RenderResult NewJobFolder(QString& folder);
    /// Removes a job folder and everything in it, never following a symbolic link.
    static void RemoveJobFolder(const QString& folder);
    /// The folder that holds this runner's job folders; empty before the first job.
    QString ScratchFolder() const;
    /// Who is told when a scratch folder had to be refused and another is used (the message
    /// names both and why); without one it goes to the log.
    void SetNoticeHandler(std::function<void(const QString& title, const QString& text)> handler);

    /// The POV-Ray program whose version must be asked before command lines can be built in
    /// the style the settings ask for (the automatic style, for a program not asked yet);
    /// empty when none.
    QString ExecutableToAsk() const;
    /// What `executable --version` answered (empty when it did not): its command lines take
    /// the style of that version from now on.
    void LearnVersion(const QString& executable, const QString& output);
    /// The command line for a render into `outputFile`, in the style the settings ask for (the
    /// newest when the version of a program is not known).
    PovCommand Command(const QString& outputFile, int width, int height, int frames = 1) const;
    /// A POV-Ray run of `command` in `folder` with the settings' time limit for its size (see
    /// TimeLimitFor), naming `subject`
    /// (the texture) in its messages.
    std::unique_ptr<PovRayJob> MakeJob(const QString& folder, const PovCommand& command,
                                       const QString& outputFile, int width, int height,
                                       const QString& subject) const;
    /// The run of `command` in debug mode: in a terminal, verbose, waiting for a key before it
    /// ends. Writes the debug script into `folder`; null, with `result` saying why, when the
    /// script cannot be written or there is no terminal.
    std::unique_ptr<PovRayJob> MakeDebugJob(const QString& folder, const PovCommand& command,
                                            RenderResult& result) const;

    /// Writes the scene for the texture named `textureName` on preview shape `shapeIndex` (or
    /// the texture-map plane for its scene id) into `folder`; warnings about the scene go to
    /// `remarks`. With `material` the shape takes it as `material { NAME }`. A shape's scene is
    /// in the scene gamma `declared`, or the settings' when unset (see InSceneGamma).
    RenderResult WriteScene(const std::string& textureName, int shapeIndex, const QString& folder,
                            RenderRemarks& remarks, bool material = false,
                            std::optional<SceneGamma> declared = std::nullopt) const;
    /// Writes `scene` as the scene file in `folder`, with CR LF line ends (a scene written by
    /// hand, as the shape editor test-renders it).
    RenderResult WriteSceneText(const std::string& scene, const QString& folder) const;
    /// Writes the texture's include file into `folder`: its declaration (GetRenderSource),
    /// exactly as given; a refused texture fails with why.
    RenderResult WriteTextureFile(const Texture& texture, const QString& folder) const;
    /// The same for a declaration of the texture named `textureName`; it fails, naming the
    /// file, when a file it names is no regular file of a bounded size (see NamedFileProblem).
    RenderResult WriteTextureFile(const std::string& declaration, const QString& folder,
                                  const std::string& textureName = {}) const;
    /// Why the texture may not be rendered for a file its declaration names, as POV-Ray would
    /// find it; empty when it may.
    QString NamedFileProblem(const std::string& declaration, const std::string& textureName) const;
    /// Both files of a texture's render into `folder`: its include file (`declaration`) and the
    /// scene that shows it, named `textureName`, on shape `shapeIndex`.
    RenderResult WriteTextureScene(const std::string& declaration, const std::string& textureName,
                                   int shapeIndex, const QString& folder, RenderRemarks& remarks,
                                   bool material = false,
                                   std::optional<SceneGamma> declared = std::nullopt) const;
    /// The files of one run that renders `pictures` as its frames 1, 2, ... into `folder`: each
    /// texture in an include file of its own, each shape's scene with that file, and the scene
    /// that picks frame_number's. A frame renders as the texture's own run would.
    RenderResult WriteFrameScenes(const std::vector<const RenderedPicture*>& pictures,
                                  const QString& folder, RenderRemarks& remarks) const;

    /// The command line style in use: the settings', or the detected one for the automatic.
    PovCommandStyle ResolvedStyle() const;
    /// Whether the POV-Ray of the settings is a program itself, not a script that starts one.
    bool ExecutableIsProgram() const;

private:
    /// The scene of the texture named `textureName` on preview shape `shapeIndex` in the scene
    /// gamma `declared` or the settings', with the notices a scene of that shape calls for.
    std::string ShapeScene(const std::string& textureName, int shapeIndex, RenderRemarks& remarks,
                           bool material, std::optional<SceneGamma> declared) const;

    const ProgramSettings& m_settings;
    const ShapeList& m_shapes;
    std::unique_ptr<ScratchArea> m_scratch;
    std::function<void(const QString&, const QString&)> m_noticeHandler;
    std::map<QString, PovCommandStyle> m_detectedStyles;
    mutable QString m_searchFoldersFor;
    mutable QStringList m_searchFolders;
};

/// `result` with the texture named in its message: "Red: ..." for a picture that could not
/// be read or a file that could not be written (POV-Ray's own failures name it already).
RenderResult NamingTexture(RenderResult result, const std::string& textureName);

/// The failure of a render that may not run: the texture is a refused source texture.
RenderResult RefusedRender(const std::string& refusal);

/// The scene with each `texture {NAME}` made `material {NAME}`, so a material brings its
/// interior along.
std::string AsMaterialScene(std::string scene, const std::string& textureName);

/// Reads the picture POV-Ray wrote to `outputFile` in `folder` into `target`, which must be
/// width x height; on failure `target` is unchanged and the result says why.
RenderResult ReadRenderedImage(const QString& folder, const QString& outputFile, int width,
                               int height, Bitmap& target);
/// The same picture as packed rows, top row first, 3 bytes per pixel blue, green, red.
RenderResult ReadRenderedPixels(const QString& folder, const QString& outputFile, int width,
                                int height, std::vector<std::uint8_t>& rows);

/// The seconds a render of width x height may take under the time limit `limit` (0: none):
/// the limit for each started area of kTimeLimitPixels.
int TimeLimitFor(int limit, int width, int height);

/// The output file every render writes, "temp.tga".
QString OutputFileName();
