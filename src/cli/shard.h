#pragma once

#include <QString>

/// One of N equal shares of a catalog's textures, for spreading a render over machines: shard K
/// of N (K from 1 to N) holds the textures whose index (from 0) leaves K - 1 over when divided
/// by N. It depends on nothing but the index, so every machine draws the same lines.
class Shard {
public:
    /// The largest N a shard may be taken out of.
    static constexpr int kMaxCount = 1000000;

    /// The whole catalog: shard 1 of 1.
    Shard() = default;
    Shard(int number, int count) : m_number(number), m_count(count) {}
    /// "K/N"; a UsageError naming `option` when it is not that or K lies outside 1 to N.
    static Shard Parse(const QString& option, const QString& text);

    int Number() const { return m_number; }
    int Count() const { return m_count; }
    bool Holds(int index) const { return index % m_count == m_number - 1; }
    /// "shard 2 of 4".
    QString Text() const;

private:
    int m_number = 1;
    int m_count = 1;
};
