#pragma once

#include "core/povtext/language/sourceposition.h"

#include <stdexcept>
#include <string>

/// Text that cannot be read at all (a character outside the language, an unclosed block, an
/// include that cannot be found or that loops): the whole file is refused.
class SourceSyntaxError : public std::runtime_error {
public:
    SourceSyntaxError(SourcePosition where, const std::string& message)
        : std::runtime_error(message), m_where(where) {}
    SourcePosition Where() const { return m_where; }

private:
    SourcePosition m_where;
};

/// Text that is valid but cannot be evaluated here (an identifier nobody declared, a macro
/// call, a keyword the reader does not take): only the declaration being read is refused.
class DeclarationRefusal : public std::runtime_error {
public:
    DeclarationRefusal(SourcePosition where, const std::string& reason)
        : std::runtime_error(reason), m_where(where), m_rootWhere(where), m_root(reason) {}
    /// A refusal because something used was refused itself: `root` is that first reason, which
    /// everything depending on it repeats.
    DeclarationRefusal(SourcePosition where, const std::string& reason, SourcePosition rootWhere,
                       std::string root)
        : std::runtime_error(reason), m_where(where), m_rootWhere(rootWhere),
          m_root(std::move(root)) {}
    SourcePosition Where() const { return m_where; }
    SourcePosition RootWhere() const { return m_rootWhere; }
    const std::string& Root() const { return m_root; }

private:
    SourcePosition m_where;
    SourcePosition m_rootWhere;
    std::string m_root;
};
