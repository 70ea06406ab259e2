// The outline of a source texture's text and the changes made through it: every value found
// with the bytes of its own text, and each change rewriting only those bytes.

#include "../sourcefixture.h"
#include "core/povtext/editing/lexedtext.h"
#include "core/povtext/editing/outlineedit.h"
#include "core/povtext/reading/strictsource.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <random>

namespace {

/// "path kind 'text' = numbers" for each property, in text order.
std::vector<std::string> Described(const TextureOutline& outline) {
    std::vector<std::string> lines;
    for (const OutlineProperty* property : outline.Properties()) {
        std::string line = property->path + " " + std::string(KindName(property->kind)) + " '" +
                           property->text + "'";
        if (!property->numbers.empty()) {
            line += " =";
            for (const double n : property->numbers)
                line += " " + OutlineEdit::ValueText(PovLanguage::PovValue::Float,
                                                     std::span<const double>(&n, 1));
        }
        lines.push_back(line);
    }
    return lines;
}

bool IsValueToken(const PovToken& token) {
    if (token.kind == PovToken::Number)
        return true;
    const PovLanguage::PovKeyword* row =
        token.kind == PovToken::Word ? PovLanguage::Find(token.text) : nullptr;
    return row && (row->Is(PovLanguage::kPattern) || row->Is(PovLanguage::kWave));
}

} // namespace

TEST(TextureOutline, FindsEachValueWithItsOwnText) {
    const std::string text = "texture {\n"
                             "  pigment { crackle form <1,0,0> // cells\n"
                             "    color_map { [0 rgb 1] [1/2, 1 rgbf <0,0,1,0.5>] }\n"
                             "    turbulence 0.3 ramp_wave }\n"
                             "  finish { phong 0.6 metallic ambient 0.1 }\n"
                             "  scale 1/10 rotate -y*17\n"
                             "}";
    const TextureOutline outline = ReadOutline(text);
    ASSERT_FALSE(outline.error);
    EXPECT_EQ(Described(outline),
              (std::vector<std::string>{
                  "scale vector '1/10' = 0.1", "rotate vector '-y*17' = 0 -17 0",
                  "pigment/pattern choice 'crackle'", "pigment/form vector '<1,0,0>' = 1 0 0",
                  "pigment/turbulence vector '0.3' = 0.3", "pigment/wave choice 'ramp_wave'",
                  "pigment/color_map/1/value float '0' = 0",
                  "pigment/color_map/1/color color 'rgb 1' = 1 1 1 0 0",
                  "pigment/color_map/2/value float '1/2' = 0.5",
                  "pigment/color_map/2/value#2 float '1' = 1",
                  "pigment/color_map/2/color color 'rgbf <0,0,1,0.5>' = "
                  "0 0 1 0.5 0",
                  "finish/phong float '0.6' = 0.6", "finish/metallic float ''",
                  "finish/ambient color '0.1' = 0.1"}));
    const OutlineProperty* form = outline.Property("pigment/form");
    ASSERT_TRUE(form);
    EXPECT_EQ(text.substr(form->item.start, form->item.end - form->item.start), "form <1,0,0>");
    const OutlinePart* map = outline.Part("pigment/color_map");
    ASSERT_TRUE(map);
    EXPECT_EQ(map->parts.size(), 2u);
    EXPECT_EQ(text.substr(map->item.start, map->item.end - map->item.start).back(), '}');
}

TEST(TextureOutline, WorksOutColoursAsPovRayPromotesThem) {
    for (const auto& [color, channels] : std::vector<std::pair<std::string, std::string>>{
             {"rgbt 0.5", "0.5 0.5 0.5 0 0.5"},
             {"rgbf 0.5", "0.5 0.5 0.5 0.5 0"},
             {"rgbft <1, 0, 0, 0.2, 0.3>", "1 0 0 0.2 0.3"},
             {"rgbt <1, 0, 0, 0.3>", "1 0 0 0 0.3"},
             {"rgb <1, 0.5>", "1 0.5 0 0 0"},
             {"srgb 1", "1 1 1 0 0"},
             {"color red 1 green 0.5", "1 0.5 0 0 0"},
             {"rgb -x", "-1 0 0 0 0"}}) {
        const std::vector<std::string> shown = Described(ReadOutline("pigment { " + color + " }"));
        ASSERT_EQ(shown.size(), 1u) << color;
        EXPECT_EQ(shown[0].substr(shown[0].find('=') + 2), channels) << color;
    }
}

TEST(TextureOutline, NamesLayersAndRepeatsApart) {
    const TextureOutline outline = ReadOutline(
        "texture { pigment { rgb 1 } } texture { pigment { bozo } finish { phong 1 phong 0.5 } }");
    ASSERT_EQ(outline.parts.size(), 2u);
    EXPECT_TRUE(outline.Property("texture/pigment/color"));
    EXPECT_TRUE(outline.Property("texture#2/pigment/pattern"));
    ASSERT_TRUE(outline.Property("texture#2/finish/phong#2"));
    EXPECT_EQ(outline.Property("texture#2/finish/phong#2")->text, "0.5");
}

TEST(TextureOutline, OutlinesWhatStandsBeforeTextThatIsNoToken) {
    const TextureOutline outline = ReadOutline("pigment { rgb 0.5 } \"never closed");
    ASSERT_TRUE(outline.error);
    EXPECT_TRUE(outline.Property("color"));
}

TEST(OutlineEdit, RewritesOnlyTheTokensItConcerns) {
    using namespace OutlineEdit;
    struct Case {
        const char* text;
        const char* op; ///< "set", "add" or "remove"
        const char* path;
        const char* value;
        const char* expected;
    };
    const Case cases[] = {
        {"texture { finish { phong 0.5 /* keep */ } }", "set", "finish/phong", "0.6",
         "texture { finish { phong 0.6 /* keep */ } }"},
        {"pigment { bozo turbulence 0.3 }", "set", "turbulence", "0.4,0.2,0.1",
         "pigment { bozo turbulence <0.4, 0.2, 0.1> }"},
        {"pigment { color rgb 1 }", "set", "color", "1,0.5,0,0,0.25",
         "pigment { color rgbt <1, 0.5, 0, 0.25> }"},
        {"pigment { crackle form <1,0,0> metric 1 turbulence 0.2 color_map { [0 rgb 0] } }", "set",
         "pattern", "marble", "pigment { marble turbulence 0.2 color_map { [0 rgb 0] } }"},
        {"pigment { bozo }", "set", "pattern", "gradient", "pigment { gradient y }"},
        {"normal { bumps 0.4 }", "set", "pattern", "dents", "normal { dents 0.4 }"},
        {"texture {\n    pigment { rgb 1 }\n    finish { phong 1 }\n}", "add", "", "scale",
         "texture {\n    pigment { rgb 1 }\n    finish { phong 1 }\n    scale <1, 1, 1>\n}"},
        {"texture { pigment { rgb 1 } }", "add", "pigment", "turbulence",
         "texture { pigment { rgb 1 turbulence <0, 0, 0> } }"},
        {"texture { finish { } }", "add", "finish", "phong", "texture { finish { phong 0 } }"},
        {"texture { finish {} }", "add", "finish", "conserve_energy",
         "texture { finish { conserve_energy } }"},
        {"texture { pigment { rgb 1 } }", "add", "", "finish",
         "texture { pigment { rgb 1 } finish { } }"},
        {"pigment { marble color_map {\n  [0 rgb 0]\n  [0.5 rgb 1]\n} }", "add", "color_map", "[",
         "pigment { marble color_map {\n  [0 rgb 0]\n  [0.5 rgb 1]\n  [1 rgb 1]\n} }"},
        {"texture {\n  pigment { rgb 1 }\n  finish { phong 1 } // shiny\n  scale 2\n}", "remove",
         "scale", "", "texture {\n  pigment { rgb 1 }\n  finish { phong 1 } // shiny\n}"},
        {"texture { finish { phong 1 specular 0.2 } }", "remove", "finish/phong", "",
         "texture { finish { specular 0.2 } }"},
        {"texture { pigment { rgb 1 } finish { phong 1 } }", "remove", "finish", "",
         "texture { pigment { rgb 1 } }"},
        {"texture { finish { conserve_energy phong 1 } }", "set", "finish/conserve_energy", "off",
         "texture { finish { phong 1 } }"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = std::string_view(c.op) == "set"   ? Set(c.text, c.path, c.value)
                                : std::string_view(c.op) == "add" ? Add(c.text, c.path, c.value)
                                                                  : Remove(c.text, c.path);
        EXPECT_EQ(outcome.refusal, "") << c.text;
        EXPECT_EQ(outcome.text, c.expected) << c.op << " " << c.path;
    }
}

TEST(OutlineEdit, RefusesWhatNamesNothingAndChangesNothing) {
    using namespace OutlineEdit;
    const std::string text = "texture { pigment { bozo color rgb 1 } finish { phong 1 } }";
    for (const auto& [outcome, refusal] : std::vector<std::pair<Outcome, std::string>>{
             {Set(text, "finish/glow", "1"), "the texture has no property finish/glow"},
             {Set(text, "finish/phong", "1,2"), "finish/phong takes one number"},
             {Set(text, "pigment/color", "1,2"), "pigment/color takes a colour of 3 to 5 channels"},
             {Set(text, "pigment/pattern", "teapot"), "teapot is no choice of pigment/pattern"},
             {Add(text, "finish", "phong"), "phong cannot be added to finish"},
             {Add(text, "finish", "form"), "form cannot be added to finish"},
             {Remove(text, "interior"), "the texture has no part or property interior"}}) {
        EXPECT_EQ(outcome.refusal, refusal);
        EXPECT_EQ(outcome.text, text);
    }
}

TEST(OutlineEdit, AddOffersWhatThePartTakesAndHasNot) {
    const TextureOutline outline = ReadOutline("pigment { crackle turbulence 0.2 scale 2 }");
    std::vector<std::string_view> words;
    for (const PovLanguage::PovKeyword* row : OutlineEdit::Addable(outline.parts[0]))
        words.push_back(row->word);
    const auto offers = [&](std::string_view word) {
        return std::find(words.begin(), words.end(), word) != words.end();
    };
    EXPECT_TRUE(offers("octaves") && offers("form") && offers("scale") && offers("color_map") &&
                offers("warp"));
    EXPECT_FALSE(offers("turbulence") || offers("mortar") || offers("phong") || offers("bozo") ||
                 offers("max_iteration") || offers("exponent"))
        << "a fractal's and a reflection's own items are not a crackle's";
}

namespace {

std::vector<std::string> MeasuredTexts() {
    std::vector<std::string> scenes;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(VELVANE_SOURCE_DIR) + "/bench/scenes"))
        if (entry.path().extension() == ".inc")
            scenes.push_back(entry.path().string());
    return LibraryTextsAsSource(scenes);
}

} // namespace

// Over POV-Ray's library and the scenes in the styles people write: the values of their
// texts are properties, each with the span of its own text.
TEST(TextureOutline, HoldsNearlyEveryValueOfRealTexts) {
    if (!std::filesystem::exists(std::string(kPovRayLibraryFolder) + "/woods.inc"))
        GTEST_SKIP() << "POV-Ray's include files are not installed";
    const std::vector<std::string> texts = MeasuredTexts();
    ASSERT_GT(texts.size(), 500u);
    std::size_t values = 0;
    std::size_t held = 0;
    std::map<std::string, int> left; ///< the token before each value not held, and the value

    for (const std::string& text : texts) {
        const TextureOutline outline = ReadOutline(text);
        ASSERT_FALSE(outline.error) << text;
        const std::vector<const OutlineProperty*> properties = outline.Properties();
        const LexedText lexed(text);
        for (const LexedToken& token : lexed.tokens) {
            if (!IsValueToken(token.token))
                continue;
            ++values;
            const bool isHeld =
                std::any_of(properties.begin(), properties.end(), [&](const OutlineProperty* p) {
                    return p->value.Contains(token.span.start) &&
                           p->kind != PovLanguage::PovValue::None;
                });
            held += isHeld;
            if (!isHeld)
                ++left[(&token - lexed.tokens.data() > 0 ? (&token - 1)->token.text : "") + " " +
                       token.token.text];
        }
    }
    const double share = 100.0 * static_cast<double>(held) / static_cast<double>(values);
    std::printf("%zu texts: %zu of %zu value tokens are properties (%.2f %%)\n", texts.size(), held,
                values, share);
    for (const auto& [what, count] : left)
        std::printf("  not held: %s (%d)\n", what.c_str(), count);
    EXPECT_GE(share, 99.0);
}

namespace {

SourceTexture::Kind KindOf(const std::string& text) {
    return text.starts_with("pigment")    ? SourceTexture::PigmentKind
           : text.starts_with("material") ? SourceTexture::MaterialKind
                                          : SourceTexture::TextureKind;
}

void CollectParts(const OutlinePart& part, std::vector<const OutlinePart*>& into) {
    into.push_back(&part);
    for (const OutlinePart& child : part.parts)
        CollectParts(child, into);
}

/// Whether `changed` is `text` with one run of bytes put in (or, `removed`, taken out).
bool OneRunApart(const std::string& text, const std::string& changed, bool removed) {
    const std::string& longer = removed ? text : changed;
    const std::string& shorter = removed ? changed : text;
    if (longer.size() <= shorter.size())
        return false;
    std::size_t prefix = 0;
    while (prefix < shorter.size() && shorter[prefix] == longer[prefix])
        ++prefix;
    return longer.compare(prefix + longer.size() - shorter.size(), std::string::npos, shorter,
                          prefix) == 0;
}

} // namespace

// Random changes over the same texts: each changes the text only inside the value it edits,
// the text still passes the strict check, and read again it has the value written.
TEST(OutlineEdit, RandomChangesStayInsideTheirValues) {
    if (!std::filesystem::exists(std::string(kPovRayLibraryFolder) + "/woods.inc"))
        GTEST_SKIP() << "POV-Ray's include files are not installed";
    const std::vector<std::string> texts = MeasuredTexts();
    std::mt19937 random(36);
    int edits = 0;
    for (int attempt = 0; edits < 500 && attempt < 5000; ++attempt) {
        const std::string& text = texts[random() % texts.size()];
        const TextureOutline outline = ReadOutline(text);
        std::vector<const OutlineProperty*> editable;
        for (const OutlineProperty* p : outline.Properties())
            if ((p->kind == PovLanguage::PovValue::Float ||
                 p->kind == PovLanguage::PovValue::Vector) &&
                p->numbers.size() == (p->kind == PovLanguage::PovValue::Float ? 1u : 3u) &&
                p->row && !std::isnan(p->row->range.low))
                editable.push_back(p);
        if (editable.empty())
            continue;
        const OutlineProperty& property = *editable[random() % editable.size()];
        std::uniform_real_distribution<double> in(property.row->range.low,
                                                  property.row->range.high);
        std::vector<double> numbers(property.numbers.size());
        for (double& n : numbers)
            n = std::round(in(random)*1000) / 1000;
        const std::string value = OutlineEdit::ValueText(property.kind, numbers);
        const std::string changed = OutlineEdit::WithValue(text, property, value);
        ++edits;
        EXPECT_EQ(changed.substr(0, property.value.start), text.substr(0, property.value.start));
        EXPECT_EQ(changed.substr(property.value.start + value.size()),
                  text.substr(property.value.end));
        EXPECT_EQ(StrictSourceRefusal(changed, KindOf(text)), std::nullopt) << property.path;
        const TextureOutline again = ReadOutline(changed);
        const OutlineProperty* reread = again.Property(property.path);
        ASSERT_TRUE(reread) << property.path;
        EXPECT_EQ(reread->numbers, numbers) << property.path << " in " << changed;
    }
    EXPECT_EQ(edits, 500);
}

// Random Add and Remove over the same texts: an added item is one run of text put in, a removed
// one a run taken out, and the text still passes the strict check.
TEST(OutlineEdit, RandomAddsAndRemovesKeepTheRestAsItWas) {
    if (!std::filesystem::exists(std::string(kPovRayLibraryFolder) + "/woods.inc"))
        GTEST_SKIP() << "POV-Ray's include files are not installed";
    const std::vector<std::string> texts = MeasuredTexts();
    std::mt19937 random(37);
    int adds = 0;
    int removes = 0;
    for (int attempt = 0; (adds < 250 || removes < 250) && attempt < 20000; ++attempt) {
        const std::string& text = texts[random() % texts.size()];
        const TextureOutline outline = ReadOutline(text);
        std::vector<const OutlinePart*> parts;
        for (const OutlinePart& part : outline.parts)
            CollectParts(part, parts);
        const OutlinePart& part = *parts[random() % parts.size()];
        std::string changed;
        std::string what;
        const bool remove = adds >= 250 || (removes < 250 && attempt % 2 == 1);
        if (remove && !part.path.empty() && !part.IsEntry() && random() % 2 == 0) {
            what = "remove " + part.path;
            changed = OutlineEdit::WithRemoved(text, part.item);
        } else if (remove) {
            if (part.properties.empty())
                continue;
            const OutlineProperty& property = part.properties[random() % part.properties.size()];
            if (property.name == "pattern" || property.name.starts_with("value") ||
                property.name.starts_with("color"))
                continue; // what the part is made of, not a setting of it
            what = "remove " + property.path;
            changed = OutlineEdit::WithRemoved(text, property.item);
        } else {
            const std::vector<const PovLanguage::PovKeyword*> rows = OutlineEdit::Addable(part);
            if (rows.empty())
                continue;
            const PovLanguage::PovKeyword& row = *rows[random() % rows.size()];
            what = "add " + std::string(row.word) + " to " + part.path;
            changed = OutlineEdit::WithAdded(text, part, row.word);
        }
        ++(remove ? removes : adds);
        EXPECT_TRUE(OneRunApart(text, changed, remove)) << what << "\n" << changed;
        EXPECT_EQ(StrictSourceRefusal(changed, KindOf(text)), std::nullopt) << what << "\n"
                                                                            << changed;
    }
    EXPECT_EQ(adds, 250);
    EXPECT_EQ(removes, 250);
}
