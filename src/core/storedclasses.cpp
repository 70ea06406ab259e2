#include "core/storedclasses.h"

#include "core/bitmap/bitmap.h"
#include "core/color/namedcolor.h"
#include "core/model/colormap.h"
#include "core/model/finish.h"
#include "core/model/imagemap.h"
#include "core/model/iorpreset.h"
#include "core/model/layeredtexture.h"
#include "core/model/normal.h"
#include "core/model/pigment.h"
#include "core/model/simpletexture.h"
#include "core/model/sourcetexture.h"
#include "core/model/transformations.h"
#include "core/model/turbulence.h"
#include "core/shapes/customshape.h"

const ClassRegistry& StoredClasses() {
    static const ClassRegistry registry{
        &SimpleTexture::classRecord, &LayeredTexture::classRecord,  &Pigment::classRecord,
        &Normal::classRecord,        &Finish::classRecord,          &ColorMap::classRecord,
        &Turbulence::classRecord,    &Transformations::classRecord, &ImageMap::classRecord,
        &Bitmap::classRecord,        &NamedColor::classRecord,      &IorPreset::classRecord,
        &PreviewShape::classRecord,  &CustomShape::classRecord,     &SourceTexture::classRecord,
    };
    return registry;
}
