#pragma once

#include "core/shapes/builtinshapes.h"
#include "render/povray/povrayrunner.h"
#include "render/settings/programsettings.h"
#include "ui/dialogs/renderprogressdialog.h"
#include "ui/framework/appservices.h"

/// The program's services as one window uses them, with the real progress dialog and no
/// editors, for benchmarks that run a window without the whole program.
class BenchServices : public AppServices {
public:
    BenchServices() : m_runner(settings, m_shapes) { m_shapes = BuiltinShapes(); }
    ProgramSettings& Settings() override { return settings; }
    void SaveSettings() override {}
    PovRayRunner& Runner() override { return m_runner; }
    std::unique_ptr<RenderProgressSink> MakeProgress(QWidget* parent) override {
        return std::make_unique<RenderProgressDialog>(parent);
    }
    TextureCopyList& CopyList() override { return m_copies; }
    ShapeList& Shapes() override { return m_shapes; }
    NamedColorList& NamedColors() override { return m_colors; }
    Document* NewTextureMap() override { return nullptr; }
    void ShowHelp(int) override {}
    TextureEditors* Editors() override { return nullptr; }

    ProgramSettings settings;

private:
    ShapeList m_shapes;
    TextureCopyList m_copies;
    NamedColorList m_colors;
    PovRayRunner m_runner;
};
