#pragma once

#include "render/povray/renderprogress.h"
#include "render/povray/renderresult.h"

class PovRayRunner;
class ThumbnailBatch;

/// Renders the thumbnails of a batch. With one job each render runs on its own, with its own
/// progress report; with more, up to `jobs` POV-Ray processes run side by side, each in a
/// folder of its own, and the progress report covers the whole batch. Either way the catalog
/// ends in the same state: pictures are taken in order and the batch ends at the first render
/// that fails or is stopped, whose result is returned.
RenderResult RenderThumbnailBatch(PovRayRunner& runner, ThumbnailBatch& batch, int jobs, RenderProgressSink& sink);
