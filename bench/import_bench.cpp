// Importing a large source file: 40,000 declarations (colours, colour maps, finishes, simple
// and layered textures, pigments, in the shapes of POV-Ray's own library) read and turned into
// textures, against reading the same text's tokens alone; and hostile text, which must be
// refused in time of the same order. Prints the best of several runs of each and the ratios.

#include "besttime.h"
#include "core/povtext/import/sourceimport.h"
#include "core/povtext/language/povlexer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <string>

namespace {

/// 40,000 declarations in groups of eight, each group using the ones before it.
std::string LargeSource() {
    std::string text;
    for (int group = 0; group < 5000; ++group) {
        const std::string n = std::to_string(group);
        const std::string shade = std::to_string((group % 97) / 100.0);
        text += "// Group " + n + ", a texture family of its own\n";
        text += "#declare C" + n + " = rgb <" + shade + ", 0.4, 0.2>;\n";
        text += "#declare M" + n + " = color_map { [0.0, 0.3 color C" + n +
                " color rgbt <0.9, 0.8, 0.7, 0.0>]\n  [0.3 rgb 1] [0.7 C" + n +
                " * 0.5] [1 rgb 0] }\n";
        text += "#declare F" + n +
                " = finish { ambient 0.2 diffuse 0.6 specular 0.4 roughness 1/50 }\n";
        text += "#declare P" + n + " = pigment { granite turbulence 0.4 color_map { M" + n +
                " } scale <2, 1, 1> rotate y*" + std::to_string(group % 90) + " }\n";
        text += "#declare T" + n + " = texture { pigment { P" + n +
                " } normal { bumps 0.3 scale 0.2 }"
                " finish { F" +
                n + " } }\n";
        text += "#declare L" + n + " = texture { T" + n + " scale 2 }\n  texture { pigment { C" +
                n + " filter 0.5 } finish { phong 1 } }\n";
        text += "#declare W" + n +
                " = pigment { wood turbulence 0.05 octaves 3 scale <0.05, 0.05, 1> }\n";
        text += "#declare G" + n + " = texture { pigment { gradient y color_map { M" + n +
                " } } translate x rotate <0, 0, 30> scale 0.5 }\n";
    }
    return text;
}

ImportResult Import(const std::string& text) {
    MemorySourceFiles files;
    return ImportSource({{"bench.inc", text}}, ImportOptions{}, files);
}

} // namespace

int main() {
    const std::string text = LargeSource();
    ImportResult result;
    const double import = BestSeconds(3, [&] { result = Import(text); });
    const double tokens = BestSeconds(3, [&] {
        PovLexer lexer(text, 0);
        while (lexer.Next().kind != PovToken::End) {
        }
    });
    std::printf(
        "40,000 declarations (%.1f MB): %zu textures and pigments, %d imported, %d skipped\n",
        text.size() / 1e6, result.declarations.size(), result.Count(ImportOutcome::Imported),
        result.Count(ImportOutcome::Skipped));
    std::printf("import %.3f s (%.1f us a declaration), tokens alone %.3f s, ratio %.1f\n", import,
                import / 40000 * 1e6, tokens, import / tokens);

    const std::size_t hostileSize = 8u << 20;
    const std::map<std::string, std::string> hostile = {
        {"nested braces", std::string(hostileSize / 2, '{') + std::string(hostileSize / 2, '}')},
        {"unclosed block", "#declare T = texture {" + std::string(hostileSize, ' ')},
        {"parentheses", "#declare A = " + std::string(hostileSize, '(')},
        {"unclosed #if",
         [] {
             std::string t;
             while (t.size() < hostileSize)
                 t += "#if (1)\n";
             return t;
         }()},
    };
    for (const auto& [name, input] : hostile) {
        ImportResult refused;
        const double seconds = BestSeconds(3, [&] { refused = Import(input); });
        std::printf("%-15s %.1f MB refused in %.3f s (%.2f of the import's time a byte): %s\n",
                    name.c_str(), input.size() / 1e6, seconds,
                    (seconds / double(input.size())) / (import / double(text.size())),
                    refused.failure ? refused.failure->c_str() : "NOT REFUSED");
    }
    return 0;
}
