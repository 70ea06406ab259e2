#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// A small streaming JSON writer with two-blank indentation. Keys and strings are UTF-8;
/// floats are written in their shortest exact form, independent of the locale.
class JsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    /// Names the next value inside an object.
    void Key(std::string_view key);

    void Value(std::string_view text);
    void Value(const char* text) { Value(std::string_view(text)); }
    void Value(std::int64_t number);
    void Value(int number) { Value(static_cast<std::int64_t>(number)); }
    void Value(unsigned number) { Value(static_cast<std::int64_t>(number)); }
    void Value(float number);
    void Value(double number);
    void Value(bool flag);

    const std::string& Text() const { return m_text; }

private:
    void BeforeValue();
    void Quoted(std::string_view text);
    void NewLine();

    std::string m_text;
    struct Level {
        bool empty = true;
        bool array = false;
    };
    std::vector<Level> m_levels;
    bool m_afterKey = false;
};
