#pragma once

#include "core/povtext/language/sourceposition.h"

#include <algorithm>
#include <atomic>
#include <cstddef>

/// How much one import may read and make. Whatever passes a limit refuses the whole import,
/// naming the limit, so that no text, however made, takes more than a few seconds or more
/// memory than a few hundred MB. Each is far above what POV-Ray's own library or a texture
/// file of 40,000 declarations needs.
struct ImportLimits {
    /// Files read: the ones given and each #include, every time it is carried out.
    std::size_t files = 1000;
    /// Bytes of all the files read, counted as for `files`.
    std::size_t bytes = 128u << 20;
    /// Tokens read, a loop's text once for each pass.
    std::size_t tokens = 50'000'000;
    /// #declare and #local carried out, of names not declared before (a loop's counter,
    /// declared again on each pass, counts once).
    std::size_t declarations = 60'000;
    /// Passes of one #while or #for.
    std::size_t loopPasses = 1'000'000;
    /// The memory of the values made (layers, colour map entries, transformations, strings)
    /// and of the textures imported, each counted when it is made or copied. A declaration's
    /// kept text counts for as long as it is kept.
    std::size_t valueBytes = 256u << 20;
    /// #if, #while, #macro and the like open at once, counting those inside text passed
    /// over: POV-Ray takes 199.
    std::size_t directiveNesting = 199;
};

/// Shared by an import running on another thread and whoever waits for it.
struct ImportProgress {
    /// Set to stop the import; it ends soon after, with nothing imported.
    std::atomic<bool> cancel{false};
    /// How far it has come, in thousandths.
    std::atomic<int> permille{0};
};

/// Thrown when an import is cancelled through its ImportProgress.
struct ImportCancelled {};

/// Counts what one import reads and makes against its limits, throwing SourceSyntaxError at
/// the place where a limit is passed, and ImportCancelled once the import is cancelled.
class ImportBudget {
public:
    explicit ImportBudget(const ImportLimits& limits, ImportProgress* progress = nullptr)
        : m_limits(limits), m_progress(progress) {}

    const ImportLimits& Limits() const { return m_limits; }

    /// A file of `bytes` bytes is read.
    void File(std::size_t bytes, SourcePosition where);
    /// One token more. Every so often this checks for a cancel.
    void Token(SourcePosition where) {
        if (++m_tokens > m_limits.tokens)
            TooManyTokens(where);
        if ((m_tokens & 0xFFF) == 0)
            Poll();
    }
    /// `count` tokens more, passed over at once.
    void Tokens(std::size_t count, SourcePosition where) {
        const std::size_t before = m_tokens;
        m_tokens += count;
        if (m_tokens > m_limits.tokens)
            TooManyTokens(where);
        if ((before >> 12) != (m_tokens >> 12))
            Poll();
    }
    void Declaration(SourcePosition where);
    /// `bytes` more of values made or copied.
    void Values(std::size_t bytes, SourcePosition where);
    /// `bytes` of values counted before are let go: a name declared again frees its old text.
    void Released(std::size_t bytes) { m_valueBytes -= std::min(bytes, m_valueBytes); }

    /// Throws ImportCancelled when the import has been cancelled.
    void Poll() const;
    /// Reports progress: `fraction` of the part of the work between `Span`'s bounds.
    void Progress(double fraction) const;
    /// The share of the whole work that fractions given to Progress stand for from now on.
    void Span(double from, double to) {
        m_from = from;
        m_to = to;
    }

private:
    [[noreturn]] void TooManyTokens(SourcePosition where) const;

    ImportLimits m_limits;
    ImportProgress* m_progress;
    std::size_t m_files = 0;
    std::size_t m_bytes = 0;
    std::size_t m_tokens = 0;
    std::size_t m_declarations = 0;
    std::size_t m_valueBytes = 0;
    double m_from = 0.0;
    double m_to = 1.0;
};
