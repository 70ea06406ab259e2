#include "core/catalog/catalog.h"
#include "core/catalog/thumbnailbatch.h"
#include "texturefactory.h"

#include <gtest/gtest.h>

namespace {

using Ending = ThumbnailBatch::Ending;

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

TEST(ThumbnailBatch, SelectedTexturesInCatalogOrderWithTheirCaptionsAndSizes) {
    Catalog catalog;
    for (const char* name : {"A", "B", "C"})
        catalog.AddTexture(MakeTexture(name));
    catalog.AddTexture(Layered("L", 2));
    catalog.Select(3);
    catalog.Select(0);
    catalog.Select(2);
    ThumbnailBatch batch(catalog, true, true);
    EXPECT_EQ(Captions(batch),
              (std::vector<std::string>{"Rendering texture 1 of 3", "Rendering texture 2 of 3",
                                        "Rendering texture 3 of 3",
                                        "Rendering thumbnail 3 of 3 (Layer 1 of 2)",
                                        "Rendering thumbnail 3 of 3 (Layer 2 of 2)"}));
    ASSERT_EQ(batch.Members().size(), 3u);
    EXPECT_EQ(batch.Members()[1].index, 2);
    EXPECT_EQ(batch.Members()[1].name, "C");
    EXPECT_EQ(batch.Members()[2].id, catalog.GetTexture(3).GetId());
    EXPECT_EQ(batch.Members()[2].firstTask, 2u);
    EXPECT_EQ(batch.Members()[2].taskCount, 3u);
    EXPECT_EQ(batch.Tasks()[2].width, 120);
    EXPECT_EQ(batch.Tasks()[3].width, 100);
    EXPECT_EQ(batch.Tasks()[4].height, 100);
    EXPECT_EQ(batch.Tasks()[4].member, 2u);
    EXPECT_EQ(batch.Tasks()[4].layer, 1);

    // Given indices instead of the selection: composites only.
    const std::vector<int> indices{1, 3};
    ThumbnailBatch chosen(catalog, indices, true, false);
    EXPECT_EQ(Captions(chosen),
              (std::vector<std::string>{"Rendering texture 1 of 2", "Rendering texture 2 of 2"}));
}

TEST(ThumbnailBatch, LayersOnlyGivesSimpleTexturesNoTasksAndDoesNotCountThem) {
    Catalog catalog;
    catalog.AddTexture(MakeTexture("S1"));
    catalog.AddTexture(Layered("L", 1));
    catalog.AddTexture(MakeTexture("S2"));
    catalog.SelectAll();
    ThumbnailBatch batch(catalog, false, true);
    ASSERT_EQ(batch.Tasks().size(), 1u);
    EXPECT_EQ(batch.Tasks()[0].caption, "Rendering thumbnail 2 of 3 (Layer 1 of 1)");
    EXPECT_EQ(batch.Members()[0].taskCount, 0u);
    EXPECT_FALSE(batch.IsThrough(0)) << "a texture without tasks is never rendered";
    EXPECT_EQ(batch.TextureTotal(), 1u);
    EXPECT_TRUE(batch.End(0, Ending::Rendered));
    EXPECT_TRUE(batch.IsComplete());
    EXPECT_EQ(batch.TexturesRendered(), 1u);
}

TEST(ThumbnailBatch, TasksEndInAnyOrderAndATextureIsThroughWithItsLastTask) {
    // A layered texture whose second layer fails, between two simple textures, one of which
    // fails and one whose texture was deleted meanwhile.
    Catalog catalog;
    catalog.AddTexture(MakeTexture("A"));
    catalog.AddTexture(Layered("L", 2));
    catalog.AddTexture(MakeTexture("B"));
    catalog.AddTexture(MakeTexture("C"));
    catalog.SelectAll();
    ThumbnailBatch batch(catalog, true, true);
    ASSERT_EQ(batch.Tasks().size(), 6u);
    EXPECT_EQ(batch.TextureTotal(), 4u);

    EXPECT_TRUE(batch.End(5, Ending::Rendered)); // C, out of order
    EXPECT_TRUE(batch.IsThrough(3));
    EXPECT_FALSE(batch.End(2, Ending::Rendered)); // L's first layer: L waits for the rest
    EXPECT_FALSE(batch.End(1, Ending::Rendered));
    EXPECT_FALSE(batch.IsThrough(1));
    EXPECT_TRUE(batch.End(3, Ending::Failed));
    EXPECT_TRUE(batch.End(0, Ending::Failed));
    EXPECT_EQ(batch.TexturesThrough(), 3u);
    EXPECT_FALSE(batch.IsComplete());
    // A task ends once: a late second report changes nothing.
    EXPECT_FALSE(batch.End(0, Ending::Rendered));
    EXPECT_EQ(batch.EndingOf(0), Ending::Failed);
    EXPECT_TRUE(batch.End(4, Ending::Dropped));

    EXPECT_TRUE(batch.IsComplete());
    EXPECT_EQ(batch.TexturesRendered(), 1u);
    EXPECT_EQ(batch.FailedMembers(), (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(batch.DroppedMembers(), (std::vector<std::size_t>{2}));
}

TEST(ThumbnailBatch, SubjectsAreTheTextureOrOneOfItsLayers) {
    LayeredTexture layered = Layered("L", 2);
    SimpleTexture simple = MakeTexture("S");
    EXPECT_EQ(ThumbnailSubject(layered, -1), &layered);
    EXPECT_EQ(ThumbnailSubject(layered, 1), layered.GetLayer(1));
    EXPECT_EQ(ThumbnailSubject(layered, 2), nullptr);
    EXPECT_EQ(ThumbnailSubject(simple, 0), nullptr);
}

TEST(TextureIds, CopiesStandForTheSameTextureAndNewOnesDoNot) {
    SimpleTexture first = MakeTexture("A");
    SimpleTexture second = MakeTexture("A");
    EXPECT_NE(first.GetId(), second.GetId());
    const auto copy = first.Clone();
    EXPECT_EQ(copy->GetId(), first.GetId());
    second = first;
    EXPECT_EQ(second.GetId(), first.GetId());
    copy->TakeNewId();
    EXPECT_NE(copy->GetId(), first.GetId());
    EXPECT_NE(copy->GetId(), second.GetId());
    // Layers are textures of their own.
    LayeredTexture layered = Layered("L", 2);
    EXPECT_NE(layered.GetLayer(0)->GetId(), layered.GetLayer(1)->GetId());
    EXPECT_EQ(layered.Clone()->GetId(), layered.GetId());
}
