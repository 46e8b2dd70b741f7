// GrabCut works on a small copy: the subject's outline only has to be good
// to a cell, and the cut's cost grows with every pixel.
#include "tools/SubjectFinder.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace tintaro::tools {

namespace {

constexpr int kWorkingSide = 200;
// A piece of the cut smaller than this share of the picture is a speck.
constexpr double kSpeckShare = 0.004;
// Holes smaller than this share of the picture are filled: a glint on a cup
// is part of the cup.
constexpr double kHoleShare = 0.01;

cv::Mat Foreground(const cv::Mat& gc) {
  cv::Mat fg = (gc == cv::GC_FGD) | (gc == cv::GC_PR_FGD);
  return fg;
}

// Drops specks and fills small holes; counts the pieces that are not specks.
cv::Mat Clean(const cv::Mat& fg, int& pieces, double& largestShare) {
  const double area = static_cast<double>(fg.total());
  cv::Mat open;
  const cv::Mat round = cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(3, 3));
  cv::morphologyEx(fg, open, cv::MORPH_OPEN, round);
  cv::morphologyEx(open, open, cv::MORPH_CLOSE, round);

  cv::Mat labels, stats, centroids;
  const int n = cv::connectedComponentsWithStats(open, labels, stats, centroids, 4);
  int largest = 0, total = 0;
  pieces = 0;
  for (int i = 1; i < n; ++i) {
    const int a = stats.at<int>(i, cv::CC_STAT_AREA);
    if (a < kSpeckShare * area) continue;
    ++pieces;
    total += a;
    largest = std::max(largest, a);
  }
  largestShare = total > 0 ? static_cast<double>(largest) / total : 1;
  cv::Mat kept = cv::Mat::zeros(fg.size(), CV_8U);
  for (int i = 1; i < n; ++i)
    if (stats.at<int>(i, cv::CC_STAT_AREA) * 10 >= largest && largest > 0) kept.setTo(255, labels == i);

  cv::Mat holes;
  cv::bitwise_not(kept, holes);
  const int h = cv::connectedComponentsWithStats(holes, labels, stats, centroids, 4);
  for (int i = 1; i < h; ++i) {
    const int x = stats.at<int>(i, cv::CC_STAT_LEFT), y = stats.at<int>(i, cv::CC_STAT_TOP);
    const int w = stats.at<int>(i, cv::CC_STAT_WIDTH), ht = stats.at<int>(i, cv::CC_STAT_HEIGHT);
    const bool touchesRim = x == 0 || y == 0 || x + w == fg.cols || y + ht == fg.rows;
    if (!touchesRim && stats.at<int>(i, cv::CC_STAT_AREA) < kHoleShare * area) kept.setTo(255, labels == i);
  }
  return kept;
}

}  // namespace

FoundSubject FindSubject(const QImage& colour) {
  const cv::Mat full(colour.height(), colour.width(), CV_8UC3, const_cast<uchar*>(colour.constBits()),
                     static_cast<size_t>(colour.bytesPerLine()));
  const double scale = std::min(1.0, static_cast<double>(kWorkingSide) / std::max(colour.width(), colour.height()));
  cv::Mat small;
  cv::resize(full, small, cv::Size(), scale, scale, cv::INTER_AREA);

  // GrabCut seeds its colour models with k-means from OpenCV's generator.
  cv::theRNG().state = 0x7417a20;
  const int mx = std::max(2, small.cols / 16), my = std::max(2, small.rows / 16);
  const cv::Rect middle(mx, my, small.cols - 2 * mx, small.rows - 2 * my);
  cv::Mat gc(small.size(), CV_8U, cv::Scalar(cv::GC_BGD)), bgd, fgd;
  cv::grabCut(small, gc, middle, bgd, fgd, 5, cv::GC_INIT_WITH_RECT);

  // Refined: the cleaned cut becomes the next guess, the rim stays background.
  FoundSubject found;
  cv::Mat cut = Clean(Foreground(gc), found.pieces, found.largestShare);
  if (cv::countNonZero(cut) > 0) {
    gc.setTo(cv::GC_PR_BGD);
    gc.setTo(cv::GC_PR_FGD, cut);
    cv::Mat rim(small.size(), CV_8U, cv::Scalar(255));
    rim(middle).setTo(0);
    gc.setTo(cv::GC_BGD, rim);
    cv::grabCut(small, gc, middle, bgd, fgd, 2, cv::GC_INIT_WITH_MASK);
    cut = Clean(Foreground(gc), found.pieces, found.largestShare);
  }

  cv::Mat big;
  cv::resize(cut, big, full.size(), 0, 0, cv::INTER_LINEAR);
  found.mask.resize(static_cast<size_t>(colour.width()) * static_cast<size_t>(colour.height()));
  for (int y = 0; y < big.rows; ++y) {
    const uchar* row = big.ptr<uchar>(y);
    for (int x = 0; x < big.cols; ++x)
      found.mask[static_cast<size_t>(y) * static_cast<size_t>(big.cols) + static_cast<size_t>(x)] = row[x] >= 128;
  }
  return found;
}

double MaskShare(const std::vector<uint8_t>& mask) {
  if (mask.empty()) return 0;
  return static_cast<double>(std::count(mask.begin(), mask.end(), uint8_t{1})) / static_cast<double>(mask.size());
}

std::string SubjectShareFault(double share, const std::string& way) {
  const int percent = static_cast<int>(std::lround(share * 100));
  if (share < kMinSubjectShare)
    return "the subject covers " + std::to_string(percent) + " % of the picture: too little to play (" + way + ")";
  if (share > kMaxSubjectShare)
    return "the subject covers " + std::to_string(percent) + " % of the picture, nearly all of it (" + way + ")";
  return "";
}

}  // namespace tintaro::tools
