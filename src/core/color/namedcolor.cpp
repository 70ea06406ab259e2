#include "namedcolor.h"

#include "archive/archive.h"

IMPLEMENT_SERIAL(CNamedColor, 1)

void CNamedColor::Serialize(CArchive& ar) {
    ar.String(m_name);
    ar.Byte(m_color.red);
    ar.Byte(m_color.green);
    ar.Byte(m_color.blue);
    ar.Byte(m_color.filter);
}
