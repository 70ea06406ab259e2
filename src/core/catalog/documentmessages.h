#pragma once

/// The standard texts with which document loads and saves fail. "%1" stands for the file name.
namespace DocumentMessages {
inline constexpr const char* UnexpectedFileFormat = "Unexpected file format.";
inline constexpr const char* FailedToOpen = "Failed to open document.";
inline constexpr const char* FailedToSave = "Failed to save document.";
inline constexpr const char* FileNotFound = "%1 was not found.";
inline constexpr const char* AccessDenied = "Access to %1 was denied.";
inline constexpr const char* SaveChanges = "Save changes to %1?";
inline constexpr const char* ReadOnly = "%1 is read-only.";
inline constexpr const char* ChangedByAnotherProgram =
    "%1 was changed by another program since you opened it.";
} // namespace DocumentMessages
