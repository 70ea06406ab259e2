#include "core/model/imagemap.h"

#include "core/archive/archive.h"
#include "core/model/numberformat.h"

#include <cctype>

IMPLEMENT_SERIAL(ImageMap, 1, 1)

namespace {

/// The POV-Ray keyword that names the image's file type.
const char* TypeKeyword(std::uint8_t fileType) {
    switch (fileType) {
    case ImageMap::kTarga:
        return "tga";
    case ImageMap::kPng:
        return "png";
    case ImageMap::kJpeg:
        return "jpeg";
    default:
        return "gif";
    }
}

bool EndsWith(const std::string& upper, const char* ending) {
    const std::string tail(ending);
    return upper.size() >= tail.size() &&
           upper.compare(upper.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

std::optional<std::uint8_t> ImageMap::FileTypeForName(const std::string& fileName) {
    std::string upper = fileName;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (EndsWith(upper, "GIF"))
        return kGif;
    if (EndsWith(upper, "TGA"))
        return kTarga;
    if (EndsWith(upper, "PNG"))
        return kPng;
    if (EndsWith(upper, "JPG") || EndsWith(upper, "JPEG"))
        return kJpeg;
    return std::nullopt;
}

std::string ImageMap::GetSource(bool withBumpSize) const {
    std::string text = std::string("      ") + TypeKeyword(fileType) + " \"";
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

void ImageMap::Serialize(Archive& ar, std::uint16_t /*schema*/) {
    ar.String(fileName);
    ar.Byte(fileType);
    ar.Byte(once);
    ar.Byte(mapType);
    ar.Byte(interpolate);
    ar.Float(bumpSize);
}
