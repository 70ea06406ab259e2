#include "iorvalue.h"

#include "archive/archive.h"

IMPLEMENT_SERIAL(CIORValue, 1)

void CIORValue::Serialize(CArchive& ar) {
    ar.String(m_description);
    ar.Float(m_value);
}
