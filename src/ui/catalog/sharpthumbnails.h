#pragma once

#include "core/model/texture.h"
#include "ui/catalog/thumbnaildiskcache.h"

#include <QImage>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class PictureRender;
class RenderQueue;

/// Thumbnails larger than the catalog's own, for cells drawn at more pixels than those have:
/// taken from the disk cache, or rendered in the background when it has none yet. Only a few
/// render at a time, each picture once; a request whose textures have all left the sight before
/// its turn is forgotten.
class SharpThumbnails : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxRunning = 2;

    explicit SharpThumbnails(ThumbnailDiskCache disk = ThumbnailDiskCache(),
                             QObject* parent = nullptr);
    ~SharpThumbnails() override;

    /// Where renders go; without a queue requests wait.
    void SetQueue(RenderQueue* queue);
    /// Whether texture `id` is still in sight, asked before its render starts.
    void SetInSight(std::function<bool(TextureId)> inSight) { m_inSight = std::move(inSight); }

    /// The picture of `texture` `size` pixels large (its thumbnail's shape at that size), null
    /// when the disk has none yet: it is then rendered, unless it was asked for already.
    QImage Find(const Texture& texture, QSize size);
    /// Requests waiting for their turn, and renders going on.
    int Waiting() const { return static_cast<int>(m_waiting.size()); }
    int Running() const { return static_cast<int>(m_running.size()); }

signals:
    /// A render of `size` pixels was asked for.
    void requested(const QString& key, QSize size);
    /// The picture of texture `id` is on disk now.
    void arrived(TextureId id);
    /// Texture `id`'s request was forgotten: the next time it is drawn, it is asked for again.
    void forgotten(TextureId id);

private:
    struct Request {
        QString key;
        QSize size;
        std::vector<TextureId> ids;
        std::unique_ptr<PictureRender> render;
    };

    void StartNext();
    void Ended(Request* request);

    ThumbnailDiskCache m_disk;
    RenderQueue* m_queue = nullptr;
    std::function<bool(TextureId)> m_inSight;
    QSet<QString> m_asked; ///< waiting, running, or rendered (successfully or not)
    std::deque<std::unique_ptr<Request>> m_waiting;
    std::vector<std::unique_ptr<Request>> m_running;
};
