#include "core/text/jsonwriter.h"

#include <charconv>
#include <cmath>

void JsonWriter::NewLine() {
    m_text += '\n';
    m_text.append(m_levels.size() * 2, ' ');
}

void JsonWriter::BeforeValue() {
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (m_levels.empty())
        return;
    if (!m_levels.back().empty)
        m_text += ',';
    m_levels.back().empty = false;
    NewLine();
}

void JsonWriter::BeginObject() {
    BeforeValue();
    m_text += '{';
    m_levels.push_back({true, false});
}

void JsonWriter::EndObject() {
    const bool empty = m_levels.back().empty;
    m_levels.pop_back();
    if (!empty)
        NewLine();
    m_text += '}';
    if (m_levels.empty())
        m_text += '\n';
}

void JsonWriter::BeginArray() {
    BeforeValue();
    m_text += '[';
    m_levels.push_back({true, true});
}

void JsonWriter::EndArray() {
    const bool empty = m_levels.back().empty;
    m_levels.pop_back();
    if (!empty)
        NewLine();
    m_text += ']';
}

void JsonWriter::Key(std::string_view key) {
    BeforeValue();
    Quoted(key);
    m_text += ": ";
    m_afterKey = true;
}

void JsonWriter::Value(std::string_view text) {
    BeforeValue();
    Quoted(text);
}

void JsonWriter::Quoted(std::string_view text) {
    m_text += '"';
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            m_text += "\\\"";
            break;
        case '\\':
            m_text += "\\\\";
            break;
        case '\n':
            m_text += "\\n";
            break;
        case '\r':
            m_text += "\\r";
            break;
        case '\t':
            m_text += "\\t";
            break;
        default:
            if (byte < 0x20) {
                static const char* digits = "0123456789abcdef";
                m_text += "\\u00";
                m_text += digits[byte >> 4];
                m_text += digits[byte & 15];
            } else {
                m_text += c;
            }
        }
    }
    m_text += '"';
}

void JsonWriter::Value(std::int64_t number) {
    BeforeValue();
    m_text += std::to_string(number);
}

namespace {

template <typename Real> void AppendNumber(std::string& text, Real number) {
    if (!std::isfinite(number)) {
        text += "null";
        return;
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    text.append(buffer, result.ptr);
}

} // namespace

void JsonWriter::Value(float number) {
    BeforeValue();
    AppendNumber(m_text, number);
}

void JsonWriter::Value(double number) {
    BeforeValue();
    AppendNumber(m_text, number);
}

void JsonWriter::Value(bool flag) {
    BeforeValue();
    m_text += flag ? "true" : "false";
}
