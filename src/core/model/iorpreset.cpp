#include "core/model/iorpreset.h"

#include "core/archive/archive.h"

IMPLEMENT_SERIAL(IorPreset, 1)

void IorPreset::Serialize(Archive& ar) {
    ar.String(m_description);
    ar.Float(m_value);
}
