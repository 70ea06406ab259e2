#include "core/model/turbulence.h"

#include "core/archive/archive.h"
#include "core/model/numberformat.h"

IMPLEMENT_SERIAL(Turbulence, 1, 1)

std::string Turbulence::GetSource(bool agate) const {
    if (amount == 0)
        return {};
    std::string text = (agate ? "    agate_turb " : "    turbulence ") + PercentText(amount);
    if (octaves != 6)
        text += "  octaves " + std::to_string(octaves);
    if (omega != 50)
        text += "  omega " + PercentText(omega);
    if (lambda != 2.0f)
        text += "  lambda " + FloatToText(lambda);
    text += "\r\n";
    return text;
}

void Turbulence::Serialize(Archive& ar, std::uint16_t /*schema*/) {
    ar.Byte(amount);
    ar.Byte(octaves);
    ar.Byte(omega);
    ar.Float(lambda);
}
