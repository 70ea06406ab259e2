#include "core/model/pigment.h"

#include "core/archive/archive.h"
#include "core/model/numberformat.h"

IMPLEMENT_SERIAL(Pigment, 1, 1)

namespace {

const char* const kPatternNames[] = {"agate",  "bozo",  "gradient", "granite", "leopard",
                                     "marble", "onion", "radial",   "spotted", "wood"};

std::string GradientAxes(const Pigment& pigment) {
    std::string axes;
    for (auto [flag, axis] : {std::pair{pigment.gradientX, "x"}, std::pair{pigment.gradientY, "y"},
                              std::pair{pigment.gradientZ, "z"}}) {
        if (!flag)
            continue;
        if (!axes.empty())
            axes += '+';
        axes += axis;
    }
    return axes.empty() ? "x" : axes;
}

} // namespace

std::string Pigment::GetSource() const {
    std::string text = "  pigment\r\n  {\r\n";
    if (pattern == Gradient)
        text += "    gradient " + GradientAxes(*this) + "\r\n";
    else if (pattern <= Wood)
        text += std::string("    ") + kPatternNames[pattern] + "\r\n";
    else if (pattern == ImageMap)
        text += "    image_map\r\n    {\r\n" + image.GetSource(false) + "    }\r\n";

    if (pattern != SolidColor)
        text += turbulence.GetSource(pattern == Agate);
    if (pattern <= Wood)
        text += colorMap.GetSource();
    if (pattern != SolidColor && pattern != ImageMap)
        text += PhaseAndFrequencySource();
    if (pattern != SolidColor)
        text += transformations.GetSource(4);
    if (pattern == SolidColor) {
        if (color.filter != 0)
            text += "    colour rgbf<" + ChannelText(color.red) + "," + ChannelText(color.green) +
                    "," + ChannelText(color.blue) + "," + ChannelText(color.filter) + ">\r\n";
        else
            text += "    colour rgb<" + ChannelText(color.red) + "," + ChannelText(color.green) +
                    "," + ChannelText(color.blue) + ">\r\n";
    }
    text += "  }\r\n";
    return text;
}

void Pigment::Serialize(Archive& ar, std::uint16_t /*schema*/) {
    ar.Byte(pattern);
    ar.Byte(gradientX);
    ar.Byte(gradientY);
    ar.Byte(gradientZ);
    SerializeFields(ar);
}
