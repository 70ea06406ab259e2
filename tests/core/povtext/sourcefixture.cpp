#include "sourcefixture.h"

#include <gtest/gtest.h>

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
