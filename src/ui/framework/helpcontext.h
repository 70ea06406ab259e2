#pragma once

/// Context numbers of the help pages, as the windows and dialogs ask for them.
namespace HelpContext {
inline constexpr int Contents = 0;
inline constexpr int Preferences = 2;
inline constexpr int GeneralPage = 3;
inline constexpr int PigmentPage = 4;
inline constexpr int NormalPage = 5;
inline constexpr int FinishPage = 6;
inline constexpr int SourceTextures = 8;
} // namespace HelpContext
