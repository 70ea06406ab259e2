#include "core/model/layeredtexture.h"

#include "core/archive/archive.h"

#include <algorithm>
#include <new>
#include <string>

IMPLEMENT_SERIAL(LayeredTexture, 1, 1)

LayeredTexture::LayeredTexture(const LayeredTexture& other) : Texture(other), m_mode(other.m_mode) {
    m_layers.reserve(other.m_layers.size());
    for (const auto& layer : other.m_layers)
        m_layers.push_back(std::make_unique<SimpleTexture>(*layer));
}

LayeredTexture& LayeredTexture::operator=(const LayeredTexture& other) {
    if (this != &other) {
        LayeredTexture copy(other);
        Texture::operator=(copy);
        m_mode = copy.m_mode;
        m_layers = std::move(copy.m_layers);
    }
    return *this;
}

std::unique_ptr<Texture> LayeredTexture::Clone() const {
    return std::make_unique<LayeredTexture>(*this);
}

bool LayeredTexture::LetsLightThrough() const {
    return !m_layers.empty() &&
           std::all_of(m_layers.begin(), m_layers.end(),
                       [](const auto& layer) { return layer->LetsLightThrough(); });
}

bool LayeredTexture::ScaleThumbnail(int width, int height, bool layersToo) {
    if (layersToo)
        for (auto& layer : m_layers)
            layer->ScaleThumbnail(width, height, true);
    return m_thumbnail.Resize(width, height);
}

void LayeredTexture::ClearThumbnails() {
    Texture::ClearThumbnails();
    for (auto& layer : m_layers)
        layer->ClearThumbnails();
}

std::string LayeredTexture::GetRefusal() const {
    std::string reason;
    if (m_layers.empty())
        reason = "it has no layers";
    else if (m_mode == Tiles && m_layers.size() != 2)
        reason = "it has " + std::to_string(m_layers.size()) +
                 (m_layers.size() == 1 ? " layer" : " layers") + ", and tiles take exactly 2";
    else if (m_mode != Layers && m_mode != Tiles)
        reason = "its stored mode " + std::to_string(m_mode) + " is unknown";
    else
        return {};
    return "The layered texture \"" + m_name + "\" is refused: " + reason + ".";
}

std::string LayeredTexture::GetSource(SourceFlags flags) const {
    if (std::string refusal = GetRefusal(); !refusal.empty())
        return WrapComment(refusal);
    std::string text;
    if (flags.Has(SourceFlag::Declare))
        text += DeclarationComment() + "#declare " + DeclaredIdentifier(m_name) + " =\r\n";
    const SourceFlags layerFlags = flags.Without(SourceFlag::Declare);
    if (m_mode == Layers) {
        for (const auto& layer : m_layers)
            text += "texture {\r\n" + layer->GetSource(layerFlags) + "}\r\n";
    } else if (m_mode == Tiles && m_layers.size() == 2) {
        text += "texture {\r\n  tiles {\r\n    texture {\r\n" + m_layers[0]->GetSource(layerFlags) +
                "    }\r\n  tile2\r\n    texture {\r\n" + m_layers[1]->GetSource(layerFlags) +
                "    }\r\n  }\r\n}\r\n";
    }
    return text;
}

void LayeredTexture::Serialize(Archive& ar, std::uint16_t /*schema*/) {
    ar.String(m_name);
    ar.String(m_description);
    ar.DWordInt(m_mode);
    m_thumbnail.Serialize(ar);
    ar.Byte(m_previewShape);
    if (ar.IsStoring()) {
        ar.WriteDWord(static_cast<std::uint32_t>(m_layers.size()));
        for (const auto& layer : m_layers)
            layer->Serialize(ar);
        return;
    }
    const std::uint32_t count = ar.ReadDWord();
    m_layers.clear();
    for (std::uint32_t i = 0; i < count; ++i) {
        auto layer = std::make_unique<SimpleTexture>();
        layer->Serialize(ar);
        m_layers.push_back(std::move(layer));
    }
}

bool LayeredTexture::AddLayer(const SimpleTexture& layer) {
    try {
        auto copy = std::make_unique<SimpleTexture>(layer);
        m_layers.push_back(std::move(copy));
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void LayeredTexture::RemoveLayer(int index) {
    if (index >= 0 && index < GetLayerCount())
        m_layers.erase(m_layers.begin() + index);
}

SimpleTexture* LayeredTexture::GetLayer(int index) {
    return index >= 0 && index < GetLayerCount() ? m_layers[static_cast<std::size_t>(index)].get()
                                                 : nullptr;
}

const SimpleTexture* LayeredTexture::GetLayer(int index) const {
    return index >= 0 && index < GetLayerCount() ? m_layers[static_cast<std::size_t>(index)].get()
                                                 : nullptr;
}

std::unique_ptr<SimpleTexture> LayeredTexture::SetLayer(int index,
                                                        std::unique_ptr<SimpleTexture> layer) {
    if (index < 0 || index >= GetLayerCount() || !layer)
        return layer;
    std::swap(m_layers[static_cast<std::size_t>(index)], layer);
    return layer;
}

void LayeredTexture::SwapLayers(int first, int second) {
    if (first >= 0 && first < GetLayerCount() && second >= 0 && second < GetLayerCount())
        std::swap(m_layers[static_cast<std::size_t>(first)],
                  m_layers[static_cast<std::size_t>(second)]);
}
