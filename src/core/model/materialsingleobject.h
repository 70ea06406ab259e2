#pragma once

#include "materialfinish.h"
#include "materialmapping.h"
#include "materialnormal.h"
#include "materialobject.h"
#include "transformations.h"

/// A simple texture: one pigment, normal, finish and a set of transformations.
class CMaterialSingleObject : public CMaterialObject {
    DECLARE_SERIAL(CMaterialSingleObject)
public:
    CMaterialSingleObject() = default;
    CMaterialSingleObject(const CMaterialSingleObject&) = default;
    CMaterialSingleObject& operator=(const CMaterialSingleObject&) = default;

    bool IsSimple() const override { return true; }
    std::unique_ptr<CMaterialObject> Clone() const override;
    bool ScaleThumbnail(int width, int height, bool layersToo) override;
    /// The "#declare NAME = texture { ... }" text (with SRC_DECLARE) or just the blocks.
    std::string GetSource(unsigned flags) const override;
    /// Stored form: name, description, thumbnail, preview shape, pigment, finish, normal,
    /// transformations.
    void Serialize(CArchive& ar) override;

    CMaterialMapping pigment;
    CMaterialFinish finish;
    CMaterialNormal normal;
    CTransformations transformations;
};
