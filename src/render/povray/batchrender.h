#pragma once

#include "render/povray/renderprogress.h"
#include "render/povray/renderresult.h"

class PovRayRunner;
class ThumbnailBatch;

/// Renders the thumbnails of a batch. With one job each render runs on its own, with its own
/// progress report; with more, up to `jobs` POV-Ray processes run side by side, each in a
/// folder of its own. Either way the sink hears of the whole batch (BatchBegun, BatchProgress,
/// BatchEnded with the summary) and the catalog ends in the same state: pictures are taken in
/// order; a texture POV-Ray cannot render stays selected and the batch goes on; a stop, or a
/// failure that would fail every render (POV-Ray cannot be started, a file cannot be written),
/// ends the batch there. Returns what ended it, else the first texture's failure, else Ok.
RenderResult RenderThumbnailBatch(PovRayRunner& runner, ThumbnailBatch& batch, int jobs,
                                  RenderProgressSink& sink);
