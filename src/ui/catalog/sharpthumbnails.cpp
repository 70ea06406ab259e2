#include "ui/catalog/sharpthumbnails.h"

#include "paint/bitmapimage.h"
#include "render/povray/picturerender.h"

#include <algorithm>
#include <utility>

SharpThumbnails::SharpThumbnails(ThumbnailDiskCache disk, QObject* parent)
    : QObject(parent), m_disk(std::move(disk)) {}

SharpThumbnails::~SharpThumbnails() {
    for (const auto& request : m_running)
        disconnect(request->render.get(), nullptr, this, nullptr);
}

void SharpThumbnails::SetQueue(RenderQueue* queue) {
    m_queue = queue;
    StartNext();
}

QImage SharpThumbnails::Find(const Texture& texture, QSize size) {
    const int side = ThumbnailDiskCache::SizeFor(std::max(size.width(), size.height()));
    const QString key = ThumbnailDiskCache::Key(texture, size);
    auto sameKey = [&key](const auto& request) { return request->key == key; };
    Request* pending = nullptr;
    if (const auto waiting = std::find_if(m_waiting.begin(), m_waiting.end(), sameKey);
        waiting != m_waiting.end())
        pending = waiting->get();
    else if (const auto running = std::find_if(m_running.begin(), m_running.end(), sameKey);
             running != m_running.end())
        pending = running->get();
    if (pending) {
        if (std::find(pending->ids.begin(), pending->ids.end(), texture.GetId()) ==
            pending->ids.end())
            pending->ids.push_back(texture.GetId());
        return {};
    }
    if (m_asked.contains(key))
        return m_disk.Find(key, side); // rendered since, or not to be had this session
    QImage picture = m_disk.Find(key, side);
    if (!picture.isNull())
        return picture;
    m_asked.insert(key);
    m_waiting.push_back(std::make_unique<Request>(
        Request{key,
                size,
                {texture.GetId()},
                std::make_unique<PictureRender>(texture, size.width(), size.height())}));
    emit requested(key, size);
    StartNext();
    return {};
}

void SharpThumbnails::StartNext() {
    while (m_queue && !m_waiting.empty() && Running() < kMaxRunning) {
        std::unique_ptr<Request> request = std::move(m_waiting.front());
        m_waiting.pop_front();
        if (m_inSight && std::none_of(request->ids.begin(), request->ids.end(), m_inSight)) {
            m_asked.remove(request->key);
            for (TextureId id : request->ids)
                emit forgotten(id);
            continue;
        }
        Request* started = request.get();
        m_running.push_back(std::move(request));
        connect(started->render.get(), &QueuedRender::finished, this,
                [this, started] { Ended(started); });
        started->render->Start(*m_queue);
    }
}

void SharpThumbnails::Ended(Request* request) {
    const auto found =
        std::find_if(m_running.begin(), m_running.end(),
                     [request](const auto& running) { return running.get() == request; });
    if (found == m_running.end())
        return;
    const std::unique_ptr<Request> ended = std::move(*found);
    m_running.erase(found);
    if (ended->render->Result().Succeeded()) {
        const int side =
            ThumbnailDiskCache::SizeFor(std::max(ended->size.width(), ended->size.height()));
        if (m_disk.Store(ended->key, side, BitmapToImage(ended->render->Picture())))
            for (TextureId id : ended->ids)
                emit arrived(id);
    }
    ended->render.release()->deleteLater();
    StartNext();
}
