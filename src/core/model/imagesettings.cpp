#include "imagesettings.h"

#include "archive/archive.h"
#include "sourcetext.h"

IMPLEMENT_SERIAL(CImageSettings, 1)

std::string CImageSettings::GetSource(bool withBumpSize) const {
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

void CImageSettings::Serialize(CArchive& ar) {
    ar.String(fileName);
    ar.Byte(fileType);
    ar.Byte(once);
    ar.Byte(mapType);
    ar.Byte(interpolate);
    ar.Float(bumpSize);
}
