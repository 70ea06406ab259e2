#pragma once

#include "core/model/texture.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

class Catalog;

/// One thumbnail of a batch: the composite of a texture (layer -1) or one layer's picture.
struct ThumbnailTask {
    std::size_t member = 0; ///< which of the batch's textures (its place in Members())
    int layer = -1;
    int width = 0;
    int height = 0;
    std::string
        caption; ///< "Rendering texture 2 of 5", "Rendering thumbnail 1 of 1 (Layer 2 of 3)"
};

/// The thumbnails a batch renders for some textures of a catalog, in catalog order, and how far
/// it has come. Tasks end in any order (renders run side by side and the catalog may change
/// meanwhile); a texture is through once all its tasks have ended, and rendered when each gave
/// its picture. A texture whose render failed is not rendered: it keeps its old pictures.
class ThumbnailBatch {
public:
    /// Layer thumbnails are always 100 x 100, whatever the catalog's thumbnail size.
    static constexpr int kLayerThumbnailSize = 100;

    /// A texture of the batch as it stood when the batch was made.
    struct Member {
        int index = 0; ///< its catalog index then
        TextureId id = 0;
        std::string name;
        std::size_t firstTask = 0;
        std::size_t taskCount = 0;
    };
    /// How a task ended.
    enum class Ending { Open, Rendered, Failed, Dropped };

    /// The textures at `indices` (ascending): their composite thumbnails at the catalog's size
    /// and, for layered textures, their layers' thumbnails, as chosen.
    ThumbnailBatch(const Catalog& catalog, std::span<const int> indices, bool composite,
                   bool layers);
    /// The selected textures.
    ThumbnailBatch(const Catalog& catalog, bool composite, bool layers);

    const std::vector<ThumbnailTask>& Tasks() const { return m_tasks; }
    const std::vector<Member>& Members() const { return m_members; }

    /// Task `task` ended: its picture was taken (Rendered), it gave none (Failed), or its
    /// texture was gone (Dropped). Returns true when that brought its texture through. A task
    /// ends once; later calls change nothing.
    bool End(std::size_t task, Ending ending);
    Ending EndingOf(std::size_t task) const { return m_endings.at(task); }

    /// Textures that have tasks; those through; those through with every picture taken; those
    /// with a failed task, and those dropped (gone from the catalog), by their place in
    /// Members().
    std::size_t TextureTotal() const { return m_total; }
    std::size_t TexturesThrough() const { return m_through; }
    bool IsThrough(std::size_t member) const;
    std::size_t TexturesRendered() const;
    std::vector<std::size_t> FailedMembers() const;
    std::vector<std::size_t> DroppedMembers() const;
    bool IsComplete() const { return m_through == m_total; }

private:
    bool Has(std::size_t member, Ending ending) const;

    std::vector<Member> m_members;
    std::vector<ThumbnailTask> m_tasks;
    std::vector<Ending> m_endings;
    std::vector<std::size_t> m_open; ///< tasks still open, per member
    std::size_t m_total = 0;
    std::size_t m_through = 0;
};

/// What task `layer` renders of `texture`: the texture itself (layer -1) or that layer; null
/// when the texture has no such layer.
Texture* ThumbnailSubject(Texture& texture, int layer);
const Texture* ThumbnailSubject(const Texture& texture, int layer);
