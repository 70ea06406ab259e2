#pragma once

#include "core/model/sourcetexture.h"

#include <memory>
#include <string>

/// A source texture made editable, or why it cannot be.
struct SourceConversion {
    /// A simple or layered texture holding every value of the text exactly; null when none can.
    std::unique_ptr<Texture> texture;
    /// What stands in the way (the importer's note) when `texture` is null.
    std::string reason;
};

/// The simple or layered texture that `source` maps onto with every value held exactly, with
/// its name, description, preview shape and thumbnail; otherwise the reason it does not.
SourceConversion ConvertToEditable(const SourceTexture& source);
