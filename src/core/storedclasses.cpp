#include "storedclasses.h"

#include "bitmap/dib.h"
#include "color/namedcolor.h"
#include "model/colormap.h"
#include "model/imagesettings.h"
#include "model/iorvalue.h"
#include "model/materialfinish.h"
#include "model/materialmapping.h"
#include "model/materialmultipleobject.h"
#include "model/materialnormal.h"
#include "model/materialsingleobject.h"
#include "model/transformations.h"
#include "model/turbulencesettings.h"
#include "shapes/customshape.h"

const CClassRegistry& StoredClasses() {
    static const CClassRegistry registry{
        &CMaterialSingleObject::classRecord, &CMaterialMultipleObject::classRecord,
        &CMaterialMapping::classRecord,      &CMaterialNormal::classRecord,
        &CMaterialFinish::classRecord,       &CColorMap::classRecord,
        &CTurbulenceSettings::classRecord,   &CTransformations::classRecord,
        &CImageSettings::classRecord,        &CDIB::classRecord,
        &CNamedColor::classRecord,           &CIORValue::classRecord,
        &CPreviewShape::classRecord,         &CCustomShape::classRecord,
    };
    return registry;
}
