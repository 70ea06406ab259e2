#include "core/model/imagemap.h"

#include "core/archive/archive.h"
#include "core/model/sourcetext.h"

IMPLEMENT_SERIAL(ImageMap, 1)

std::string ImageMap::GetSource(bool withBumpSize) const {
    std::string text = fileType == kTarga ? "      tga \"" : "      gif \"";
    text += PovStringText(fileName);
    text += once ? "\"once\r\n" : "\"\r\n";
    if (mapType != 0)
        text += "      map_type " + std::to_string(mapType) + "\r\n";
    if (interpolate != 0)
        text += "      interpolate " + std::to_string(interpolate) + "\r\n";
    if (withBumpSize)
        text += "      bump_size " + FloatToText(bumpSize) + "\r\n";
    return text;
}

std::string PovStringText(std::string_view text) {
    std::string written;
    written.reserve(text.size());
    for (char c : text)
        if (!IsUnwritableInPovString(c))
            written += c;
    // A backslash before the closing quote would make POV-Ray read on past it.
    while (!written.empty() && written.back() == '\\')
        written.pop_back();
    return written;
}

bool IsUnwritableInPovString(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return c == '"' || byte < 0x20 || byte == 0x7F;
}

bool IsWritableImageFileName(std::string_view fileName) {
    for (char c : fileName)
        if (IsUnwritableInPovString(c))
            return false;
    return fileName.empty() || fileName.back() != '\\';
}

void ImageMap::Serialize(Archive& ar) {
    ar.String(fileName);
    ar.Byte(fileType);
    ar.Byte(once);
    ar.Byte(mapType);
    ar.Byte(interpolate);
    ar.Float(bumpSize);
}
