#include "sourcefixture.h"

#include "core/model/sourcetexture.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

std::optional<std::string> LibraryFiles::Read(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + " was not found.";
        return std::nullopt;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool LibraryFiles::Exists(const std::string& path) {
    return std::filesystem::is_regular_file(path);
}

std::vector<std::string> LibraryTextsAsSource(const std::vector<std::string>& extra) {
    std::vector<std::string> files;
    for (const char* name : {"textures.inc", "stones.inc", "stoneold.inc", "woods.inc",
                             "metals.inc", "golds.inc", "glass.inc", "skies.inc", "stars.inc"})
        files.push_back(std::string(kPovRayLibraryFolder) + "/" + name);
    files.insert(files.end(), extra.begin(), extra.end());
    std::vector<std::string> texts;
    for (const std::string& file : files) {
        LibraryFiles disk;
        ImportOptions options;
        options.asSource = true;
        const ImportResult result =
            ImportSource({{std::string(kPovRayLibraryFolder) + "/colors.inc", std::nullopt},
                          {file, std::nullopt}},
                         options, disk);
        for (const ImportedDeclaration& declaration : result.declarations)
            if (const auto* source = dynamic_cast<const SourceTexture*>(declaration.texture.get()))
                texts.push_back(source->GetText());
    }
    return texts;
}

ImportResult ImportText(const std::string& text, bool approximate, MemoryFiles files) {
    files.files["main.pov"] = text;
    ImportOptions options;
    options.libraryFolder = "/library";
    options.approximate = approximate;
    return ImportSource({{"main.pov", std::nullopt}}, options, files);
}

std::vector<std::string> ReportLines(const std::string& text, bool approximate, MemoryFiles files) {
    const ImportResult result = ImportText(text, approximate, std::move(files));
    if (result.failure)
        return {"failure: " + *result.failure};
    std::vector<std::string> lines;
    for (const ImportedDeclaration& declaration : result.declarations)
        lines.push_back(ReportLine(declaration));
    return lines;
}

std::string SourceOfOnly(const ImportResult& result) {
    if (result.failure)
        return "failure: " + *result.failure;
    if (result.declarations.size() != 1)
        return "declarations: " + std::to_string(result.declarations.size());
    const ImportedDeclaration& declaration = result.declarations.front();
    if (!declaration.texture)
        return "skipped: " + ReportLine(declaration);
    return Lf(declaration.texture->GetSource(SourceFlag::Declare));
}

std::string Repeated(const std::string& piece, std::size_t times) {
    std::string text;
    text.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

std::string Lf(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            out += text[i];
    return out;
}

PovNumber DeclaredNumber(const std::string& text, const std::string& name) {
    MemoryFiles files;
    SceneParser parser(files, {});
    parser.Read("main.pov", text);
    const Symbol* symbol = parser.Lookup(name);
    if (!symbol || !symbol->value || !std::holds_alternative<PovNumber>(*symbol->value)) {
        ADD_FAILURE() << name << " holds no number"
                      << (symbol && !symbol->value ? ": " + symbol->refusal : "");
        return {};
    }
    return std::get<PovNumber>(*symbol->value);
}
