#include "core/color/namedcolor.h"

#include "core/archive/archive.h"

IMPLEMENT_SERIAL(NamedColor, 1, 1)

void NamedColor::Serialize(Archive& ar, std::uint16_t /*schema*/) {
    ar.String(m_name);
    ar.Byte(m_color.red);
    ar.Byte(m_color.green);
    ar.Byte(m_color.blue);
    ar.Byte(m_color.filter);
}
