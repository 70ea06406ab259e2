#pragma once

// What the benchmarks share: the heap in use, and the program's services for a window run
// without the whole program.

#include "core/catalog/catalog.h"
#include "core/shapes/builtinshapes.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/renderqueue.h"
#include "render/settings/programsettings.h"
#include "ui/framework/appservices.h"

#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>

/// The heap in use, in megabytes.
inline double HeapMegabytes() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

/// Saves `catalog` as `path`, or ends the benchmark when it cannot.
inline void SaveCatalogOrExit(const Catalog& catalog, const QString& path) {
    const std::vector<std::uint8_t> bytes = catalog.Save();
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

/// The program's services as one window uses them, with the real render queue and no
/// editors, for benchmarks that run a window without the whole program.
class BenchServices : public AppServices {
public:
    BenchServices()
        : m_runner(settings, m_shapes),
          m_queue(m_runner, [this] { return settings.parallelRenders; }) {
        m_shapes = BuiltinShapes();
    }
    ProgramSettings& Settings() override { return settings; }
    void SaveSettings() override {}
    PovRayRunner& Runner() { return m_runner; }
    RenderQueue& Renders() override { return m_queue; }
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
    RenderQueue m_queue;
};
