#pragma once

#include "core/povray/povcommand.h"
#include "core/shapes/shapelist.h"
#include "render/povray/renderprogress.h"
#include "render/povray/renderresult.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class Bitmap;
class PovRayJob;
class ScratchArea;
class Texture;
struct ProgramSettings;

/// The one road to POV-Ray. Every render (a single picture, each job of a batch, a texture
/// map) runs in a scratch folder of its own, made for that job under a scratch area that
/// belongs to this runner alone (see ScratchArea), so no other render of this or another
/// process or user can touch its files; the texture's include file, the scene and the image
/// have fixed names there. File
/// names in scenes without a folder (image maps, includes) are looked up in the program
/// directory after the job's folder. Only one render runs at a time; a render asked for while
/// one runs returns Busy at once.
class PovRayRunner {
public:
    PovRayRunner(const ProgramSettings& settings, const ShapeList& shapes);
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
    bool IsBusy() const { return m_busy; }

    /// The command line for a render into `outputFile`, in the style the settings ask for
    /// (asking the executable for its version once per path when the style is automatic).
    PovCommand Command(const QString& outputFile, int width, int height);
    /// A POV-Ray run of `command` in `folder` with the settings' time limit, naming `subject`
    /// (the texture) in its messages.
    std::unique_ptr<PovRayJob> MakeJob(const QString& folder, const PovCommand& command,
                                       const QString& outputFile, int width, int height,
                                       const QString& subject) const;

    /// Runs POV-Ray on the scene already written in `folder`, reporting progress to `sink`
    /// while the events of the program go on being handled. In debug mode the command runs
    /// visibly in a terminal, verbose, and waits for a key.
    RenderResult RunPovRay(const QString& outputFile, int width, int height, bool debugMode,
                           const QString& caption, RenderProgressSink& sink, const QString& folder,
                           const QString& subject = QString());
    /// Writes the scene for the texture named `textureName` on preview shape `shapeIndex`
    /// (or the texture-map plane for its scene id) into `folder`, then runs POV-Ray there.
    RenderResult RenderScene(int width, int height, const std::string& textureName,
                             const QString& outputFile, int shapeIndex, const QString& caption,
                             RenderProgressSink& sink, const QString& folder);
    /// Writes only the scene file, with the same rules as RenderScene.
    RenderResult WriteScene(const std::string& textureName, int shapeIndex, const QString& folder,
                            RenderProgressSink& sink);
    /// Writes `scene` as the scene file in `folder`, with CR LF line ends (a scene written by
    /// hand, as the shape editor test-renders it).
    RenderResult WriteSceneText(const std::string& scene, const QString& folder);
    /// Writes the texture's include file into `folder`.
    RenderResult WriteTextureFile(const Texture& texture, const QString& folder);
    /// Renders the texture at width x height on its preview shape into `picture`, which is left
    /// as it was when anything fails.
    RenderResult RenderPicture(const Texture& texture, int width, int height,
                               const QString& caption, RenderProgressSink& sink, Bitmap& picture);
    /// Renders the texture at width x height into its thumbnail; the thumbnail keeps its old
    /// picture when anything fails.
    RenderResult UpdateTextureThumbnail(Texture& texture, int width, int height,
                                        const QString& caption, RenderProgressSink& sink);

    /// Marks a render as running for work that drives POV-Ray itself (side-by-side batches).
    bool TryBeginRender();
    void EndRender();

private:
    PovCommandStyle ResolvedStyle(const QString& executable);
    RenderResult RunDebug(const PovCommand& command, const QString& folder);

    const ProgramSettings& m_settings;
    const ShapeList& m_shapes;
    std::unique_ptr<ScratchArea> m_scratch;
    std::function<void(const QString&, const QString&)> m_noticeHandler;
    bool m_busy = false;
    std::map<QString, PovCommandStyle> m_detectedStyles;
};

/// `result` with the texture named in its message: "Red: ..." for a picture that could not
/// be read or a file that could not be written (POV-Ray's own failures name it already).
RenderResult NamingTexture(RenderResult result, const std::string& textureName);

/// Reads the picture POV-Ray wrote to `outputFile` in `folder` into `target`, which must be
/// width x height; on failure `target` is unchanged and the result says why.
RenderResult ReadRenderedImage(const QString& folder, const QString& outputFile, int width,
                               int height, Bitmap& target);
/// The same picture as packed rows, top row first, 3 bytes per pixel blue, green, red.
RenderResult ReadRenderedPixels(const QString& folder, const QString& outputFile, int width,
                                int height, std::vector<std::uint8_t>& rows);

/// The output file every render writes, "temp.tga".
QString OutputFileName();
