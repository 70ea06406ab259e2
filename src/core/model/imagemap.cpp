#include "core/model/imagemap.h"

#include "core/archive/archive.h"
#include "core/model/sourcetext.h"

IMPLEMENT_SERIAL(ImageMap, 1)

std::string ImageMap::GetSource(bool withBumpSize) const {
    std::string text = fileType == kTarga ? "      tga \"" : "      gif \"";
    text += fileName;
    text += once ? "\"once\r\n" : "\"\r\n";
    if (mapType != 0)
        text += "      map_type " + std::to_string(mapType) + "\r\n";
    if (interpolate != 0)
        text += "      interpolate " + std::to_string(interpolate) + "\r\n";
    if (withBumpSize)
        text += "      bump_size " + FloatToText(bumpSize) + "\r\n";
    return text;
}

void ImageMap::Serialize(Archive& ar) {
    ar.String(fileName);
    ar.Byte(fileType);
    ar.Byte(once);
    ar.Byte(mapType);
    ar.Byte(interpolate);
    ar.Float(bumpSize);
}
