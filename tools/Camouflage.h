// Whether a drawing singles its hidden figure out without the clue: the
// hidden figure's outline must be drawn no more plainly than the decoy
// figures' outlines around it, or a player could find it without looking at
// the clue. No Qt: the figures arrive as masks of the picture's size.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/picture/Picture.h"

namespace tintaro::tools {

// The share (0 to 1) of a figure's outline that lies on the drawing's black
// lines (within two pixels of one): 1 when the figure is drawn whole.
double OutlineOnLines(const std::vector<uint8_t>& mask, const Picture& drawing);

struct Camouflage {
  double hidden = 0;                  // OutlineOnLines of the hidden figure
  std::vector<double> decoys;         // and of each decoy figure
  // Singled out: its outline is drawn, and more plainly than every decoy's
  // (by more than kSinglingMargin), or there is no decoy to hide among.
  bool SinglesOut() const;
  std::string Line() const;           // "singled out: no: ..."
};
inline constexpr double kSinglingMargin = 0.05;

Camouflage MeasureCamouflage(const std::vector<uint8_t>& hidden, const std::vector<std::vector<uint8_t>>& decoys,
                             const Picture& drawing);

}  // namespace tintaro::tools
