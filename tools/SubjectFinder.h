// The main subject of a photo, found by OpenCV's GrabCut from several
// starting guesses (the middle, everything but the top and side rims, the
// colours that do not fill the picture's edge); the cut that looks most like
// one subject is kept.
#pragma once

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace tintaro::tools {

// A subject below this share of the picture is too small to play (a rocket
// on its pad, tall and thin, covers about 2 %), above the other it leaves
// nothing around it to tell it from.
inline constexpr double kMinSubjectShare = 0.02;
inline constexpr double kMaxSubjectShare = 0.85;

struct FoundSubject {
  std::vector<uint8_t> mask;  // width * height, 1 on the subject
  // Pieces of the cut larger than a speck, and the share of the subject the
  // largest holds: many pieces with no main one are no single subject.
  int pieces = 0;
  double largestShare = 1;
  // Under kMinSubjectShare of the picture differs from its usual colour:
  // nothing to find (and the cut, with no edges to follow, takes minutes).
  bool plain = false;
};

// `colour` is Format_RGB888. The same picture always gives the same mask.
FoundSubject FindSubject(const QImage& colour);

// The fault of a subject covering `share` of the picture; "" when it can be
// played. `way` says what to do about it.
std::string SubjectShareFault(double share, const std::string& way);

// Share of the mask's pixels that are set.
double MaskShare(const std::vector<uint8_t>& mask);

}  // namespace tintaro::tools
