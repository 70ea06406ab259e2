#pragma once

#include "core/bitmap/bitmap.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class Texture;
class Catalog;

/// One thumbnail of a batch: the composite of a texture (layer -1) or one layer's picture.
struct ThumbnailTask {
    int texture = 0;
    int layer = -1;
    int width = 0;
    int height = 0;
    std::string
        caption; ///< "Rendering texture 2 of 5", "Rendering thumbnail 1 of 1 (Layer 2 of 3)"
};

/// The thumbnails of the selected textures, rendered in catalog order. Pictures may arrive in
/// any order (renders run side by side), but they are taken in task order only, and a texture
/// is deselected once everything of it is taken, so the catalog always looks as if the renders
/// had run one after another: when the batch ends early, what came before stays, and the
/// texture being worked on and all later ones stay selected. A render that fails (POV-Ray
/// could not render that texture) does not end the batch: its texture stays selected, so the
/// user finds it, and the others go on.
class ThumbnailBatch {
public:
    /// Layer thumbnails are always 100 x 100, whatever the catalog's thumbnail size.
    static constexpr int kLayerThumbnailSize = 100;

    ThumbnailBatch(Catalog& catalog, bool composite, bool layers);

    const std::vector<ThumbnailTask>& Tasks() const { return m_tasks; }
    const Catalog& GetCatalog() const { return m_catalog; }
    /// The texture or layer whose picture task `index` renders.
    Texture& Subject(std::size_t index);

    /// Hands in the picture of task `index`; takes every picture now next in line.
    void Complete(std::size_t index, Bitmap picture);
    /// Task `index` gave no picture: its texture keeps its old one and stays selected.
    void Fail(std::size_t index);
    /// Called with a texture's catalog index whenever its thumbnail is taken or it is
    /// deselected, so a window can repaint it at once.
    void SetChangeHandler(std::function<void(int texture)> handler) {
        m_changed = std::move(handler);
    }
    /// Ends the batch: pictures after the first missing one are dropped; textures without
    /// tasks that come before it are deselected as the one-at-a-time run would have.
    void Finish();
    /// Tasks taken so far (in order).
    std::size_t Taken() const { return m_taken; }
    bool IsComplete() const { return m_taken == m_tasks.size(); }
    /// Textures that have tasks, and how many of them are through (every task taken or failed).
    std::size_t TextureTotal() const { return m_tasksOfTexture.size() - m_withoutTasks; }
    std::size_t TexturesThrough() const;
    /// Textures all of whose thumbnails were taken, and the catalog indices of those with a
    /// failed task, in catalog order.
    std::size_t TexturesRendered() const;
    std::vector<int> FailedTextures() const;
    /// A picture a taken task replaced: the task's index and the former picture.
    struct Replaced {
        std::size_t task;
        Bitmap picture;
    };
    /// The pictures the taken tasks replaced, in task order (moved out, so they can be put back).
    std::vector<Replaced> TakeReplaced() { return std::move(m_replaced); }

private:
    void TakeReady();
    void DeselectThrough(std::size_t textureOrder);

    Catalog& m_catalog;
    std::vector<int> m_textures; ///< selected textures in order
    std::vector<ThumbnailTask> m_tasks;
    std::vector<std::size_t> m_taskTexture; ///< position in m_textures of each task's texture
    std::vector<Bitmap> m_pictures;
    std::vector<Replaced> m_replaced;
    std::vector<bool> m_arrived;
    std::vector<bool> m_failed;
    std::vector<std::size_t> m_tasksOfTexture;  ///< number of tasks of each selected texture
    std::vector<std::size_t> m_firstTask;       ///< index of each selected texture's first task
    std::vector<std::size_t> m_withTasksBefore; ///< textures with tasks before each position
    std::size_t m_withoutTasks = 0;
    std::function<void(int)> m_changed;
    std::size_t m_taken = 0;
    std::size_t m_deselected = 0; ///< textures deselected so far (a prefix of m_textures)
};
