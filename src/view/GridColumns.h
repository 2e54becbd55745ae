#pragma once
#include <array>

namespace view {

// The readings grid: 22 columns. Widths in twips (1/1440 inch), as the window was designed; a
// width of 0 hides a column. Separator columns (2, 7, 12, 14, 17, 19) have no heading.
inline constexpr int kGridColumns = 22;
inline constexpr int kHeadingRowTwips = 400;

struct GridColumn {
    int widthTwips;
    const char* heading; // empty for a separator
};

inline constexpr std::array<GridColumn, kGridColumns> kGridLayout{{
    {1000, "Date"},  {700, "Time"},   {50, ""},       {1400, "Power"}, {1400, "High"},  {1400, "Low"},
    {700, "Diff."},  {50, ""},        {1400, "Power"}, {1400, "High"},  {1400, "Low"},   {700, "Diff."},
    {50, ""},        {1000, "Tariff"}, {50, ""},       {1400, "Gas"},   {700, "Diff."},  {50, ""},
    {1400, "Water"}, {50, ""},        {1200, "Extern1"}, {1200, "Extern2"},
}};

// The order in which the grid is set up, column by column.
inline constexpr std::array<int, kGridColumns> kSetupOrder{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10,
                                                           11, 12, 15, 16, 14, 18, 17, 13, 19, 20, 21};

inline constexpr int kDateColumn = 0;
inline constexpr int kTimeColumn = 1;
inline constexpr int kTariffColumn = 13;
// The two pulse-input columns ("Extern1"/"Extern2", "Input 1"/"Input 2" on a TIKA V2).
inline constexpr int kFirstInputColumn = 20;
inline constexpr int kLastInputColumn = 21;

// Twips to device pixels at the screen's resolution (15 twips a pixel at 96 dots per inch).
inline int twipsToPixels(int twips, double dotsPerInch) { return static_cast<int>(twips * dotsPerInch / 1440.0 + 0.5); }

} // namespace view
