#pragma once

#include "core/povtext/reading/povvalues.h"
#include "core/povtext/reading/sourcewriter.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

/// What an identifier stands for: a value, a macro, or a declaration that could not be
/// evaluated (with the reason, so whatever uses it can say why it is refused too).
/// A #macro as read: its parameters and the tokens of its body, up to its #end.
struct MacroDefinition {
    std::vector<std::string> parameters;
    std::vector<PovToken> body;
};

struct Symbol {
    std::shared_ptr<const PovValue> value;
    bool macro = false;
    /// The macro's definition, when it is one the reader can carry out.
    std::shared_ptr<const MacroDefinition> definition;
    std::string refusal; ///< why there is no value, when there is none and it is no macro
    SourcePosition refusalWhere;
    SourcePosition where;
    /// True when the value is (or, refused, was meant to be) a texture, pigment or material.
    bool textureLike = false;
    /// The value written out again, for source textures.
    std::shared_ptr<const WrittenSource> source;
    /// An array given its elements: each as a symbol of its own.
    std::shared_ptr<const std::vector<Symbol>> elements;
};

/// The identifiers declared so far. #declare writes the global scope; #local writes the scope
/// of the include file being read, which ends with it (in the main file #local is #declare).
class SymbolTable {
public:
    SymbolTable();

    /// The innermost declaration of `name`, or null.
    const Symbol* Find(const std::string& name) const;
    /// The same, and whether it is local to an include file or a macro being read.
    const Symbol* Find(const std::string& name, bool& local) const;
    /// Gives the kept text of the declaration it replaces, if any.
    std::shared_ptr<const WrittenSource> Declare(const std::string& name, Symbol symbol,
                                                 bool local);
    /// Forgets the innermost declaration of `name`; false when there is none.
    bool Undefine(const std::string& name);

    void EnterFile();
    void LeaveFile();

private:
    std::vector<std::unordered_map<std::string, Symbol>> m_scopes;
};
