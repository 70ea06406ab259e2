#include "cli/catalogcommands.h"

#include "core/catalog/catalog.h"
#include "core/catalog/catalogdump.h"
#include "core/catalog/exportsource.h"
#include "core/model/texture.h"
#include "core/text/textcodec.h"
#include "render/files/catalogfile.h"
#include "render/files/fileio.h"

#include <QFileInfo>
#include <cstdio>
#include <numeric>
#include <string>

namespace {

void WriteStdout(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
}

SourceFlags FlagsFromOptions(CommandLine& args) {
    SourceFlags flags = SourceFlag::Declare;
    if (args.TakeFlag(QStringLiteral("--no-finish")))
        flags |= SourceFlag::NoFinish;
    if (args.TakeFlag(QStringLiteral("--no-normal")))
        flags |= SourceFlag::NoNormal;
    return flags;
}

} // namespace

FileStamp LoadCatalogOrFail(const QString& path, Catalog& catalog) {
    std::size_t unread = 0;
    const FileResult result = OpenCatalogFile(path, catalog, &unread);
    if (!result)
        throw CommandFailure(result.message.toStdString());
    if (unread > 0)
        std::fprintf(
            stderr,
            "Note: %s holds %zu more bytes after the end of the catalog; they were ignored.\n",
            path.toLocal8Bit().constData(), unread);
    return result.stamp;
}

std::string TextureCount(long long count) {
    return std::to_string(count) + (count == 1 ? " texture" : " textures");
}

std::string EscapedForLine(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    const auto hex = [](char32_t value, int digits) {
        std::string out;
        for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
            out += kHex[(value >> shift) & 0xF];
        return out;
    };
    std::string escaped;
    escaped.reserve(text.size());
    for (const char32_t c : DecodeUtf8(text)) {
        switch (c) {
        case U'\\':
            escaped += "\\\\";
            break;
        case U'\t':
            escaped += "\\t";
            break;
        case U'\n':
            escaped += "\\n";
            break;
        case U'\r':
            escaped += "\\r";
            break;
        default:
            if (c < 0x20 || c == 0x7F)
                escaped += "\\x" + hex(c, 2);
            // C1 controls (some terminals act on them) and the bidirectional overrides and
            // isolates, which would show the rest of the line reordered.
            else if ((c >= 0x80 && c <= 0x9F) || (c >= 0x202A && c <= 0x202E) ||
                     (c >= 0x2066 && c <= 0x2069))
                escaped += "\\u" + hex(c, 4);
            else
                escaped += EncodeUtf8(std::u32string_view(&c, 1));
        }
    }
    return escaped;
}

std::vector<int> ResolveIndices(const Catalog& catalog, std::vector<int> indices) {
    if (indices.empty()) {
        indices.resize(static_cast<std::size_t>(catalog.GetCount()));
        std::iota(indices.begin(), indices.end(), 0);
    }
    for (int index : indices)
        if (index >= catalog.GetCount())
            throw UsageError("texture index " + std::to_string(index) +
                             " is out of range (the catalog holds " +
                             TextureCount(catalog.GetCount()) + ")");
    return indices;
}

int SingleIndex(const Catalog& catalog, std::vector<int> indices) {
    if (indices.size() != 1)
        throw UsageError("give exactly one texture with -i N");
    return ResolveIndices(catalog, std::move(indices)).front();
}

namespace {

/// The indices when no texture among them is a refused source texture; else fails with why.
std::vector<int> ExportableIndices(const Catalog& catalog, std::vector<int> indices) {
    indices = ResolveIndices(catalog, std::move(indices));
    for (int index : indices)
        if (std::string refusal = catalog.GetTexture(index).GetRefusal(); !refusal.empty())
            throw CommandFailure(refusal);
    return indices;
}

} // namespace

int RunList(CommandLine& args) {
    const QStringList files = args.TakePositionals({QStringLiteral("CATALOG")});
    Catalog catalog;
    LoadCatalogOrFail(files[0], catalog);
    std::string text;
    for (int i = 0; i < catalog.GetCount(); ++i) {
        const Texture& texture = catalog.GetTexture(i);
        text += std::to_string(i) + '\t' + std::string(TextureKindName(texture.Kind())) + '\t' +
                std::to_string(texture.GetThumbnailWidth()) + 'x' +
                std::to_string(texture.GetThumbnailHeight()) + '\t' +
                EscapedForLine(texture.GetName()) + '\n';
    }
    WriteStdout(text);
    return ExitOk;
}

int RunSource(CommandLine& args) {
    const SourceFlags flags = FlagsFromOptions(args);
    std::vector<int> indices = args.TakeIndices();
    const QStringList files = args.TakePositionals({QStringLiteral("CATALOG")});
    Catalog catalog;
    LoadCatalogOrFail(files[0], catalog);
    WriteStdout(ExportSourceText(catalog, ExportableIndices(catalog, std::move(indices)), flags));
    return ExitOk;
}

int RunExport(CommandLine& args) {
    const SourceFlags flags = FlagsFromOptions(args);
    const bool append = args.TakeFlag(QStringLiteral("--append"));
    const bool overwrite = args.TakeFlag(QStringLiteral("--overwrite"));
    if (append && overwrite)
        throw UsageError("--append and --overwrite exclude each other");
    std::vector<int> indices = args.TakeIndices();
    const QStringList files =
        args.TakePositionals({QStringLiteral("CATALOG"), QStringLiteral("FILE")});
    Catalog catalog;
    LoadCatalogOrFail(files[0], catalog);
    const std::string text =
        ExportSourceText(catalog, ExportableIndices(catalog, std::move(indices)), flags);
    const QByteArray bytes = QByteArray::fromStdString(text);

    if (QFileInfo::exists(files[1]) && !append && !overwrite)
        throw CommandFailure("File already exists:\n" + files[1].toStdString() +
                             "\n(use --overwrite or --append)");
    const FileResult result =
        append ? AppendToFile(files[1], bytes) : WriteFileAtomically(files[1], bytes);
    if (!result)
        throw CommandFailure(result.message.toStdString());
    return ExitOk;
}

int RunResave(CommandLine& args) {
    const QStringList files =
        args.TakePositionals({QStringLiteral("CATALOG"), QStringLiteral("OUT")});
    Catalog catalog;
    LoadCatalogOrFail(files[0], catalog);
    const FileResult result = SaveCatalogFile(files[1], catalog);
    if (!result)
        throw CommandFailure(result.message.toStdString());
    return ExitOk;
}

int RunDump(CommandLine& args) {
    const QStringList files = args.TakePositionals({QStringLiteral("CATALOG")});
    Catalog catalog;
    LoadCatalogOrFail(files[0], catalog);
    WriteStdout(CatalogToJson(catalog));
    return ExitOk;
}
