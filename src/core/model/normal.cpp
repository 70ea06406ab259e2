#include "core/model/normal.h"

#include "core/archive/archive.h"
#include "core/model/numberformat.h"

IMPLEMENT_SERIAL(Normal, 1, 1)

namespace {
const char* const kKindNames[] = {"bumps", "dents", "ripples", "waves", "wrinkles"};
}

std::string Normal::GetSource() const {
    if (kind == None)
        return {};
    std::string text = "  normal\r\n  {\r\n";
    if (kind <= Wrinkles)
        text += std::string("    ") + kKindNames[kind] + " " + PercentText(amount) + "\r\n";
    else if (kind == BumpMap)
        text += "    bump_map\r\n    {\r\n" + image.GetSource(true) + "    }\r\n";
    text += turbulence.GetSource();
    text += PhaseAndFrequencySource();
    text += transformations.GetSource(4);
    text += "  }\r\n";
    return text;
}

void Normal::Serialize(Archive& ar, std::uint16_t /*schema*/) {
    ar.Byte(amount);
    ar.Byte(kind);
    for (std::uint8_t& flag : reserved)
        ar.Byte(flag);
    SerializeFields(ar);
}
