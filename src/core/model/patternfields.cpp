#include "core/model/patternfields.h"

#include "core/archive/archive.h"
#include "core/model/numberformat.h"

void PatternFields::SerializeFields(Archive& ar) {
    ar.Byte(color.red);
    ar.Byte(color.green);
    ar.Byte(color.blue);
    ar.Byte(color.filter);
    ar.Byte(phase);
    ar.SignedWordInt(frequency);
    colorMap.Serialize(ar);
    image.Serialize(ar);
    turbulence.Serialize(ar);
    transformations.Serialize(ar);
}

std::string PatternFields::PhaseAndFrequencySource() const {
    std::string text;
    if (phase != 0)
        text += "    phase " + PercentText(phase) + "\r\n";
    if (frequency != 1)
        text += "    frequency " + std::to_string(frequency) + "\r\n";
    return text;
}
