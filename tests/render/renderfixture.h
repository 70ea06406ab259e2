#pragma once

#include "core/shapes/builtinshapes.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/renderprogress.h"
#include "render/settings/programsettings.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

/// Records what a render reports, and can act when POV-Ray has started.
class RecordingSink : public RenderProgressSink {
public:
    void Begin(const QString& caption) override { captions.push_back(caption); }
    void Started(std::function<void()> stop) override {
        this->stop = std::move(stop);
        if (onStarted)
            onStarted();
    }
    void SetCaption(const QString& caption) override { captions.push_back(caption); }
    void Progress(int percent) override {
        percents.push_back(percent);
        if (onProgress)
            onProgress(percent);
    }
    void End() override {
        ++ends;
        stop = nullptr;
    }
    void Notice(const QString& title, const QString& text) override {
        notices.push_back(title + ": " + text);
    }
    void Status(const QString& text) override { statuses.push_back(text); }
    void BatchBegun(int textures) override { batchTotals.push_back(textures); }
    void BatchProgress(const BatchStatus& status) override { batchStatuses.push_back(status); }
    void BatchEnded(const BatchSummary& summary) override { summaries.push_back(summary); }

    std::vector<QString> captions;
    std::vector<int> percents;
    std::vector<QString> notices;
    std::vector<QString> statuses;
    int ends = 0;
    std::vector<int> batchTotals;
    std::vector<BatchStatus> batchStatuses;
    std::vector<BatchSummary> summaries;
    std::function<void()> stop;
    std::function<void()> onStarted;
    std::function<void(int)> onProgress;
};

/// A program directory of its own, the real POV-Ray and the built-in shapes.
class RenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_settings.programDirectory = m_dir.path();
        ASSERT_FALSE(m_settings.EffectivePovExecutable().isEmpty()) << "povray must be installed";
        m_shapes = BuiltinShapes();
        m_runner = std::make_unique<PovRayRunner>(m_settings, m_shapes);
    }
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    /// A shell script standing in for POV-Ray.
    QString FakePovRay(const QString& body);

    QTemporaryDir m_dir;
    ProgramSettings m_settings;
    ShapeList m_shapes;
    std::unique_ptr<PovRayRunner> m_runner;
};

/// True when not every pixel of the bitmap has the same colour.
bool HasDetail(const Bitmap& dib);
