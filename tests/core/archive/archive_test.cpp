#include "core/archive/archive.h"
#include "core/archive/objectarray.h"
#include "testsupport.h"

#include <gtest/gtest.h>

namespace storednames {
inline constexpr std::string_view TestItem = "CTestItem";
inline constexpr std::string_view OtherItem = "COtherItem";
inline constexpr std::string_view LinkItem = "CLinkItem";
inline constexpr std::string_view GrownItem = "CGrownItem";
} // namespace storednames

namespace {

// Small stored classes that exercise the tags without the texture model.
class TestItem : public Storable {
    DECLARE_SERIAL(TestItem)
public:
    void Serialize(Archive& ar, std::uint16_t /*schema*/) override { ar.Byte(value); }
    std::uint8_t value = 0;
};
IMPLEMENT_SERIAL(TestItem, 1, 1)

class OtherItem : public Storable {
    DECLARE_SERIAL(OtherItem)
public:
    void Serialize(Archive& ar, std::uint16_t /*schema*/) override { ar.Word(value); }
    std::uint16_t value = 0;
};
IMPLEMENT_SERIAL(OtherItem, 1, 1)

class LinkItem : public Storable {
    DECLARE_SERIAL(LinkItem)
public:
    void Serialize(Archive& ar, std::uint16_t /*schema*/) override {
        if (ar.IsStoring()) {
            ar.WriteObject(first);
            ar.WriteObject(second);
        } else {
            auto a = ar.ReadObject();
            auto b = ar.ReadObject();
            owned = std::move(a.created);
            first = owned.get();
            second = b.created ? b.created.release() : b.earlier;
        }
    }
    const Storable* first = nullptr;
    const Storable* second = nullptr;
    std::unique_ptr<Storable> owned;
};
IMPLEMENT_SERIAL(LinkItem, 1, 1)

// Schema 2 added a word; schema 1 files still read, with the word at its default.
class GrownItem : public Storable {
    DECLARE_SERIAL(GrownItem)
public:
    void Serialize(Archive& ar, std::uint16_t schema) override {
        ar.Byte(value);
        if (schema >= 2)
            ar.Word(added);
    }
    std::uint8_t value = 0;
    std::uint16_t added = 1;
};
IMPLEMENT_SERIAL(GrownItem, 1, 2)

const ClassRegistry kRegistry{&TestItem::classRecord, &OtherItem::classRecord,
                              &LinkItem::classRecord, &GrownItem::classRecord};

std::vector<std::uint8_t> StoredString(const std::string& text) {
    Archive ar;
    ar.WriteString(text);
    return ar.Bytes();
}

std::string LoadedString(const std::vector<std::uint8_t>& bytes) {
    Archive ar(bytes, kRegistry);
    std::string text = ar.ReadString();
    EXPECT_EQ(ar.Remaining(), 0u);
    return text;
}

ArchiveError FailureOf(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::unique_ptr<Storable>> items;
    try {
        Archive ar(bytes, kRegistry);
        ReadObjectArray(ar, items);
    } catch (const ArchiveException& e) {
        return e.Kind();
    }
    ADD_FAILURE() << "no failure for " << ToHex(bytes);
    return ArchiveError::TooLarge;
}

} // namespace

TEST(ArchivePrimitives, AreLittleEndian) {
    Archive ar;
    ar.WriteByte(0xAB);
    ar.WriteWord(0x1234);
    ar.WriteDWord(0xDEADBEEF);
    ar.WriteFloat(1.0f);
    EXPECT_EQ(ar.Bytes(), HexBytes("AB 34 12 EF BE AD DE 00 00 80 3F"));

    Archive in(ar.Bytes(), kRegistry);
    EXPECT_EQ(in.ReadByte(), 0xAB);
    EXPECT_EQ(in.ReadWord(), 0x1234);
    EXPECT_EQ(in.ReadDWord(), 0xDEADBEEFu);
    EXPECT_EQ(in.ReadFloat(), 1.0f);
    EXPECT_THROW(in.ReadByte(), ArchiveException);
}

TEST(ArchivePrimitives, SignedWordsAreSignExtended) {
    Archive ar;
    int frequency = -3;
    ar.SignedWordInt(frequency);
    EXPECT_EQ(ar.Bytes(), HexBytes("FD FF"));
    Archive in(ar.Bytes(), kRegistry);
    int loaded = 0;
    in.SignedWordInt(loaded);
    EXPECT_EQ(loaded, -3);
}

TEST(ArchivePrimitives, WordsRefuseWhatTheyCannotKeepInsteadOfWrapping) {
    Archive ar;
    int largest = 65535;
    int lowest = -32768;
    ar.WordInt(largest);
    ar.SignedWordInt(lowest);
    EXPECT_EQ(ar.Bytes(), HexBytes("FF FF 00 80"));
    for (int refused : {-5, 65536}) {
        Archive out;
        EXPECT_THROW(out.WordInt(refused), ArchiveException) << refused;
        EXPECT_TRUE(out.Bytes().empty());
    }
    for (int refused : {-32769, 32768}) {
        Archive out;
        try {
            out.SignedWordInt(refused);
            ADD_FAILURE() << refused << " was stored";
        } catch (const ArchiveException& error) {
            EXPECT_EQ(error.Kind(), ArchiveError::TooLarge);
        }
    }
}

TEST(ArchiveStrings, LengthPrefixForms) {
    EXPECT_EQ(StoredString(""), HexBytes("00"));
    EXPECT_EQ(StoredString("Sphere"), HexBytes("06 53 70 68 65 72 65"));

    const auto s254 = StoredString(std::string(254, 'a'));
    ASSERT_EQ(s254.size(), 255u);
    EXPECT_EQ(s254[0], 0xFE);

    const auto s255 = StoredString(std::string(255, 'a'));
    ASSERT_EQ(s255.size(), 258u);
    EXPECT_EQ(std::vector<std::uint8_t>(s255.begin(), s255.begin() + 3), HexBytes("FF FF 00"));

    const auto s65533 = StoredString(std::string(65533, 'b'));
    EXPECT_EQ(std::vector<std::uint8_t>(s65533.begin(), s65533.begin() + 3), HexBytes("FF FD FF"));

    // 65534 would collide with the wide mark, so from there on the dword form is used.
    const auto s65534 = StoredString(std::string(65534, 'c'));
    EXPECT_EQ(std::vector<std::uint8_t>(s65534.begin(), s65534.begin() + 7),
              HexBytes("FF FF FF FE FF 00 00"));
    EXPECT_EQ(LoadedString(s65534), std::string(65534, 'c'));
    EXPECT_EQ(LoadedString(s255), std::string(255, 'a'));
}

TEST(ArchiveStrings, CodePageTextIsWrittenInWindows1252) {
    EXPECT_EQ(StoredString("Caf\u00E9 \u20AC"), HexBytes("06 43 61 66 E9 20 80"));
    EXPECT_EQ(LoadedString(HexBytes("06 43 61 66 E9 20 80")), "Caf\u00E9 \u20AC");
}

TEST(ArchiveStrings, OtherTextIsWrittenInTheWideForm) {
    // "Ж1" cannot be held by the code page: FF FE FF, length 2, then UTF-16LE.
    const auto bytes = StoredString("\u04161");
    EXPECT_EQ(bytes, HexBytes("FF FE FF 02 16 04 31 00"));
    EXPECT_EQ(LoadedString(bytes), "\u04161");
    EXPECT_EQ(LoadedString(StoredString("a\U0001F600")), "a\U0001F600");
}

TEST(ArchiveStrings, WideFormWithLongLengthPrefixes) {
    std::vector<std::uint8_t> bytes = HexBytes("FF FE FF FF 00 01");
    for (int i = 0; i < 256; ++i) {
        bytes.push_back(0x41);
        bytes.push_back(0x00);
    }
    EXPECT_EQ(LoadedString(bytes), std::string(256, 'A'));
}

TEST(ArchiveStrings, TruncatedStringsFail) {
    for (const char* hex : {"05 41 42", "FF", "FF 00", "FF FF FF 10 00", "FF FE FF 03 41 00",
                            "FF FE FF FF FF FF FF FF 7F"}) {
        const auto bytes = HexBytes(hex);
        Archive ar(bytes, kRegistry);
        try {
            ar.ReadString();
            ADD_FAILURE() << hex;
        } catch (const ArchiveException& e) {
            EXPECT_EQ(e.Kind(), ArchiveError::EndOfData) << hex;
        }
    }
}

TEST(ArchiveCounts, ShortAndLongForms) {
    Archive ar;
    ar.WriteCount(0);
    ar.WriteCount(65534);
    ar.WriteCount(65535);
    EXPECT_EQ(ar.Bytes(), HexBytes("00 00 FE FF FF FF FF FF 00 00"));
    Archive in(ar.Bytes(), kRegistry);
    EXPECT_EQ(in.ReadCount(), 0u);
    EXPECT_EQ(in.ReadCount(), 65534u);
    EXPECT_EQ(in.ReadCount(), 65535u);
}

TEST(ArchiveObjects, ClassRecordOnceThenClassReferences) {
    std::vector<std::unique_ptr<TestItem>> items;
    for (std::uint8_t v : {7, 8, 9}) {
        items.push_back(std::make_unique<TestItem>());
        items.back()->value = v;
    }
    Archive ar;
    WriteObjectArray(ar, items);
    EXPECT_EQ(ar.Bytes(), HexBytes("03 00 FF FF 01 00 09 00 43 54 65 73 74 49 74 65 6D 07"
                                   " 01 80 08 01 80 09"));
    Archive in(ar.Bytes(), kRegistry);
    std::vector<std::unique_ptr<TestItem>> loaded;
    ReadObjectArray(in, loaded);
    ASSERT_EQ(loaded.size(), 3u);
    EXPECT_EQ(loaded[2]->value, 9);
}

TEST(ArchiveObjects, SecondClassTakesTheNextFreeIndex) {
    // Class 1, object 2, class 3, object 4: a reference to the second class is 03 80.
    std::vector<std::unique_ptr<Storable>> items;
    items.push_back(std::make_unique<TestItem>());
    items.push_back(std::make_unique<OtherItem>());
    items.push_back(std::make_unique<OtherItem>());
    items.push_back(std::make_unique<TestItem>());
    Archive ar;
    WriteObjectArray(ar, items);
    EXPECT_EQ(ar.Bytes(), HexBytes("04 00 FF FF 01 00 09 00 43 54 65 73 74 49 74 65 6D 00"
                                   " FF FF 01 00 0A 00 43 4F 74 68 65 72 49 74 65 6D 00 00"
                                   " 03 80 00 00 01 80 00"));
}

TEST(ArchiveObjects, NullAndBackReferences) {
    TestItem shared;
    shared.value = 5;
    LinkItem link;
    link.first = &shared;
    link.second = &shared;
    Archive ar;
    ar.WriteObject(&link);
    ar.WriteObject(nullptr);
    // Link: class 1, object 2; item: class 3, object 4; then back-reference 04 00; null.
    EXPECT_EQ(ar.Bytes(), HexBytes("FF FF 01 00 09 00 43 4C 69 6E 6B 49 74 65 6D"
                                   " FF FF 01 00 09 00 43 54 65 73 74 49 74 65 6D 05 04 00 00 00"));
    Archive in(ar.Bytes(), kRegistry);
    LoadedObject read = in.ReadObject();
    auto* loaded = dynamic_cast<LinkItem*>(read.created.get());
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->first, loaded->second);
    EXPECT_TRUE(in.ReadObject().IsNull());
}

TEST(ArchiveObjects, BigIndexFormsAboveThe7FFFBoundary) {
    // 0x7FFF objects of one class push the indices past the word forms.
    std::vector<std::unique_ptr<Storable>> items;
    for (int i = 0; i < 0x7FFE; ++i)
        items.push_back(std::make_unique<TestItem>());
    items.push_back(std::make_unique<OtherItem>());
    items.push_back(std::make_unique<OtherItem>());
    Archive ar;
    WriteObjectArray(ar, items);
    ar.WriteObject(items[0].get());
    ar.WriteObject(items[0x7FFF].get());
    // Class 1, objects 2..0x7FFF; OtherItem takes 0x8000 and its object 0x8001; the next
    // OtherItem refers to class 0x8000 as 7F FF + dword 0x80008000; the back-references
    // follow: object 2 as a word, object 0x8002 as 7F FF + dword.
    const auto& bytes = ar.Bytes();
    const std::size_t tail = bytes.size() - 16;
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + tail, bytes.end()),
              HexBytes("FF 7F 00 80 00 80 00 00 02 00 FF 7F 02 80 00 00"));

    Archive in(bytes, kRegistry);
    std::vector<std::unique_ptr<Storable>> loaded;
    ReadObjectArray(in, loaded);
    EXPECT_EQ(loaded.size(), items.size());
    EXPECT_NE(dynamic_cast<OtherItem*>(loaded.back().get()), nullptr);
    EXPECT_EQ(in.ReadObject().earlier, loaded[0].get());
    EXPECT_EQ(in.ReadObject().earlier, loaded[0x7FFF].get());
}

TEST(ArchiveObjects, ReadingFailuresHaveDistinctKinds) {
    EXPECT_EQ(FailureOf(HexBytes("01 00")), ArchiveError::EndOfData);
    EXPECT_EQ(FailureOf(HexBytes("01 00 05 00")), ArchiveError::BadIndex); // back-reference ahead
    EXPECT_EQ(FailureOf(HexBytes("01 00 01 80")), ArchiveError::BadIndex); // class never read
    EXPECT_EQ(FailureOf(HexBytes("01 00 FF 7F 05 00 00 80")), ArchiveError::BadIndex);
    EXPECT_EQ(FailureOf(HexBytes("01 00 FF FF 01 00 05 00 43 4E 6F 70 65")),
              ArchiveError::BadClass);
    EXPECT_EQ(FailureOf(HexBytes("01 00 FF FF 01 00 09 00 63 54 65 73 74 49 74 65 6D 00")),
              ArchiveError::BadClass); // names compare case-sensitively
    EXPECT_EQ(FailureOf(HexBytes("01 00 FF FF 01 00 40 00")), ArchiveError::BadClass);
    EXPECT_EQ(FailureOf(HexBytes("01 00 FF FF 01 00 09 00 43 54 65")), ArchiveError::BadClass);
    EXPECT_EQ(FailureOf(HexBytes("01 00 FF FF 02 00 09 00 43 54 65 73 74 49 74 65 6D 00")),
              ArchiveError::BadSchema);
    // Owned lists refuse null entries and shared entries.
    EXPECT_EQ(FailureOf(HexBytes("01 00 00 00")), ArchiveError::UnexpectedObject);
    EXPECT_EQ(FailureOf(HexBytes("02 00 FF FF 01 00 09 00 43 54 65 73 74 49 74 65 6D 00 02 00")),
              ArchiveError::UnexpectedObject);
}

TEST(ArchiveObjects, TypedListsRefuseOtherClasses) {
    const auto bytes = HexBytes("01 00 FF FF 01 00 0A 00 43 4F 74 68 65 72 49 74 65 6D 00 00");
    Archive ar(bytes, kRegistry);
    std::vector<std::unique_ptr<TestItem>> items;
    try {
        ReadObjectArray(ar, items);
        FAIL();
    } catch (const ArchiveException& e) {
        EXPECT_EQ(e.Kind(), ArchiveError::UnexpectedObject);
    }
}

TEST(ArchiveObjects, PartialListsSurviveAFailure) {
    const auto bytes =
        HexBytes("03 00 FF FF 01 00 09 00 43 54 65 73 74 49 74 65 6D 07 01 80 08 01");
    Archive ar(bytes, kRegistry);
    std::vector<std::unique_ptr<TestItem>> items;
    EXPECT_THROW(ReadObjectArray(ar, items), ArchiveException);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1]->value, 8);
}

TEST(ArchiveObjects, ClassesReadEverySchemaOfTheirRange) {
    // Two objects of CGrownItem, the second through a class reference, which reads in the
    // schema of its class record.
    const struct {
        const char* bytes;
        std::uint16_t added[2];
    } schemas[] = {
        {"02 00 FF FF 01 00 0A 00 43 47 72 6F 77 6E 49 74 65 6D 07 01 80 08", {1, 1}},
        {"02 00 FF FF 02 00 0A 00 43 47 72 6F 77 6E 49 74 65 6D 07 34 12 01 80 08 78 56",
         {0x1234, 0x5678}},
    };
    for (const auto& stored : schemas) {
        const auto bytes = HexBytes(stored.bytes);
        Archive in(bytes, kRegistry);
        std::vector<std::unique_ptr<GrownItem>> items;
        ReadObjectArray(in, items);
        ASSERT_EQ(items.size(), 2u) << stored.bytes;
        EXPECT_EQ(in.Remaining(), 0u) << stored.bytes;
        EXPECT_EQ(items[0]->value, 7);
        EXPECT_EQ(items[1]->value, 8);
        EXPECT_EQ(items[0]->added, stored.added[0]) << stored.bytes;
        EXPECT_EQ(items[1]->added, stored.added[1]) << stored.bytes;
    }

    // Written in the newest.
    GrownItem item;
    Archive out;
    out.WriteObject(&item);
    EXPECT_EQ(out.Bytes(), HexBytes("FF FF 02 00 0A 00 43 47 72 6F 77 6E 49 74 65 6D 00 01 00"));

    // Outside the range: refused, naming the class and the schema.
    for (const std::uint16_t schema : {0, 3}) {
        auto bytes = HexBytes("FF FF 00 00 0A 00 43 47 72 6F 77 6E 49 74 65 6D 00 01 00");
        bytes[2] = static_cast<std::uint8_t>(schema);
        Archive in(bytes, kRegistry);
        try {
            in.ReadObject();
            ADD_FAILURE() << "schema " << schema << " read";
        } catch (const ArchiveException& e) {
            EXPECT_EQ(e.Fault(), (ArchiveFault{ArchiveError::BadSchema, "CGrownItem", schema}));
            EXPECT_EQ(std::string(e.what()), "archive class CGrownItem is stored in schema " +
                                                 std::to_string(schema) +
                                                 ", and this program reads schemas 1 to 2");
        }
    }
}
