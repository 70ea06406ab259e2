#include "render/povray/povrayrunner.h"

#include "core/bitmap/renderedimage.h"
#include "render/files/fileio.h"
#include "render/povray/picturerender.h"
#include "render/povray/povrayjob.h"
#include "render/povray/povversion.h"
#include "core/model/texture.h"
#include "render/settings/programsettings.h"
#include "core/shapes/customshape.h"
#include "core/texmap/texturemapscene.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <span>

namespace {

constexpr const char* kWriteFailed = "Failed to write %1.";

/// Clears the busy flag however a render ends.
class BusyGuard {
public:
    explicit BusyGuard(bool& busy) : m_busy(busy) { m_busy = true; }
    ~BusyGuard() { m_busy = false; }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    bool& m_busy;
};

RenderResult FileWriteFailure(const QString& path) {
    return RenderResult::Failure(RenderResult::FileFailed, QString::fromUtf8(RenderMessages::AppTitle),
                                 FileErrorMessage(path, true, QString::fromUtf8(kWriteFailed)));
}

/// Text with LF line ends written with CR LF, as the program writes every text file.
QByteArray WithCrLf(const std::string& text) {
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(text.size() + text.size() / 16));
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            bytes += '\r';
        bytes += text[i];
    }
    return bytes;
}

const PreviewShape& FallbackShape() {
    static const CustomShape sphere;
    return sphere;
}

/// The first terminal program found, with the option that makes it run a command.
std::optional<std::pair<QString, QStringList>> FindTerminal() {
    const std::pair<const char*, QStringList> terminals[] = {
        {"x-terminal-emulator", {QStringLiteral("-e")}}, {"xterm", {QStringLiteral("-e")}},
        {"konsole", {QStringLiteral("-e")}},             {"xfce4-terminal", {QStringLiteral("-x")}},
        {"gnome-terminal", {QStringLiteral("--wait"), QStringLiteral("--")}},
    };
    for (const auto& [name, options] : terminals) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return std::pair{path, options};
    }
    return std::nullopt;
}

} // namespace

QString OutputFileName() { return QString::fromLatin1(kOutputFileName); }

PovRayRunner::PovRayRunner(const ProgramSettings& settings, const ShapeList& shapes)
    : m_settings(settings), m_shapes(shapes) {}

QString PovRayRunner::RenderFolder() const {
    const QString folder = m_settings.EffectiveProgramDirectory();
    QDir().mkpath(folder);
    return folder;
}

QString PovRayRunner::JobFolder(int slot) const {
    const QString folder = QDir(RenderFolder()).filePath(QStringLiteral("job-%1").arg(slot));
    QDir().mkpath(folder);
    return folder;
}

PovCommandStyle PovRayRunner::ResolvedStyle(const QString& executable) {
    if (const auto known = m_detectedStyles.find(executable); known != m_detectedStyles.end())
        return known->second;
    const PovCommandStyle style = StyleForVersion(ParsePovVersion(PovVersionOutput(executable).toStdString()));
    m_detectedStyles[executable] = style;
    return style;
}

PovCommand PovRayRunner::Command(const QString& outputFile, int width, int height) {
    PovCommandStyle style = m_settings.CommandStyle();
    if (style == PovCommandStyle::Automatic)
        style = ResolvedStyle(m_settings.EffectivePovExecutable());
    return BuildPovCommand(m_settings.CommandOptions(), style, outputFile.toStdString(), width, height);
}

bool PovRayRunner::TryBeginRender() {
    if (m_busy)
        return false;
    m_busy = true;
    return true;
}

void PovRayRunner::EndRender() { m_busy = false; }

RenderResult PovRayRunner::RunPovRay(const QString& outputFile, int width, int height, bool debugMode,
                                     const QString& caption, RenderProgressSink& sink, const QString& folder) {
    if (m_busy)
        return {RenderResult::Busy, {}, {}};
    BusyGuard busy(m_busy);
    const QString where = folder.isEmpty() ? RenderFolder() : folder;
    const PovCommand command = Command(outputFile, width, height);
    if (debugMode)
        return RunDebug(command, where);

    sink.Begin(caption);
    PovRayJob job(where, command, outputFile, width, height);
    QEventLoop loop;
    QObject::connect(&job, &PovRayJob::finished, &loop, &QEventLoop::quit);
    QObject::connect(&job, &PovRayJob::progressChanged, [&sink](int percent) { sink.Progress(percent); });
    job.Start();
    if (!job.IsFinished()) {
        sink.Started([&job] { job.Stop(); });
        loop.exec();
    }
    sink.Progress(100);
    sink.End();
    return job.Result();
}

RenderResult PovRayRunner::RunDebug(const PovCommand& command, const QString& folder) {
    const QString script = QDir(folder).filePath(QString::fromLatin1(kDebugScriptName));
    QFile file(script);
    const QByteArray text = QByteArray::fromStdString(command.Text() + " +v\r\npause\r\n");
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size() || !file.flush())
        return FileWriteFailure(script);
    file.close();

    // The script keeps the two lines a console user would expect; the shell is given a pause
    // of its own and reads the lines without their carriage returns.
    auto terminal = FindTerminal();
    RenderResult result;
    if (terminal) {
        QProcess process;
        process.setWorkingDirectory(folder);
        QStringList arguments = terminal->second;
        arguments << QStringLiteral("sh") << QStringLiteral("-c")
                  << QStringLiteral("pause() { printf 'Press Enter to continue . . . '; read _; }; "
                                    "eval \"$(tr -d '\\r' < '%1')\"")
                         .arg(QString::fromLatin1(kDebugScriptName));
        process.start(terminal->first, arguments);
        if (process.waitForStarted(10000))
            process.waitForFinished(-1);
        else
            terminal.reset();
    }
    QFile::remove(script);
    if (!terminal)
        return RenderResult::Failure(RenderResult::StartFailed, QString::fromUtf8(RenderMessages::ExecutionErrorTitle),
                                     QString::fromUtf8(RenderMessages::CannotStartDebug));
    return result;
}

RenderResult PovRayRunner::WriteScene(const std::string& textureName, int shapeIndex, const QString& folder,
                                      RenderProgressSink& sink) {
    const QString scenePath = QDir(folder).filePath(QString::fromLatin1(kSceneFileName));
    if (shapeIndex == kTextureMapSceneId)
        return WriteSceneText(TextureMapScene(textureName), folder);

    const PreviewShape* shape = &FallbackShape();
    if (shapeIndex >= 0 && static_cast<std::size_t>(shapeIndex) < m_shapes.size()) {
        shape = m_shapes[static_cast<std::size_t>(shapeIndex)].get();
    } else {
        if (!m_shapes.empty())
            shape = m_shapes.front().get();
        sink.Status(QStringLiteral("There is no preview shape %1 for \"%2\"; it is rendered on shape 0.")
                        .arg(shapeIndex)
                        .arg(QString::fromStdString(textureName)));
    }
    if (shape->LacksInclude())
        sink.Notice(QString::fromUtf8(ShapeMessages::MissingIncludeTitle),
                    QString::fromUtf8(ShapeMessages::MissingInclude));
    // A shape that cannot write its scene says so, and POV-Ray runs on what the file holds.
    if (!shape->WriteScene(scenePath.toStdString(), textureName))
        sink.Notice(QString::fromUtf8(ShapeMessages::WriteErrorTitle), QString::fromUtf8(ShapeMessages::WriteError));
    return {};
}

RenderResult PovRayRunner::WriteSceneText(const std::string& text, const QString& folder) {
    const QString scenePath = QDir(folder).filePath(QString::fromLatin1(kSceneFileName));
    QFile file(scenePath);
    const QByteArray scene = WithCrLf(text);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(scene) != scene.size() || !file.flush())
        return FileWriteFailure(scenePath);
    return {};
}

RenderResult PovRayRunner::RenderScene(int width, int height, const std::string& textureName,
                                       const QString& outputFile, int shapeIndex, const QString& caption,
                                       RenderProgressSink& sink, const QString& folder) {
    if (m_busy)
        return {RenderResult::Busy, {}, {}};
    const QString where = folder.isEmpty() ? RenderFolder() : folder;
    if (RenderResult written = WriteScene(textureName, shapeIndex, where, sink); !written.Succeeded())
        return written;
    return RunPovRay(outputFile, width, height, false, caption, sink, where);
}

RenderResult PovRayRunner::WriteTextureFile(const Texture& texture, const QString& folder) {
    const QString path = QDir(folder).filePath(QString::fromLatin1(kTextureFileName));
    if (!texture.WriteSourceFile(path.toStdString()))
        return FileWriteFailure(path);
    return {};
}

RenderResult PovRayRunner::RenderPicture(const Texture& texture, int width, int height,
                                         const QString& caption, RenderProgressSink& sink, Bitmap& picture) {
    if (m_busy)
        return {RenderResult::Busy, {}, {}};
    PictureRender render(*this, texture, width, height);
    QEventLoop loop;
    QObject::connect(&render, &PictureRender::finished, &loop, &QEventLoop::quit);
    render.Start(caption, sink);
    if (!render.IsFinished())
        loop.exec();
    if (render.Result().Succeeded())
        picture = std::move(render.Picture());
    return render.Result();
}

RenderResult PovRayRunner::UpdateTextureThumbnail(Texture& texture, int width, int height,
                                                  const QString& caption, RenderProgressSink& sink) {
    return RenderPicture(texture, width, height, caption, sink, texture.Thumbnail());
}

RenderResult ReadRenderedPixels(const QString& folder, const QString& outputFile, int width, int height,
                                std::vector<std::uint8_t>& rows) {
    const QString path = QDir(folder).filePath(outputFile);
    FileResult error;
    const auto bytes = ReadWholeFile(path, &error);
    if (!bytes)
        return RenderResult::Failure(RenderResult::ImageFailed, QString::fromUtf8(RenderMessages::AppTitle),
                                     error.message);
    const auto data = std::span(reinterpret_cast<const std::uint8_t*>(bytes->constData()),
                                static_cast<std::size_t>(bytes->size()));
    RenderedImageResult decoded = DecodeRenderedImage(data, width, height);
    if (!decoded.ok)
        return RenderResult::Failure(RenderResult::ImageFailed, QString::fromUtf8(RenderMessages::AppTitle),
                                     QString::fromStdString(decoded.error));
    rows = std::move(decoded.image.rows);
    return {};
}

RenderResult ReadRenderedImage(const QString& folder, const QString& outputFile, int width, int height, Bitmap& target) {
    std::vector<std::uint8_t> rows;
    RenderResult result = ReadRenderedPixels(folder, outputFile, width, height, rows);
    if (result.Succeeded() && !target.SetBits(width, height, rows, false))
        return RenderResult::Failure(RenderResult::ImageFailed, QString::fromUtf8(RenderMessages::AppTitle),
                                     QStringLiteral("The rendered image is damaged."));
    return result;
}
