#pragma once

#include "core/archive/archive.h"

#include <memory>
#include <vector>

/// Writes a list of owned objects as an object array: a count, then one reference each.
template <class T>
void WriteObjectArray(Archive& ar, const std::vector<std::unique_ptr<T>>& items) {
    ar.WriteCount(items.size());
    for (const auto& item : items)
        ar.WriteObject(item.get());
}

/// Reads an object array into `into`, appending each element as it is read, so a caller that
/// catches the failure keeps the elements before it. Lists own their elements, so a null
/// entry, a back-reference or an object of another class is refused as an unexpected object.
template <class T> void ReadObjectArray(Archive& ar, std::vector<std::unique_ptr<T>>& into) {
    const std::size_t count = ar.ReadCount();
    for (std::size_t i = 0; i < count; ++i) {
        LoadedObject element = ar.ReadObject();
        if (!dynamic_cast<T*>(element.created.get()))
            throw ArchiveException(ArchiveError::UnexpectedObject);
        into.push_back(std::unique_ptr<T>(dynamic_cast<T*>(element.created.release())));
    }
}
