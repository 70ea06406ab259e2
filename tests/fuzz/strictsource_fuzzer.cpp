// Feeds arbitrary text to the strict reading catalogs open source textures with, as each kind.
// It must end with a refusal or an admission, never a crash; and a text it admits is one value
// of that kind which the importer, reading it as a declaration, writes back into a text the
// strict reading admits again.

#include "core/model/sourcetexture.h"
#include "core/povtext/sourceimport.h"
#include "core/povtext/strictsource.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
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
