// How a clue shows where its figure lies, shared by the builder that draws
// clues and the reasoning player that reads them as a person would. A framed
// clue is the whole picture scaled into the clue with its proportions,
// inside a grey line; the figure is every pixel inside that line that is
// neither white nor pale grey (the faded rest of a photo). A clue without
// the line is the figure alone, scaled to fit the picture and centred.
#pragma once

#include <cstdint>
#include <vector>

#include "core/picture/Picture.h"

namespace tintaro::tools {

inline constexpr uint32_t kClueFrameColour = 0xA0A0A0;

struct ClueRect {
  int x = 0, y = 0, w = 0, h = 0;
};

// White, or a grey as pale as the faded rest of a photo.
bool IsClueBackground(uint32_t colour);
// A figure's colour, nudged out of the background's greys where it falls in them.
uint32_t FigureColour(uint32_t colour);
// The pale grey a pixel outside the figure fades to: its lightness kept, compressed.
uint32_t FadedColour(uint32_t colour);

// Where a picture of picW x picH lies inside a framed clue of clueW x clueH:
// the largest rect of its proportions inside the one-pixel line, centred.
ClueRect FramedPictureRect(int clueW, int clueH, int picW, int picH);

// A framed clue: `inner` is the picture's area at FramedPictureRect's size,
// `figure` its mask (1 = the figure). Outside the figure the picture fades
// (`fadeRest`) or is white; outside the frame the clue is white.
Picture ComposeFramedClue(int clueW, int clueH, const Picture& inner, const std::vector<uint8_t>& figure,
                          bool fadeRest);

// What a person reads off a clue: the figure (1 per pixel of `area`), the
// area of the clue that stands for the picture, and whether it is framed.
struct ClueFigure {
  ClueRect area;
  bool framed = false;
  std::vector<uint8_t> mask;  // area.w * area.h
  int64_t Count() const;
};
ClueFigure ReadClueFigure(const Picture& clue);

}  // namespace tintaro::tools
