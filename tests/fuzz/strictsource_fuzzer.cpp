// Feeds arbitrary text to the strict reading catalogs open source textures with, as each kind.
// It must end with a refusal or an admission, never a crash; and a text it admits is one value
// of that kind which the importer, reading it as a declaration, writes back into a text the
// strict reading admits again.
//
// With VELVANE_FUZZ_POVRAY naming POV-Ray, an admitted texture that holds a '#' is also
// rendered: POV-Ray must carry out no directive in it (strict-directives.dict has the
// spellings that would print the mark, directly or through mark.inc).

#include "core/model/sourcetexture.h"
#include "core/povtext/import/sourceimport.h"
#include "core/povtext/reading/strictsource.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* kMark = "VELVANE-MARK";

/// True when POV-Ray, rendering `text` as a texture, prints the mark.
bool PovRayRunsADirective(const char* povray, const std::string& text) {
    static const std::string folder = [] {
        char name[] = "/tmp/velvane-strict-fuzz-XXXXXX";
        const std::string made = ::mkdtemp(name) ? name : "/tmp";
        std::ofstream(made + "/mark.inc") << "#debug \"" << kMark << "\\n\"\n";
        return made;
    }();
    std::ofstream(folder + "/scene.pov", std::ios::binary)
        << "camera { location <0, 0, -3> look_at 0 }\nsphere { 0, 1 " << text << "\n}\n";
    const std::string command =
        "cd " + folder + " && timeout 20 " + povray + " +Iscene.pov -D -F +W8 +H8 -GS 2>&1";
    FILE* output = ::popen(command.c_str(), "r");
    if (!output)
        return false;
    std::string printed;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, output)) > 0;)
        printed.append(buffer, n);
    ::pclose(output);
    return printed.find(kMark) != std::string::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    static const char* povray = std::getenv("VELVANE_FUZZ_POVRAY");
    if (povray && *povray && text.find('#') != std::string::npos &&
        !StrictSourceRefusal(text, SourceTexture::TextureKind) &&
        PovRayRunsADirective(povray, text))
        std::abort();
    for (const SourceTexture::Kind kind :
         {SourceTexture::TextureKind, SourceTexture::PigmentKind, SourceTexture::MaterialKind}) {
        if (StrictSourceRefusal(text, kind))
            continue;
        MemorySourceFiles files;
        ImportOptions options;
        options.asSource = true;
        options.libraryFolder = "/lib";
        const ImportResult result =
            ImportSource({{"stored.inc", "#declare Stored =\n" + text + "\n"}}, options, files);
        if (result.failure || result.declarations.size() != 1)
            continue;
        const auto* source =
            dynamic_cast<const SourceTexture*>(result.declarations[0].texture.get());
        if (source && (source->GetKind() != kind || StrictSourceRefusal(source->GetText(), kind)))
            std::abort();
    }
    return 0;
}
