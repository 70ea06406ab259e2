#include "core/catalog/catalog.h"
#include "core/catalog/thumbnailbatch.h"
#include "texturefactory.h"

#include <gtest/gtest.h>

namespace {

Bitmap Picture(int size, std::uint8_t value) {
    Bitmap dib;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(size * size * 3), value);
    dib.SetBits(size, size, pixels, false);
    return dib;
}

LayeredTexture Layered(const std::string& name, int layers) {
    LayeredTexture texture;
    texture.SetName(name);
    for (int i = 0; i < layers; ++i)
        texture.AddLayer(MakeTexture(name + " layer " + std::to_string(i)));
    return texture;
}

std::vector<std::string> Captions(const ThumbnailBatch& batch) {
    std::vector<std::string> captions;
    for (const auto& task : batch.Tasks())
        captions.push_back(task.caption);
    return captions;
}

} // namespace

TEST(ThumbnailBatch, ThreeSimpleTexturesInOrder) {
    Catalog catalog;
    for (const char* name : {"A", "B", "C"})
        catalog.AddTexture(MakeTexture(name));
    catalog.SelectAll();
    ThumbnailBatch batch(catalog, true, true);
    EXPECT_EQ(Captions(batch),
              (std::vector<std::string>{"Rendering texture 1 of 3", "Rendering texture 2 of 3",
                                        "Rendering texture 3 of 3"}));
    for (std::size_t i = 0; i < 3; ++i)
        batch.Complete(i, Picture(120, static_cast<std::uint8_t>(i)));
    batch.Finish();
    EXPECT_EQ(catalog.GetSelectedCount(), 0);
    EXPECT_EQ(catalog.GetTexture(2).GetThumbnailWidth(), 120);
}

TEST(ThumbnailBatch, LayeredTextureWithBothCompositeAndLayers) {
    Catalog catalog;
    catalog.AddTexture(Layered("L", 2));
    catalog.Select(0);
    ThumbnailBatch batch(catalog, true, true);
    EXPECT_EQ(Captions(batch),
              (std::vector<std::string>{"Rendering texture 1 of 1",
                                        "Rendering thumbnail 1 of 1 (Layer 1 of 2)",
                                        "Rendering thumbnail 1 of 1 (Layer 2 of 2)"}));
    EXPECT_EQ(batch.Tasks()[0].width, 120);
    EXPECT_EQ(batch.Tasks()[1].width, 100);
    EXPECT_EQ(batch.Tasks()[2].height, 100);
    EXPECT_EQ(&batch.Subject(2), static_cast<LayeredTexture&>(catalog.GetTexture(0)).GetLayer(1));
}

TEST(ThumbnailBatch, LayersOnlySkipsButDeselectsSimpleTextures) {
    Catalog catalog;
    catalog.AddTexture(MakeTexture("S1"));
    catalog.AddTexture(Layered("L", 1));
    catalog.AddTexture(MakeTexture("S2"));
    catalog.SelectAll();
    ThumbnailBatch batch(catalog, false, true);
    ASSERT_EQ(batch.Tasks().size(), 1u);
    EXPECT_EQ(batch.Tasks()[0].caption, "Rendering thumbnail 2 of 3 (Layer 1 of 1)");
    batch.Complete(0, Picture(100, 9));
    batch.Finish();
    EXPECT_EQ(catalog.GetSelectedCount(), 0);
    EXPECT_EQ(catalog.GetTexture(0).GetThumbnailWidth(), 0); // not rendered
}

TEST(ThumbnailBatch, PicturesArrivingOutOfOrderAreTakenInOrder) {
    Catalog catalog;
    for (const char* name : {"A", "B", "C", "D"})
        catalog.AddTexture(MakeTexture(name));
    catalog.SelectAll();
    ThumbnailBatch batch(catalog, true, true);
    batch.Complete(2, Picture(120, 3));
    EXPECT_EQ(batch.Taken(), 0u);
    EXPECT_EQ(catalog.GetTexture(2).GetThumbnailWidth(), 0);
    EXPECT_EQ(catalog.GetSelectedCount(), 4);
    batch.Complete(0, Picture(120, 1));
    EXPECT_EQ(batch.Taken(), 1u);
    EXPECT_FALSE(catalog.IsSelected(0));
    EXPECT_TRUE(catalog.IsSelected(1));
    batch.Complete(1, Picture(120, 2));
    EXPECT_EQ(batch.Taken(), 3u);
    EXPECT_EQ(catalog.GetSelectedIndices(), std::vector<int>{3});
}

TEST(ThumbnailBatch, EndingEarlyKeepsWhatCameBeforeTheStop) {
    // Stop during the second of four textures, with the fourth already rendered side by side.
    Catalog catalog;
    for (const char* name : {"A", "B", "C", "D"})
        catalog.AddTexture(MakeTexture(name));
    catalog.SelectAll();
    ThumbnailBatch batch(catalog, true, true);
    batch.Complete(0, Picture(120, 1));
    batch.Complete(3, Picture(120, 4));
    batch.Finish();
    EXPECT_EQ(catalog.GetTexture(0).GetThumbnailWidth(), 120);
    EXPECT_EQ(catalog.GetTexture(3).GetThumbnailWidth(), 0); // dropped, as one at a time
    EXPECT_EQ(catalog.GetSelectedIndices(), (std::vector<int>{1, 2, 3}));
}

TEST(ThumbnailBatch, StopInTheLayersKeepsTheCompositeAndTheSelection) {
    Catalog catalog;
    catalog.AddTexture(Layered("L", 3));
    catalog.AddTexture(MakeTexture("S"));
    catalog.SelectAll();
    ThumbnailBatch batch(catalog, true, true);
    batch.Complete(0, Picture(120, 1));
    batch.Complete(1, Picture(100, 2));
    batch.Finish();
    auto& layered = static_cast<LayeredTexture&>(catalog.GetTexture(0));
    EXPECT_EQ(layered.GetThumbnailWidth(), 120);
    EXPECT_EQ(layered.GetLayer(0)->GetThumbnailWidth(), 100);
    EXPECT_EQ(layered.GetLayer(1)->GetThumbnailWidth(), 0);
    EXPECT_EQ(catalog.GetSelectedIndices(), (std::vector<int>{0, 1}));
}

TEST(ThumbnailBatch, StopBeforeTheFirstTaskStillDeselectsTexturesWithoutTasks) {
    Catalog catalog;
    catalog.AddTexture(MakeTexture("S"));
    catalog.AddTexture(Layered("L", 1));
    catalog.SelectAll();
    ThumbnailBatch batch(catalog, false, true);
    batch.Finish();
    EXPECT_EQ(catalog.GetSelectedIndices(), std::vector<int>{1});
}

TEST(ThumbnailBatch, AFailedTaskLeavesItsTextureSelectedAndTheOthersGoOn) {
    // A layered texture whose second layer fails, between two simple textures, one of which fails.
    Catalog catalog;
    catalog.AddTexture(MakeTexture("A"));
    catalog.AddTexture(Layered("L", 2));
    catalog.AddTexture(MakeTexture("B"));
    catalog.AddTexture(MakeTexture("C"));
    catalog.SelectAll();
    ThumbnailBatch batch(catalog, true, true);
    std::vector<int> changed;
    batch.SetChangeHandler([&](int texture) { changed.push_back(texture); });
    ASSERT_EQ(batch.Tasks().size(), 6u);
    EXPECT_EQ(batch.TextureTotal(), 4u);

    batch.Fail(0);
    EXPECT_EQ(batch.TexturesThrough(), 1u);
    batch.Complete(1, Picture(120, 1));
    batch.Complete(2, Picture(100, 2));
    batch.Fail(3);
    batch.Complete(5, Picture(120, 5)); // out of order: waits for task 4
    EXPECT_EQ(batch.TexturesThrough(), 2u);
    batch.Complete(4, Picture(120, 4));
    batch.Finish();

    EXPECT_EQ(catalog.GetSelectedIndices(), (std::vector<int>{0, 1}));
    EXPECT_EQ(catalog.GetTexture(0).GetThumbnailWidth(), 0);
    auto& layered = static_cast<LayeredTexture&>(catalog.GetTexture(1));
    EXPECT_EQ(layered.GetThumbnailWidth(), 120); // what did render is kept
    EXPECT_EQ(layered.GetLayer(0)->GetThumbnailWidth(), 100);
    EXPECT_EQ(layered.GetLayer(1)->GetThumbnailWidth(), 0);
    EXPECT_EQ(catalog.GetTexture(3).GetThumbnailWidth(), 120);
    EXPECT_EQ(batch.TexturesThrough(), 4u);
    EXPECT_EQ(batch.TexturesRendered(), 2u);
    EXPECT_EQ(batch.FailedTextures(), (std::vector<int>{0, 1}));
    // Every picture taken and every deselection is announced, in order.
    EXPECT_EQ(changed, (std::vector<int>{1, 1, 2, 2, 3, 3}));
}

TEST(ThumbnailBatch, TexturesWithoutTasksAreNotCounted) {
    Catalog catalog;
    catalog.AddTexture(MakeTexture("S"));
    catalog.AddTexture(Layered("L", 1));
    catalog.SelectAll();
    ThumbnailBatch batch(catalog, false, true);
    EXPECT_EQ(batch.TextureTotal(), 1u);
    EXPECT_EQ(batch.TexturesThrough(), 0u);
    batch.Complete(0, Picture(100, 1));
    EXPECT_EQ(batch.TexturesThrough(), 1u);
    EXPECT_EQ(batch.TexturesRendered(), 1u);
}
