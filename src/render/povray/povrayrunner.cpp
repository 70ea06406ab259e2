#include "render/povray/povrayrunner.h"

#include "core/bitmap/renderedimage.h"
#include "core/model/texture.h"
#include "core/shapes/customshape.h"
#include "core/shapes/sceneheader.h"
#include "core/texmap/texturemapscene.h"
#include "render/files/fileio.h"
#include "render/povray/namedfiles.h"
#include "render/povray/povrayjob.h"
#include "render/povray/povversion.h"
#include "render/povray/renderedpicture.h"
#include "render/povray/scratcharea.h"
#include "render/settings/programsettings.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <limits>
#include <span>

namespace {

constexpr const char* kWriteFailed = "Failed to write %1.";

RenderResult FileWriteFailure(const FileResult& written) {
    return RenderResult::Failure(RenderResult::FileFailed,
                                 QString::fromUtf8(RenderMessages::AppTitle), written.message);
}

/// Scratch files: written through the one file road, but without waiting for the disk, since
/// nothing is lost when they are.
RenderResult WriteScratchFile(const QString& path, const QByteArray& bytes) {
    WriteOptions options;
    options.sync = false;
    const FileResult written =
        WriteFileAtomically(path, bytes, QString::fromUtf8(kWriteFailed), options);
    return written ? RenderResult() : FileWriteFailure(written);
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

/// A terminal program and the options that make it run the command that follows them.
using Terminal = std::pair<QString, QStringList>;

/// The options a terminal takes before the command it runs: "-e" unless it is known otherwise.
QStringList TerminalOptions(const QString& program) {
    const QString name = QFileInfo(program).fileName();
    if (name == QLatin1String("xfce4-terminal"))
        return {QStringLiteral("-x")};
    if (name == QLatin1String("gnome-terminal"))
        return {QStringLiteral("--wait"), QStringLiteral("--")};
    return {QStringLiteral("-e")};
}

/// The terminal Debug Mode runs POV-Ray in: the one $TERMINAL names, else the first of the
/// usual ones found on the PATH.
std::optional<Terminal> FindTerminal() {
    QStringList candidates;
    if (const QString chosen = qEnvironmentVariable("TERMINAL").trimmed(); !chosen.isEmpty())
        candidates << chosen;
    candidates << QStringLiteral("x-terminal-emulator") << QStringLiteral("xterm")
               << QStringLiteral("konsole") << QStringLiteral("xfce4-terminal")
               << QStringLiteral("gnome-terminal");
    for (const QString& candidate : candidates) {
        const QString path = QStandardPaths::findExecutable(candidate);
        if (!path.isEmpty())
            return Terminal{path, TerminalOptions(path)};
    }
    return std::nullopt;
}

} // namespace

int TimeLimitFor(int limit, int width, int height) {
    if (limit <= 0)
        return 0;
    const long long pixels = static_cast<long long>(std::max(width, 1)) * std::max(height, 1);
    const long long areas = (pixels + kTimeLimitPixels - 1) / kTimeLimitPixels;
    return static_cast<int>(std::min<long long>(limit * areas, std::numeric_limits<int>::max()));
}

QString OutputFileName() {
    return QString::fromLatin1(kOutputFileName);
}

PovRayRunner::PovRayRunner(const ProgramSettings& settings, const ShapeList& shapes)
    : m_settings(settings), m_shapes(shapes) {}

PovRayRunner::~PovRayRunner() {
    // Renders let go while POV-Ray ran left it killed; it has ended before its folder goes.
    PovRayJob::ReapAbandoned();
}

QString PovRayRunner::ProgramFolder() const {
    return m_settings.EffectiveProgramDirectory();
}

RenderResult PovRayRunner::NewJobFolder(QString& folder) {
    if (!m_scratch)
        m_scratch = std::make_unique<ScratchArea>(ScratchArea::DefaultBases(ProgramFolder()));
    QString problem;
    if (!m_scratch->NewJobFolder(folder, problem))
        return RenderResult::Failure(RenderResult::FileFailed,
                                     QString::fromUtf8(RenderMessages::AppTitle), problem);
    if (const QString notice = m_scratch->TakeNotice(); !notice.isEmpty()) {
        if (m_noticeHandler)
            m_noticeHandler(QString::fromUtf8(RenderMessages::AppTitle), notice);
        else
            qWarning("%s", qPrintable(notice));
    }
    return {};
}

void PovRayRunner::RemoveJobFolder(const QString& folder) {
    ScratchArea::RemoveTree(folder);
}

QString PovRayRunner::ScratchFolder() const {
    return m_scratch ? m_scratch->Path() : QString();
}

void PovRayRunner::SetNoticeHandler(
    std::function<void(const QString& title, const QString& text)> handler) {
    m_noticeHandler = std::move(handler);
}

std::unique_ptr<PovRayJob> PovRayRunner::MakeJob(const QString& folder, const PovCommand& command,
                                                 const QString& outputFile, int width, int height,
                                                 const QString& subject) const {
    auto job = std::make_unique<PovRayJob>(folder, command, outputFile, width, height);
    job->SetSubject(subject);
    job->SetTimeLimit(TimeLimitFor(m_settings.renderTimeLimit, width, height));
    return job;
}

QString PovRayRunner::ExecutableToAsk() const {
    if (m_settings.CommandStyle() != PovCommandStyle::Automatic)
        return {};
    const QString executable = m_settings.EffectivePovExecutable();
    return m_detectedStyles.count(executable) ? QString() : executable;
}

void PovRayRunner::LearnVersion(const QString& executable, const QString& output) {
    m_detectedStyles[executable] = StyleForVersion(ParsePovVersion(output.toStdString()));
}

PovCommandStyle PovRayRunner::ResolvedStyle() const {
    const PovCommandStyle style = m_settings.CommandStyle();
    if (style != PovCommandStyle::Automatic)
        return style;
    const auto known = m_detectedStyles.find(m_settings.EffectivePovExecutable());
    return known != m_detectedStyles.end() ? known->second : StyleForVersion(std::nullopt);
}

bool PovRayRunner::ExecutableIsProgram() const {
    QString path = m_settings.EffectivePovExecutable();
    if (!path.contains(QLatin1Char('/')))
        path = QStandardPaths::findExecutable(path);
    QFile file(path);
    return !path.isEmpty() && file.open(QIODevice::ReadOnly) &&
           file.read(4) == "\x7f"
                           "ELF";
}

PovCommand PovRayRunner::Command(const QString& outputFile, int width, int height,
                                 int frames) const {
    return BuildPovCommand(m_settings.CommandOptions(), ResolvedStyle(), outputFile.toStdString(),
                           width, height, frames);
}

std::unique_ptr<PovRayJob> PovRayRunner::MakeDebugJob(const QString& folder,
                                                      const PovCommand& command,
                                                      RenderResult& result) const {
    const QString script = QDir(folder).filePath(QString::fromLatin1(kDebugScriptName));
    const QByteArray text = QByteArray::fromStdString(command.Text() + " +v\r\npause\r\n");
    if (result = WriteScratchFile(script, text); !result.Succeeded())
        return nullptr;
    const std::optional<Terminal> terminal = FindTerminal();
    if (!terminal) {
        result = RenderResult::Failure(RenderResult::StartFailed,
                                       QString::fromUtf8(RenderMessages::ExecutionErrorTitle),
                                       QString::fromUtf8(RenderMessages::NoTerminal));
        return nullptr;
    }
    // The script keeps the two lines a console user would expect. The terminal shows its
    // command line, then runs POV-Ray with the words of that command handed over one by one
    // (so "$$" and "!!!" in the file names reach it as they are), verbose, and pauses.
    PovCommand shown;
    shown.executable = terminal->first.toStdString();
    for (const QString& option : terminal->second)
        shown.arguments.push_back(option.toStdString());
    shown.arguments.insert(
        shown.arguments.end(),
        {"sh", "-c",
         QStringLiteral(R"(IFS= read -r line < '%1'; printf '%s\n' "${line%?}"; "$@" +v; )"
                        R"(printf 'Press Enter to continue . . . '; read _)")
             .arg(QString::fromLatin1(kDebugScriptName))
             .toStdString(),
         "sh", command.executable});
    shown.arguments.insert(shown.arguments.end(), command.arguments.begin(),
                           command.arguments.end());
    auto job = std::make_unique<PovRayJob>(folder, shown, OutputFileName(), 1, 1);
    job->SetDebugMode(true);
    result = {};
    return job;
}

std::string PovRayRunner::ShapeScene(const std::string& textureName, int shapeIndex,
                                     RenderRemarks& remarks, bool material,
                                     std::optional<SceneGamma> declared) const {
    const PreviewShape* shape = &FallbackShape();
    if (shapeIndex >= 0 && static_cast<std::size_t>(shapeIndex) < m_shapes.size()) {
        shape = m_shapes[static_cast<std::size_t>(shapeIndex)].get();
    } else {
        if (!m_shapes.empty())
            shape = m_shapes.front().get();
        remarks.statuses
            << (QStringLiteral(
                    "There is no preview shape %1 for \"%2\"; it is rendered on shape 0.")
                    .arg(shapeIndex)
                    .arg(QString::fromStdString(textureName)));
    }
    if (shape->LacksInclude())
        remarks.notices.push_back({QString::fromUtf8(ShapeMessages::MissingIncludeTitle),
                                   QString::fromUtf8(ShapeMessages::MissingInclude)});
    std::string scene =
        InSceneGamma(shape->GetSceneSource(textureName), declared.value_or(m_settings.sceneGamma));
    return material ? AsMaterialScene(std::move(scene), textureName) : scene;
}

RenderResult PovRayRunner::WriteScene(const std::string& textureName, int shapeIndex,
                                      const QString& folder, RenderRemarks& remarks, bool material,
                                      std::optional<SceneGamma> declared) const {
    const QString scenePath = QDir(folder).filePath(QString::fromLatin1(kSceneFileName));
    if (shapeIndex == kTextureMapSceneId) {
        std::string scene = TextureMapScene(textureName);
        return WriteScratchFile(
            scenePath, WithCrLf(material ? AsMaterialScene(std::move(scene), textureName) : scene));
    }
    // A scene that cannot be written is reported, and nothing is rendered: POV-Ray must not
    // run on whatever another scene left in the file.
    RenderResult written =
        WriteScratchFile(scenePath, QByteArray::fromStdString(ShapeScene(
                                        textureName, shapeIndex, remarks, material, declared)));
    if (!written.Succeeded())
        remarks.notices.push_back({QString::fromUtf8(ShapeMessages::WriteErrorTitle),
                                   QString::fromUtf8(ShapeMessages::WriteError)});
    return written;
}

RenderResult PovRayRunner::WriteFrameScenes(const std::vector<const RenderedPicture*>& pictures,
                                            const QString& folder, RenderRemarks& remarks) const {
    const QDir dir(folder);
    const std::string included = std::string("\"") + kTextureFileName + "\"";
    std::string frames = "#switch (frame_number)\r\n";
    for (std::size_t k = 0; k < pictures.size(); ++k) {
        const RenderedPicture& picture = *pictures[k];
        if (const QString problem = NamedFileProblem(picture.Source(), picture.Name());
            !problem.isEmpty())
            return RenderResult::Failure(RenderResult::PovRayFailed,
                                         QString::fromUtf8(RenderMessages::AppTitle), problem);
        const std::string number = std::to_string(k + 1);
        const std::string textureFile = "tx" + number + ".inc";
        const std::string sceneFile = "pv" + number + ".inc";
        std::string scene = ShapeScene(picture.Name(), picture.Shape(), remarks,
                                       picture.AsMaterial(), picture.DeclaredGamma());
        for (std::size_t at = scene.find(included); at != std::string::npos;
             at = scene.find(included, at))
            scene.replace(at, included.size(), "\"" + textureFile + "\"");
        for (const auto& [file, text] :
             {std::pair{textureFile, picture.Source()}, std::pair{sceneFile, scene}})
            if (RenderResult written = WriteScratchFile(dir.filePath(QString::fromStdString(file)),
                                                        QByteArray::fromStdString(text));
                !written.Succeeded())
                return written;
        frames += "#case (";
        frames += number;
        frames += ")\r\n#include \"";
        frames += sceneFile;
        frames += "\"\r\n#break\r\n";
    }
    frames += "#end\r\n";
    return WriteScratchFile(dir.filePath(QString::fromLatin1(kSceneFileName)),
                            QByteArray::fromStdString(frames));
}

RenderResult PovRayRunner::WriteSceneText(const std::string& text, const QString& folder) const {
    return WriteScratchFile(QDir(folder).filePath(QString::fromLatin1(kSceneFileName)),
                            WithCrLf(text));
}

RenderResult PovRayRunner::WriteTextureFile(const Texture& texture, const QString& folder) const {
    if (const std::string refusal = texture.GetRefusal(); !refusal.empty())
        return RefusedRender(refusal);
    return WriteTextureFile(texture.GetRenderSource(), folder, texture.GetName());
}

QString PovRayRunner::NamedFileProblem(const std::string& declaration,
                                       const std::string& textureName) const {
    if (m_searchFolders.isEmpty() || m_searchFoldersFor != ProgramFolder()) {
        m_searchFoldersFor = ProgramFolder();
        m_searchFolders = PovRaySearchFolders(m_searchFoldersFor);
    }
    return ::NamedFileProblem(declaration, textureName, m_searchFolders);
}

RenderResult PovRayRunner::WriteTextureFile(const std::string& declaration, const QString& folder,
                                            const std::string& textureName) const {
    if (const QString problem = NamedFileProblem(declaration, textureName); !problem.isEmpty())
        return RenderResult::Failure(RenderResult::PovRayFailed,
                                     QString::fromUtf8(RenderMessages::AppTitle), problem);
    // The include file holds the text exactly as GetSource gives it, CR LF line ends included.
    const QString path = QDir(folder).filePath(QString::fromLatin1(kTextureFileName));
    return WriteScratchFile(path, QByteArray::fromStdString(declaration));
}

RenderResult PovRayRunner::WriteTextureScene(const std::string& declaration,
                                             const std::string& textureName, int shapeIndex,
                                             const QString& folder, RenderRemarks& remarks,
                                             bool material,
                                             std::optional<SceneGamma> declared) const {
    RenderResult written = WriteTextureFile(declaration, folder, textureName);
    if (written.Succeeded())
        written = WriteScene(textureName, shapeIndex, folder, remarks, material, declared);
    return written;
}

RenderResult NamingTexture(RenderResult result, const std::string& textureName) {
    if ((result.status == RenderResult::FileFailed || result.status == RenderResult::ImageFailed) &&
        !result.message.isEmpty())
        result.message =
            QStringLiteral("\"%1\": %2").arg(QString::fromStdString(textureName), result.message);
    return result;
}

RenderResult ReadRenderedPixels(const QString& folder, const QString& outputFile, int width,
                                int height, std::vector<std::uint8_t>& rows) {
    const QString path = QDir(folder).filePath(outputFile);
    FileResult error;
    const auto bytes = ReadWholeFile(path, &error);
    if (!bytes)
        return RenderResult::Failure(RenderResult::ImageFailed,
                                     QString::fromUtf8(RenderMessages::AppTitle), error.message);
    const auto data = std::span(reinterpret_cast<const std::uint8_t*>(bytes->constData()),
                                static_cast<std::size_t>(bytes->size()));
    RenderedImageResult decoded = DecodeRenderedImage(data, width, height);
    if (!decoded.ok)
        return RenderResult::Failure(RenderResult::ImageFailed,
                                     QString::fromUtf8(RenderMessages::AppTitle),
                                     QString::fromStdString(decoded.error));
    rows = std::move(decoded.image.rows);
    return {};
}

RenderResult ReadRenderedImage(const QString& folder, const QString& outputFile, int width,
                               int height, Bitmap& target) {
    std::vector<std::uint8_t> rows;
    RenderResult result = ReadRenderedPixels(folder, outputFile, width, height, rows);
    if (result.Succeeded() && !target.SetBits(width, height, rows, false))
        return RenderResult::Failure(RenderResult::ImageFailed,
                                     QString::fromUtf8(RenderMessages::AppTitle),
                                     QStringLiteral("The rendered image is damaged."));
    return result;
}

RenderResult RefusedRender(const std::string& refusal) {
    return RenderResult::Failure(RenderResult::PovRayFailed,
                                 QStringLiteral("Source Texture Refused"),
                                 QString::fromStdString(refusal));
}

std::string AsMaterialScene(std::string scene, const std::string& textureName) {
    const std::string identifier = DeclaredIdentifier(textureName);
    const std::string from = "texture {" + identifier + "}";
    const std::string to = "material {" + identifier + "}";
    for (std::size_t at = scene.find(from); at != std::string::npos;
         at = scene.find(from, at + to.size()))
        scene.replace(at, from.size(), to);
    return scene;
}
