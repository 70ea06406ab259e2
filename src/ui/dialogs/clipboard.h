#pragma once

#include <QString>

/// Puts `text` on the system clipboard as plain text, exactly as given. When the clipboard
/// cannot take it, shows "Error copying data to the Clipboard." (title "Clipboard Error") and
/// returns false.
bool CopyTextToClipboard(const QString& text);
