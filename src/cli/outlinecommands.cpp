#include "cli/outlinecommands.h"

#include "cli/catalogcommands.h"
#include "core/catalog/catalog.h"
#include "core/model/sourcetexture.h"
#include "core/povtext/editing/outlineedit.h"
#include "core/povtext/editing/textureoutline.h"
#include "core/povtext/reading/strictsource.h"
#include "core/text/jsonwriter.h"
#include "render/files/catalogfile.h"
#include "render/files/fileio.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

/// "\"Oak\" (texture 3)", the name escaped for one line of output.
std::string Label(const Texture& texture, int index) {
    return '"' + EscapedForLine(texture.GetName()) + "\" (texture " + std::to_string(index) + ")";
}

const SourceTexture* AsSource(const Texture& texture) {
    return texture.Kind() == TextureKind::Source ? static_cast<const SourceTexture*>(&texture)
                                                 : nullptr;
}

const SourceTexture& SourceOrFail(const Catalog& catalog, int index) {
    const Texture& texture = catalog.GetTexture(index);
    if (const SourceTexture* source = AsSource(texture))
        return *source;
    throw CommandFailure(Label(texture, index) +
                         " is not a source texture; only the POV-Ray text of a source texture "
                         "has an outline.");
}

// The plain outline: a line per part and per property, in the order they stand in the text.

std::string Indent(int depth) {
    return std::string(static_cast<std::size_t>(depth) * 2, ' ');
}

void WritePlain(std::string& out, const OutlinePart& part, int depth) {
    out += Indent(depth) + EscapedForLine(part.path.empty() ? part.keyword : part.path) + '\n';
    auto property = part.properties.begin();
    auto child = part.parts.begin();
    while (property != part.properties.end() || child != part.parts.end()) {
        if (child == part.parts.end() ||
            (property != part.properties.end() && property->item.start < child->item.start)) {
            out += Indent(depth + 1) + EscapedForLine(property->path);
            if (property->HasValue())
                out += " = " + EscapedForLine(property->text);
            out += '\n';
            ++property;
        } else {
            WritePlain(out, *child, depth + 1);
            ++child;
        }
    }
}

// The JSON outline, as the man page describes it.

void WriteJson(JsonWriter& json, const OutlineProperty& property) {
    json.BeginObject();
    json.Key("path");
    json.Value(property.path);
    json.Key("kind");
    json.Value(KindName(property.kind));
    json.Key("value");
    json.Value(property.text);
    json.Key("span");
    json.BeginArray();
    json.Value(static_cast<std::int64_t>(property.value.start));
    json.Value(static_cast<std::int64_t>(property.value.end));
    json.EndArray();
    if (!property.numbers.empty()) {
        json.Key("numbers");
        json.BeginArray();
        for (const double number : property.numbers)
            json.Value(number);
        json.EndArray();
    }
    json.EndObject();
}

void WriteJson(JsonWriter& json, const OutlinePart& part) {
    json.BeginObject();
    json.Key("keyword");
    json.Value(part.keyword);
    json.Key("path");
    json.Value(part.path);
    json.Key("properties");
    json.BeginArray();
    for (const OutlineProperty& property : part.properties)
        WriteJson(json, property);
    json.EndArray();
    json.Key("parts");
    json.BeginArray();
    for (const OutlinePart& child : part.parts)
        WriteJson(json, child);
    json.EndArray();
    json.EndObject();
}

std::string OutlineJson(const SourceTexture& texture, const TextureOutline& outline) {
    JsonWriter json;
    json.BeginObject();
    json.Key("name");
    json.Value(texture.GetName());
    json.Key("text");
    json.Value(texture.GetText());
    json.Key("parts");
    json.BeginArray();
    for (const OutlinePart& part : outline.parts)
        WriteJson(json, part);
    json.EndArray();
    if (outline.error) {
        json.Key("error");
        json.Value(*outline.error);
    }
    json.EndObject();
    return json.Text();
}

/// One "PATH=VALUE" of the command line.
struct Assignment {
    std::string path;
    std::string value;
};

std::vector<Assignment> Assignments(const QStringList& words) {
    std::vector<Assignment> assignments;
    for (const QString& word : words) {
        const qsizetype equals = word.indexOf(QLatin1Char('='));
        if (equals <= 0)
            throw UsageError(
                QStringLiteral("expected PATH=VALUE, not '%1'").arg(word).toStdString());
        assignments.push_back(
            {word.left(equals).toStdString(), word.mid(equals + 1).toStdString()});
    }
    return assignments;
}

std::vector<int> Distinct(const std::vector<int>& indices) {
    std::vector<int> distinct;
    for (int index : indices)
        if (std::find(distinct.begin(), distinct.end(), index) == distinct.end())
            distinct.push_back(index);
    return distinct;
}

/// A texture's text with the assignments made, each on the text the ones before it left.
/// With `skipMissing` an assignment whose path the text lacks is passed over; `found` marks
/// the ones made. Fails, naming the texture, on any refusal.
std::string Assigned(const SourceTexture& texture, int index,
                     const std::vector<Assignment>& assignments, bool skipMissing,
                     std::vector<bool>& found) {
    std::string text = texture.GetText();
    for (std::size_t k = 0; k < assignments.size(); ++k) {
        const Assignment& assignment = assignments[k];
        if (skipMissing && !ReadOutline(text).Property(assignment.path))
            continue;
        OutlineEdit::Outcome outcome = OutlineEdit::Set(text, assignment.path, assignment.value);
        if (!outcome.Done())
            throw CommandFailure(Label(texture, index) + ": " + EscapedForLine(outcome.refusal) +
                                 "; nothing was changed.");
        text = std::move(outcome.text);
        found[k] = true;
    }
    if (text == texture.GetText())
        return text;
    if (const auto refusal = StrictSourceRefusal(text, texture.GetKind()))
        throw CommandFailure(Label(texture, index) + " would be refused after the change: " +
                             EscapedForLine(*refusal) + "; nothing was changed.");
    return text;
}

struct Change {
    int index;
    std::string text;
};

} // namespace

int RunOutline(CommandLine& args) {
    const bool json = args.TakeFlag(QStringLiteral("--json"));
    std::vector<int> indices = args.TakeIndices();
    const QStringList files = args.TakePositionals({QStringLiteral("CATALOG")});
    Catalog catalog;
    LoadCatalogOrFail(files[0], catalog);
    const int index = SingleIndex(catalog, std::move(indices));
    const SourceTexture& texture = SourceOrFail(catalog, index);
    const TextureOutline outline = ReadOutline(texture.GetText());

    std::string out;
    if (json) {
        out = OutlineJson(texture, outline);
    } else {
        for (const OutlinePart& part : outline.parts)
            WritePlain(out, part, 0);
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    if (outline.error)
        std::fprintf(stderr, "Note: the outline of %s stops where its text cannot be read: %s.\n",
                     Label(texture, index).c_str(), EscapedForLine(*outline.error).c_str());
    return ExitOk;
}

int RunSet(CommandLine& args) {
    const bool all = args.TakeFlag(QStringLiteral("--all"));
    std::vector<int> indices = args.TakeIndices();
    QStringList words =
        args.TakePositionalsWithMore({QStringLiteral("CATALOG"), QStringLiteral("PATH=VALUE")});
    const QString path = words.takeFirst();
    const std::vector<Assignment> assignments = Assignments(words);
    if (!all && indices.empty())
        throw UsageError("give the textures with -i N, or --all for every texture that has "
                         "the path");

    Catalog catalog;
    const FileStamp loaded = LoadCatalogOrFail(path, catalog);
    indices = Distinct(ResolveIndices(catalog, std::move(indices)));

    // Every change is worked out before any is made: one refusal leaves the catalog as it was.
    std::vector<Change> changes;
    std::vector<bool> found(assignments.size(), false);
    for (int index : indices) {
        if (all && !AsSource(catalog.GetTexture(index)))
            continue;
        const SourceTexture& texture = SourceOrFail(catalog, index);
        std::string text = Assigned(texture, index, assignments, all, found);
        if (text != texture.GetText())
            changes.push_back({index, std::move(text)});
    }
    for (std::size_t k = 0; k < assignments.size(); ++k)
        if (!found[k])
            throw CommandFailure("No source texture among those chosen has " +
                                 EscapedForLine(assignments[k].path) + "; nothing was changed.");

    std::string report;
    for (Change& change : changes) {
        auto& texture = static_cast<SourceTexture&>(catalog.GetTexture(change.index));
        texture.SetText(std::move(change.text));
        CheckSourceTexture(texture);
        report += std::to_string(change.index) + '\t' + EscapedForLine(texture.GetName()) + '\n';
    }
    if (!changes.empty()) {
        WriteOptions options;
        options.unchangedSince = loaded;
        const FileResult saved = SaveCatalogFile(path, catalog, options);
        if (!saved)
            throw CommandFailure(saved.message.toStdString());
    }
    std::fwrite(report.data(), 1, report.size(), stdout);
    std::fflush(stdout);
    const long long skipped = static_cast<long long>(indices.size() - changes.size());
    std::string summary = TextureCount(static_cast<long long>(changes.size())) + " changed";
    if (skipped > 0)
        summary += ", " + std::to_string(skipped) + " left as they were";
    if (!changes.empty())
        summary += "; a changed texture keeps its old thumbnail until it is rendered again";
    std::fprintf(stderr, "%s.\n", summary.c_str());
    return ExitOk;
}
