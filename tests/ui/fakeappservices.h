#pragma once

#include "render/settings/programsettings.h"
#include "ui/framework/appservices.h"

#include <functional>
#include <memory>
#include <vector>

class PovRayRunner;

/// The application as dialogs, editors and commands see it in the tests: settings kept in
/// memory (the last saved ones in `saved`), shapes and named colours of the test's choosing,
/// the real POV-Ray behind a queue of its own, and a record of help pages and shown progress.
class FakeAppServices : public AppServices {
public:
    FakeAppServices();
    ~FakeAppServices() override;

    ProgramSettings& Settings() override { return settings; }
    void SaveSettings() override {
        ++saves;
        saved = settings;
    }
    PovRayRunner& Runner();
    RenderQueue& Renders() override;
    void ShowProgress(QueuedRender& render) override { shownProgress.push_back(&render); }
    TextureCopyList& CopyList() override { return m_copies; }
    ShapeList& Shapes() override { return m_shapes; }
    NamedColorList& NamedColors() override { return namedColors; }
    /// What `newTextureMap` makes, or none.
    Document* NewTextureMap() override { return newTextureMap ? newTextureMap() : nullptr; }
    void ShowHelp(int context) override { helpContexts.push_back(context); }
    TextureEditors* Editors() override { return nullptr; }

    ProgramSettings settings;
    ProgramSettings saved;
    int saves = 0;
    NamedColorList namedColors;
    std::vector<int> helpContexts;
    std::vector<const QueuedRender*> shownProgress;
    std::function<Document*()> newTextureMap;

private:
    ShapeList m_shapes;
    TextureCopyList m_copies;
    std::unique_ptr<PovRayRunner> m_runner;
    std::unique_ptr<RenderQueue> m_queue;
};
