#include "core/povtext/reading/importbudget.h"

#include "core/povtext/language/sourceerror.h"

#include <algorithm>
#include <string>

namespace {

std::string Megabytes(std::size_t bytes) {
    return std::to_string(bytes >> 20) + " MB";
}

} // namespace

void ImportBudget::File(std::size_t bytes, SourcePosition where) {
    if (++m_files > m_limits.files)
        throw SourceSyntaxError(where, "the import reads more than " +
                                           std::to_string(m_limits.files) +
                                           " files (each #include counts every time)");
    m_bytes += bytes;
    if (m_bytes > m_limits.bytes)
        throw SourceSyntaxError(where, "the import reads more than " + Megabytes(m_limits.bytes) +
                                           " of source (each #include counts every time)");
    Poll();
}

void ImportBudget::TooManyTokens(SourcePosition where) const {
    throw SourceSyntaxError(where, "the import reads more than " + std::to_string(m_limits.tokens) +
                                       " tokens");
}

void ImportBudget::Declaration(SourcePosition where) {
    if (++m_declarations > m_limits.declarations)
        throw SourceSyntaxError(where, "the import declares more than " +
                                           std::to_string(m_limits.declarations) + " identifiers");
}

void ImportBudget::Values(std::size_t bytes, SourcePosition where) {
    m_valueBytes += bytes;
    if (m_valueBytes > m_limits.valueBytes)
        throw SourceSyntaxError(where,
                                "the values read take more than " + Megabytes(m_limits.valueBytes));
}

void ImportBudget::Poll() const {
    if (m_progress && m_progress->cancel.load(std::memory_order_relaxed))
        throw ImportCancelled{};
}

void ImportBudget::Progress(double fraction) const {
    if (!m_progress)
        return;
    const double share = m_from + (m_to - m_from) * std::clamp(fraction, 0.0, 1.0);
    m_progress->permille.store(static_cast<int>(share * 1000.0), std::memory_order_relaxed);
}
