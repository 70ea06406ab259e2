#include "core/model/transformations.h"

#include "core/archive/archive.h"
#include "core/model/numberformat.h"

IMPLEMENT_SERIAL(Transformations, 1, 1)

namespace {

bool Equals(const std::array<float, 3>& v, float value) {
    return v[0] == value && v[1] == value && v[2] == value;
}

std::string Line(int indent, const char* keyword, const std::array<float, 3>& v) {
    return std::string(static_cast<std::size_t>(indent), ' ') + keyword + " <" + FloatToText(v[0]) +
           ", " + FloatToText(v[1]) + ", " + FloatToText(v[2]) + ">\r\n";
}

} // namespace

std::string Transformations::GetSource(int indent) const {
    std::string text;
    if (!Equals(translate, 0.0f))
        text += Line(indent, "translate", translate);
    if (!Equals(rotate, 0.0f))
        text += Line(indent, "rotate", rotate);
    if (!Equals(scale, 1.0f))
        text += Line(indent, "scale", scale);
    return text;
}

void Transformations::Serialize(Archive& ar, std::uint16_t /*schema*/) {
    for (float& v : translate)
        ar.Float(v);
    for (float& v : scale)
        ar.Float(v);
    for (float& v : rotate)
        ar.Float(v);
}
