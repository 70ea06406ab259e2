#include "core/povtext/reading/symboltable.h"

SymbolTable::SymbolTable() : m_scopes(1) {}

const Symbol* SymbolTable::Find(const std::string& name) const {
    bool local = false;
    return Find(name, local);
}

const Symbol* SymbolTable::Find(const std::string& name, bool& local) const {
    for (auto scope = m_scopes.rbegin(); scope != m_scopes.rend(); ++scope) {
        const auto found = scope->find(name);
        if (found != scope->end()) {
            local = scope != std::prev(m_scopes.rend());
            return &found->second;
        }
    }
    return nullptr;
}

std::shared_ptr<const WrittenSource> SymbolTable::Declare(const std::string& name, Symbol symbol,
                                                          bool local) {
    auto& scope = local ? m_scopes.back() : m_scopes.front();
    const auto [place, added] = scope.try_emplace(name);
    std::shared_ptr<const WrittenSource> replaced = std::move(place->second.source);
    place->second = std::move(symbol);
    return replaced;
}

bool SymbolTable::Undefine(const std::string& name) {
    for (auto scope = m_scopes.rbegin(); scope != m_scopes.rend(); ++scope)
        if (scope->erase(name) > 0)
            return true;
    return false;
}

void SymbolTable::EnterFile() {
    m_scopes.emplace_back();
}

void SymbolTable::LeaveFile() {
    if (m_scopes.size() > 1)
        m_scopes.pop_back();
}
