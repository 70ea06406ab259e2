#include "core/catalog/catalog.h"
#include "core/catalog/exportsource.h"
#include "testsupport.h"
#include "texturefactory.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

const std::string kSingleClass =
    "FF FF 01 00 15 00 43 4D 61 74 65 72 69 61 6C 53 69 6E 67 6C 65 4F 62 6A 65 63 74";
const std::string kMultipleClass =
    "FF FF 01 00 17 00 43 4D 61 74 65 72 69 61 6C 4D 75 6C 74 69 70 6C 65 4F 62 6A 65 63 74";

std::vector<std::uint8_t> Fields(Storable& object) {
    Archive ar;
    object.Serialize(ar);
    return ar.Bytes();
}

void Append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& bytes) {
    to.insert(to.end(), bytes.begin(), bytes.end());
}

Catalog CatalogOf(std::initializer_list<const char*> names) {
    Catalog catalog;
    for (const char* name : names)
        catalog.AddTexture(MakeTexture(name));
    return catalog;
}

std::vector<std::string> Names(const Catalog& catalog) {
    std::vector<std::string> names;
    for (int i = 0; i < catalog.GetCount(); ++i)
        names.push_back(catalog.GetTexture(i).GetName());
    return names;
}

} // namespace

TEST(CatalogFile, EmptyCatalogIsThreeBytes) {
    EXPECT_EQ(Catalog().Save(), HexBytes("01 00 00"));
}

TEST(CatalogFile, ThreeSimpleTexturesShareOneClassRecord) {
    Catalog catalog = CatalogOf({"A", "B", "C"});
    std::vector<std::uint8_t> expected = HexBytes("01 03 00 " + kSingleClass);
    for (int i = 0; i < 3; ++i) {
        if (i > 0)
            Append(expected, HexBytes("01 80"));
        Append(expected, Fields(catalog.GetTexture(i)));
    }
    EXPECT_EQ(ToHex(catalog.Save(), 100000), ToHex(expected, 100000));
}

TEST(CatalogFile, SimpleThenLayeredUseClassIndicesOneAndThree) {
    Catalog catalog;
    catalog.AddTexture(MakeTexture("Simple"));
    LayeredTexture layered;
    layered.AddLayer(MakeTexture("Layer", Pigment::Wood));
    catalog.AddTexture(layered);
    catalog.AddTexture(layered);
    std::vector<std::uint8_t> expected = HexBytes("01 03 00 " + kSingleClass);
    Append(expected, Fields(catalog.GetTexture(0)));
    Append(expected, HexBytes(kMultipleClass));
    Append(expected, Fields(catalog.GetTexture(1)));
    Append(expected, HexBytes("03 80"));
    Append(expected, Fields(catalog.GetTexture(2)));
    EXPECT_EQ(ToHex(catalog.Save(), 100000), ToHex(expected, 100000));
}

TEST(CatalogFile, RandomCatalogsRoundTripByteForByte) {
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        TextureFactory factory(seed);
        Catalog catalog = factory.MakeCatalog(static_cast<int>(seed % 9));
        const auto bytes = catalog.Save();
        Catalog loaded;
        ASSERT_FALSE(loaded.Load(bytes).has_value()) << "seed " << seed;
        ASSERT_EQ(loaded.GetCount(), catalog.GetCount());
        EXPECT_EQ(loaded.Save(), bytes) << "seed " << seed;
        for (int i = 0; i < catalog.GetCount(); ++i)
            EXPECT_EQ(loaded.GetTexture(i).GetSource(SourceFlag::Declare),
                      catalog.GetTexture(i).GetSource(SourceFlag::Declare));
    }
}

TEST(CatalogFile, LargeCountsUseTheLongCountForm) {
    Catalog catalog;
    const SimpleTexture texture = MakeTexture("T");
    for (int i = 0; i < 65535; ++i)
        catalog.AddTexture(texture);
    const auto bytes = catalog.Save();
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 7),
              HexBytes("01 FF FF FF FF 00 00"));
    Catalog loaded;
    ASSERT_FALSE(loaded.Load(bytes).has_value());
    EXPECT_EQ(loaded.GetCount(), 65535);
    EXPECT_EQ(loaded.Save(), bytes);
}

TEST(CatalogFile, FirstByteIsNotExamined) {
    auto bytes = CatalogOf({"A"}).Save();
    bytes[0] = 0x7E;
    Catalog loaded;
    EXPECT_FALSE(loaded.Load(bytes).has_value());
    EXPECT_EQ(loaded.GetCount(), 1);
}

TEST(CatalogFile, EveryTruncationIsRefusedAndLeavesTheCatalogAlone) {
    TextureFactory factory(7);
    Catalog source = factory.MakeCatalog(5, 6);
    const auto bytes = source.Save();
    Catalog target = CatalogOf({"Keep", "Me"});
    target.Select(1);
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        const auto error = target.Load(std::span(bytes.data(), length));
        ASSERT_TRUE(error.has_value()) << "prefix " << length;
    }
    EXPECT_EQ(Names(target), (std::vector<std::string>{"Keep", "Me"}));
    EXPECT_TRUE(target.IsSelected(1));
}

TEST(CatalogFile, RefusesWhatTheProgramNeverWrites) {
    const auto valid = CatalogOf({"A"}).Save();
    auto withCount = [&](const std::string& count, const std::string& tail) {
        auto bytes = HexBytes("01 " + count);
        Append(bytes, std::vector<std::uint8_t>(valid.begin() + 3, valid.end()));
        Append(bytes, HexBytes(tail));
        return bytes;
    };
    Catalog catalog;
    EXPECT_EQ(catalog.Load(withCount("02 00", "00 00")),
              ArchiveError::UnexpectedObject); // null entry
    EXPECT_EQ(catalog.Load(withCount("02 00", "02 00")),
              ArchiveError::UnexpectedObject); // shared entry
    EXPECT_EQ(catalog.Load(HexBytes("01 01 00 FF FF 01 00 09 00 43 43 6F 6C 6F 72 4D 61 70 00")),
              ArchiveError::UnexpectedObject); // a colour map
    EXPECT_EQ(catalog.Load(HexBytes("01 01 00 FF FF 01 00 04 00 43 44 49 42 00 00 00 00")),
              ArchiveError::UnexpectedObject); // a bitmap
    auto schema2 = valid;
    schema2[5] = 2;
    EXPECT_EQ(catalog.Load(schema2), ArchiveError::BadSchema);
    auto unknown = valid;
    unknown[9] = 'X';
    EXPECT_EQ(catalog.Load(unknown), ArchiveError::BadClass);
    EXPECT_EQ(catalog.GetCount(), 0);
}

TEST(CatalogFile, RandomByteFlipsNeverCrash) {
    TextureFactory factory(99);
    const auto valid = factory.MakeCatalog(6, 8).Save();
    std::mt19937 random(2024);
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        auto bytes = valid;
        const int flips = 1 + round % 4;
        for (int f = 0; f < flips; ++f)
            bytes[random() % bytes.size()] ^= static_cast<std::uint8_t>(1u << (random() % 8));
        Catalog catalog;
        if (catalog.Load(bytes))
            ++refused;
        else
            catalog.Save(); // whatever loaded must also save
    }
    EXPECT_GT(refused, 0);
}

TEST(CatalogFile, LoadClearsSelectionAndModifiedFlag) {
    const auto bytes = CatalogOf({"A", "B"}).Save();
    Catalog catalog = CatalogOf({"X", "Y", "Z"});
    catalog.SelectAll();
    ASSERT_FALSE(catalog.Load(bytes).has_value());
    EXPECT_EQ(Names(catalog), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(catalog.GetSelectedCount(), 0);
    EXPECT_FALSE(catalog.IsSelected(2));
}

TEST(CatalogFile, StoredLayeredTexturesPovRayCannotTakeAreRefusedByName) {
    struct Case {
        const char* name;
        int mode;
        int layers;
        const char* reason; ///< empty when the texture is sound
    };
    const Case cases[] = {
        {"Bare", LayeredTexture::Layers, 0, "it has no layers"},
        {"Lone Tile", LayeredTexture::Tiles, 1, "it has 1 layer, and tiles take exactly 2"},
        {"Odd", 7, 2, "its stored mode 7 is unknown"},
        {"Sound", LayeredTexture::Tiles, 2, ""},
    };
    Catalog stored;
    for (const Case& c : cases) {
        LayeredTexture layered;
        layered.SetName(c.name);
        layered.SetMode(c.mode);
        for (int i = 0; i < c.layers; ++i)
            layered.AddLayer(MakeTexture("Layer"));
        stored.AddTexture(layered);
    }
    Catalog catalog;
    ASSERT_FALSE(catalog.Load(stored.Save()).has_value());
    const std::string exported = ExportSourceText(catalog, {0, 1, 2, 3}, SourceFlag::Declare);
    for (int i = 0; i < catalog.GetCount(); ++i) {
        const Case& c = cases[i];
        SCOPED_TRACE(c.name);
        const std::string declared = "#declare " + DeclaredIdentifier(c.name) + " =";
        if (*c.reason == '\0') {
            EXPECT_EQ(catalog.GetTexture(i).GetRefusal(), "");
            EXPECT_NE(exported.find(declared + "\r\ntexture {"), std::string::npos);
            continue;
        }
        EXPECT_EQ(catalog.GetTexture(i).GetRefusal(), "The layered texture \"" +
                                                          std::string(c.name) +
                                                          "\" is refused: " + c.reason + ".");
        EXPECT_EQ(exported.find(declared), std::string::npos) << exported;
    }
}

TEST(CatalogTextures, AddCopies) {
    Catalog catalog;
    SimpleTexture texture = MakeTexture("Original");
    catalog.AddTexture(texture);
    texture.SetName("Changed");
    EXPECT_EQ(catalog.GetTexture(0).GetName(), "Original");

    LayeredTexture layered;
    layered.SetName("Layered");
    layered.SetMode(1);
    layered.AddLayer(MakeTexture("L1"));
    catalog.AddTexture(layered);
    const auto& copy = static_cast<const LayeredTexture&>(catalog.GetTexture(1));
    EXPECT_EQ(copy.GetMode(), 1);
    EXPECT_NE(copy.GetLayer(0), layered.GetLayer(0));
}

TEST(CatalogTextures, RemoveShiftsLaterTextures) {
    Catalog catalog = CatalogOf({"0", "1", "2", "3", "4"});
    catalog.RemoveTexture(2);
    EXPECT_EQ(Names(catalog), (std::vector<std::string>{"0", "1", "3", "4"}));
    catalog.RemoveTexture(4);
    catalog.RemoveTexture(-1);
    EXPECT_EQ(catalog.GetCount(), 4);
}

TEST(CatalogTextures, RemoveSelectedWalksFormerPositions) {
    Catalog catalog = CatalogOf({"0", "1", "2", "3", "4"});
    catalog.Select(1);
    catalog.Select(3);
    EXPECT_EQ(catalog.RemoveSelectedTextures(), 2);
    EXPECT_EQ(Names(catalog), (std::vector<std::string>{"0", "2", "4"}));
    EXPECT_EQ(catalog.GetSelectedCount(), 0);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(catalog.IsSelected(i));
}

TEST(CatalogSelection, SingleAllAndCounts) {
    Catalog catalog = CatalogOf({"0", "1", "2", "3"});
    EXPECT_EQ(catalog.GetSingleSelection(), -1);
    catalog.Select(2);
    catalog.Select(2);
    EXPECT_EQ(catalog.GetSelectedCount(), 1);
    EXPECT_EQ(catalog.GetSingleSelection(), 2);
    catalog.Select(0);
    EXPECT_EQ(catalog.GetSingleSelection(), -1);
    catalog.Deselect(0);
    catalog.Deselect(1); // deselecting an unselected texture changes nothing
    EXPECT_EQ(catalog.GetSelectedCount(), 1);
    catalog.SelectAll();
    EXPECT_EQ(catalog.GetSelectedCount(), 4);
    EXPECT_EQ(catalog.GetSelectedIndices(), (std::vector<int>{0, 1, 2, 3}));
    catalog.DeselectAll();
    EXPECT_EQ(catalog.GetSelectedCount(), 0);
    catalog.Select(9); // outside the list
    EXPECT_EQ(catalog.GetSelectedCount(), 0);
}

TEST(CatalogSelection, GrowsBeyond1024Textures) {
    Catalog catalog;
    const SimpleTexture texture = MakeTexture("T");
    for (int i = 0; i < 3000; ++i)
        catalog.AddTexture(texture);
    catalog.Select(2999);
    catalog.Select(1500);
    EXPECT_TRUE(catalog.IsSelected(2999));
    EXPECT_EQ(catalog.GetSelectedIndices(), (std::vector<int>{1500, 2999}));
    catalog.RemoveSelectedTextures();
    EXPECT_EQ(catalog.GetCount(), 2998);
    catalog.SelectAll();
    EXPECT_EQ(catalog.GetSelectedCount(), 2998);
}

TEST(CatalogSelection, RemovingATextureMovesTheSelectionWithTheTexturesAfterIt) {
    struct Case {
        std::vector<int> selected;
        int removed;
        std::vector<int> after;
    };
    for (const Case& c : {Case{{2}, 0, {1}}, Case{{2}, 2, {}}, Case{{0, 2}, 1, {0, 1}},
                          Case{{1}, 2, {1}}, Case{{1}, 5, {1}}}) {
        SCOPED_TRACE(c.removed);
        Catalog catalog = CatalogOf({"0", "1", "2"});
        for (int index : c.selected)
            catalog.Select(index);
        catalog.RemoveTexture(c.removed);
        EXPECT_EQ(catalog.GetSelectedIndices(), c.after);
        EXPECT_EQ(catalog.GetSelectedCount(), static_cast<int>(c.after.size()));
        EXPECT_EQ(catalog.GetSingleSelection(), c.after.size() == 1 ? c.after.front() : -1);
        std::vector<std::string> kept; // the names selected before, less the one removed
        for (int index : c.selected)
            if (index != c.removed)
                kept.push_back(std::to_string(index));
        std::vector<std::string> names;
        for (int index : catalog.GetSelectedIndices())
            names.push_back(catalog.GetTexture(index).GetName());
        EXPECT_EQ(names, kept);
        // A texture added afterwards is not selected by a flag left behind.
        catalog.AddTexture(MakeTexture("new"));
        EXPECT_FALSE(catalog.IsSelected(catalog.GetCount() - 1));
    }
}

TEST(CatalogSelection, ThumbnailSizeIs120) {
    Catalog catalog;
    EXPECT_EQ(catalog.GetThumbnailWidth(), 120);
    EXPECT_EQ(catalog.GetThumbnailHeight(), 120);
}

namespace {

/// Hands out the bytes a few at a time, as a slow file might, and can end early.
class ChunkedSource : public ArchiveSource {
public:
    ChunkedSource(const std::vector<std::uint8_t>& bytes, std::size_t chunk, std::size_t cutAt)
        : m_bytes(bytes), m_chunk(chunk), m_cutAt(cutAt) {}
    std::size_t Size() const override { return m_bytes.size(); }
    std::size_t Read(std::uint8_t* data, std::size_t size) override {
        const std::size_t n = std::min({size, m_chunk, m_cutAt - std::min(m_cutAt, m_pos)});
        std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos), n, data);
        m_pos += n;
        return n;
    }

private:
    const std::vector<std::uint8_t>& m_bytes;
    std::size_t m_chunk;
    std::size_t m_cutAt;
    std::size_t m_pos = 0;
};

} // namespace

TEST(CatalogFile, StreamedLoadsMatchInMemoryLoads) {
    TextureFactory factory(31);
    Catalog source = factory.MakeCatalog(8, 120);
    // Thumbnails above the archive's direct-read size exercise the block reads.
    std::vector<std::uint8_t> pixels(120 * 120 * 3, 0x33);
    SimpleTexture big = MakeTexture("Big");
    big.Thumbnail().SetBits(120, 120, pixels, false);
    source.AddTexture(big);
    const auto bytes = source.Save();
    for (std::size_t chunk : {std::size_t(1), std::size_t(7), std::size_t(4096), bytes.size()}) {
        ChunkedSource stream(bytes, chunk, bytes.size());
        Catalog loaded;
        ASSERT_FALSE(loaded.Load(stream).has_value()) << "chunk " << chunk;
        EXPECT_EQ(loaded.Save(), bytes) << "chunk " << chunk;
    }
}

TEST(CatalogFile, StreamedLoadRefusesASourceThatEndsEarly) {
    TextureFactory factory(32);
    const auto bytes = factory.MakeCatalog(4, 90).Save();
    for (std::size_t cut : {std::size_t(0), std::size_t(2), bytes.size() / 2, bytes.size() - 1}) {
        ChunkedSource stream(bytes, 5000, cut);
        Catalog loaded;
        EXPECT_EQ(loaded.Load(stream), ArchiveError::EndOfData) << "cut at " << cut;
        EXPECT_EQ(loaded.GetCount(), 0);
    }
}
