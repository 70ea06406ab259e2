#include "fakeappservices.h"

#include "core/model/texture.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/renderqueue.h"

FakeAppServices::FakeAppServices() {
    // The Preview renders only when a test asks for it (tests of the live Preview turn it on).
    settings.autoPreview = false;
}

FakeAppServices::~FakeAppServices() = default;

PovRayRunner& FakeAppServices::Runner() {
    if (!m_runner)
        m_runner = std::make_unique<PovRayRunner>(settings, m_shapes);
    return *m_runner;
}

RenderQueue& FakeAppServices::Renders() {
    if (!m_queue)
        m_queue =
            std::make_unique<RenderQueue>(Runner(), [this] { return settings.parallelRenders; });
    return *m_queue;
}
