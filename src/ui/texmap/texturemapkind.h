#pragma once

#include <memory>

class AppServices;
class DocumentTemplate;

/// The texture-map document kind: ".bmp" files, "Texture Map1" and so on for new ones, shown
/// in texture-map windows.
std::unique_ptr<DocumentTemplate> MakeTextureMapKind(AppServices& app);
