// The panel views a whole-program sweep goes through: each aircraft parked on its shipped
// flight, in its full-panel view, and the C172 and the Bonanza in their lower view too.
#pragma once

namespace testsupport {

struct PanelView {
    int type;
    int view;  // 0 the full panel, 1 the lower one
    const char* flight;
    const char* name;
};
inline constexpr PanelView kPanelViews[] = {
    {0, 0, "C172Stop.Flt", "C172"},       {0, 1, "C172Stop.Flt", "C172Lower"},
    {1, 0, "BonStop.Flt", "Bonanza"},     {1, 1, "BonStop.Flt", "BonanzaLower"},
    {2, 0, "BarStop.Flt", "Baron"},       {3, 0, "KingStop.Flt", "KingAir"},
    {4, 0, "JetStop.Flt", "CitationJet"},
};

}  // namespace testsupport
