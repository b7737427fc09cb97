#pragma once

// Face names the windows ask for. None of them exists on Linux; registerFontSubstitutions()
// maps each to an installed face so that the names can stay as the windows give them.
namespace fonts {

inline constexpr const char* FixedGothic = "ＭＳ ゴシック";
inline constexpr const char* ProportionalGothic = "ＭＳ Ｐゴシック";
inline constexpr const char* PlotLabels = "Ariel";

// Registers the substitutes: IPAGothic for the fixed Gothic face, IPAPGothic for the
// proportional one, DejaVu Sans for the plot labels. Call once at start, before any window
// is made; further calls change nothing.
void registerFontSubstitutions();

} // namespace fonts
