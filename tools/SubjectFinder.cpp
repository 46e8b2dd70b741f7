// GrabCut works on a small copy: the subject's outline only has to be good
// to a cell, and the cut's cost grows with every pixel. One starting guess
// does not fit every photo (a subject off centre, standing on the bottom
// edge, or on a sky that darkens towards the rim), so several guesses are
// cut and the cut that looks most like one subject wins.
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
// Colour clusters holding more than this share of the picture's edge pixels
// are background.
constexpr double kBackgroundEdgeShare = 0.05;
constexpr int kColourClusters = 8;
// A pixel this far from the picture's median colour, in any channel of
// 8-bit Lab, stands out from it; camera noise and JPEG ripples stay below.
constexpr int kDistinct = 10;
// A cut is the whole of the best cut when it holds this share of it, is this
// much larger, and scores at least this share of its score.
constexpr double kWholeHolds = 0.9, kWholeGrowth = 1.15, kWholeScore = 0.65;
// GrabCut and k-means seed themselves from OpenCV's generator.
constexpr uint64_t kSeed = 0x7417a20;

struct Cut {
  cv::Mat mask;  // 255 on the subject
  int pieces = 0;
  double largestShare = 1;
  double score = 0;
};

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

// GrabCut from a starting guess (`gc` labelled with cv::GC_*), cleaned, then
// run again from its own answer; the sure background stays. An empty cut
// when the guess leaves no subject or no background to learn colours from.
Cut CutFrom(const cv::Mat& small, cv::Mat gc) {
  Cut cut;
  cut.mask = cv::Mat::zeros(small.size(), CV_8U);
  const int least = std::max(16, static_cast<int>(gc.total() / 100));
  const int guessed = cv::countNonZero(Foreground(gc));
  if (guessed < least || static_cast<int>(gc.total()) - guessed < least) return cut;

  const cv::Mat sure = gc == cv::GC_BGD;
  cv::Mat bgd, fgd;
  cv::theRNG().state = kSeed;
  cv::grabCut(small, gc, cv::Rect(), bgd, fgd, 3, cv::GC_INIT_WITH_MASK);
  cut.mask = Clean(Foreground(gc), cut.pieces, cut.largestShare);
  const int found = cv::countNonZero(cut.mask);
  if (found < least || cv::countNonZero(sure | cut.mask) == static_cast<int>(gc.total())) return cut;
  gc.setTo(cv::GC_PR_BGD);
  gc.setTo(cv::GC_PR_FGD, cut.mask);
  gc.setTo(cv::GC_BGD, sure);
  cv::grabCut(small, gc, cv::Rect(), bgd, fgd, 2, cv::GC_INIT_WITH_MASK);
  cut.mask = Clean(Foreground(gc), cut.pieces, cut.largestShare);
  return cut;
}

// The middle is the subject, a rim of 1/16 of each side the background.
cv::Mat MiddleGuess(cv::Size size) {
  const int mx = std::max(2, size.width / 16), my = std::max(2, size.height / 16);
  cv::Mat gc(size, CV_8U, cv::Scalar(cv::GC_BGD));
  gc(cv::Rect(mx, my, size.width - 2 * mx, size.height - 2 * my)).setTo(cv::GC_PR_FGD);
  return gc;
}

// A person or a cat cut off by the bottom edge: only the top and the sides'
// rims are background.
cv::Mat OpenBottomGuess(cv::Size size) {
  const int mx = std::max(2, size.width / 16), my = std::max(2, size.height / 16);
  cv::Mat gc(size, CV_8U, cv::Scalar(cv::GC_PR_FGD));
  gc.rowRange(0, my).setTo(cv::GC_BGD);
  gc.colRange(0, mx).setTo(cv::GC_BGD);
  gc.colRange(size.width - mx, size.width).setTo(cv::GC_BGD);
  return gc;
}

// The picture's colours in k-means clusters: those that take up much of the
// picture's edge are background, the rest the subject, wherever it stands.
cv::Mat ClusterGuess(const cv::Mat& lab) {
  const int w = lab.cols, h = lab.rows;
  cv::Mat samples, labels, centres;
  lab.reshape(1, w * h).convertTo(samples, CV_32F);
  cv::theRNG().state = kSeed;
  cv::kmeans(samples, kColourClusters, labels,
             cv::TermCriteria(cv::TermCriteria::COUNT + cv::TermCriteria::EPS, 20, 1.0), 2, cv::KMEANS_PP_CENTERS,
             centres);
  labels = labels.reshape(1, h);
  auto onEdge = [&](int x, int y) { return x == 0 || y == 0 || x == w - 1 || y == h - 1; };
  std::vector<int> edgePixels(kColourClusters, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (onEdge(x, y)) ++edgePixels[static_cast<size_t>(labels.at<int>(y, x))];
  const double perimeter = 2.0 * (w + h);
  cv::Mat gc(lab.size(), CV_8U);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const bool background = edgePixels[static_cast<size_t>(labels.at<int>(y, x))] > kBackgroundEdgeShare * perimeter;
      gc.at<uchar>(y, x) = !background ? cv::GC_PR_FGD : onEdge(x, y) ? cv::GC_BGD : cv::GC_PR_BGD;
    }
  return gc;
}

// A cut of some of the subject's colours, widened to the box around it: the
// parts that share their colours with the background get their chance.
cv::Mat BoxGuess(const cv::Mat& cut) {
  cv::Rect box = cv::boundingRect(cut);
  const int gx = std::max(2, box.width / 10), gy = std::max(2, box.height / 10);
  box = cv::Rect(box.x - gx, box.y - gy, box.width + 2 * gx, box.height + 2 * gy) &
        cv::Rect(1, 1, cut.cols - 2, cut.rows - 2);
  cv::Mat gc(cut.size(), CV_8U, cv::Scalar(cv::GC_BGD));
  gc(box).setTo(cv::GC_PR_FGD);
  gc.setTo(cv::GC_FGD, cut);
  return gc;
}

// Whether under kMinSubjectShare of the picture stands out from its median
// colour.
bool Plain(const cv::Mat& lab) {
  std::vector<cv::Mat> channels;
  cv::split(lab, channels);
  cv::Mat apart = cv::Mat::zeros(lab.size(), CV_8U);
  const int half = static_cast<int>(lab.total() / 2);
  for (const cv::Mat& c : channels) {
    int histogram[256] = {}, median = 0;
    for (int y = 0; y < c.rows; ++y)
      for (int x = 0; x < c.cols; ++x) ++histogram[c.at<uchar>(y, x)];
    for (int seen = 0; median < 255 && (seen += histogram[median]) <= half;) ++median;
    cv::Mat diff;
    cv::absdiff(c, cv::Scalar(median), diff);
    apart |= diff > kDistinct;
  }
  return cv::countNonZero(apart) < kMinSubjectShare * static_cast<double>(lab.total());
}

// What the picture looks like to the judge of the cuts.
struct Looks {
  cv::Mat colour;    // the small copy
  cv::Mat gradient;  // colour edge strength, CV_32F
  double meanGradient = 1;
};

Looks LooksOf(const cv::Mat& small, const cv::Mat& lab) {
  Looks looks;
  looks.colour = small;
  cv::Mat gx, gy;
  cv::Sobel(lab, gx, CV_32F, 1, 0);
  cv::Sobel(lab, gy, CV_32F, 0, 1);
  cv::Mat magnitude;
  cv::magnitude(gx.reshape(1), gy.reshape(1), magnitude);
  std::vector<cv::Mat> channels;
  cv::split(magnitude.reshape(3), channels);
  looks.gradient = channels[0] + channels[1] + channels[2];
  looks.meanGradient = cv::mean(looks.gradient)[0] + 1e-6;
  return looks;
}

// How much a cut looks like one subject, 0 when it cannot be one: its
// colours differ from the rest's, its outline runs along the picture's
// edges, the detail lies in it rather than around it, it is one piece, and
// it is not the picture's frame.
double Score(const Cut& cut, const Looks& looks) {
  const double share = cv::countNonZero(cut.mask) / static_cast<double>(cut.mask.total());
  if (share < kMinSubjectShare || share > kMaxSubjectShare) return 0;
  if (cut.pieces >= 3 && cut.largestShare < 0.5) return 0;
  cv::Mat rest;
  cv::bitwise_not(cut.mask, rest);

  const int channels[] = {0, 1, 2};
  const int bins[] = {8, 8, 8};
  const float range[] = {0, 256};
  const float* ranges[] = {range, range, range};
  cv::Mat inside, outside;
  cv::calcHist(&looks.colour, 1, channels, cut.mask, inside, 3, bins, ranges);
  cv::calcHist(&looks.colour, 1, channels, rest, outside, 3, bins, ranges);
  cv::normalize(inside, inside, 1, 0, cv::NORM_L1);
  cv::normalize(outside, outside, 1, 0, cv::NORM_L1);
  const double apart = cv::compareHist(inside, outside, cv::HISTCMP_BHATTACHARYYA);

  cv::Mat eroded;
  cv::erode(cut.mask, eroded, cv::Mat());
  cv::Mat outline = cut.mask - eroded;
  outline.row(0).setTo(0);
  outline.row(outline.rows - 1).setTo(0);
  outline.col(0).setTo(0);
  outline.col(outline.cols - 1).setTo(0);
  const double onEdges = cv::countNonZero(outline) ? cv::mean(looks.gradient, outline)[0] / looks.meanGradient : 0;

  cv::Mat grown, around;
  cv::dilate(cut.mask, grown, cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(5, 5)));
  cv::bitwise_not(grown, around);
  // Capped: a subject on a plain ground is not better for being plainer.
  const double detailIn = cv::mean(looks.gradient, grown)[0];
  const double detailAround = cv::mean(looks.gradient, around)[0] + 1e-6;
  const double detail = cv::countNonZero(around) ? std::min(3.0, detailIn / detailAround) : 0;

  const int w = cut.mask.cols, h = cut.mask.rows;
  const int framed = cv::countNonZero(cut.mask.row(0)) + cv::countNonZero(cut.mask.row(h - 1)) +
                     cv::countNonZero(cut.mask.col(0)) + cv::countNonZero(cut.mask.col(w - 1));
  const double frame = framed / (2.0 * (w + h));
  return apart * onEdges * detail * (1 - frame) * cut.largestShare;
}

}  // namespace

FoundSubject FindSubject(const QImage& colour) {
  const cv::Mat full(colour.height(), colour.width(), CV_8UC3, const_cast<uchar*>(colour.constBits()),
                     static_cast<size_t>(colour.bytesPerLine()));
  const double scale = std::min(1.0, static_cast<double>(kWorkingSide) / std::max(colour.width(), colour.height()));
  cv::Mat small, blurred, lab;
  cv::resize(full, small, cv::Size(), scale, scale, cv::INTER_AREA);
  cv::GaussianBlur(small, blurred, cv::Size(0, 0), 1.0);
  cv::cvtColor(blurred, lab, cv::COLOR_RGB2Lab);
  FoundSubject found;
  if (Plain(lab)) {
    found.plain = true;
    found.mask.assign(static_cast<size_t>(colour.width()) * static_cast<size_t>(colour.height()), 0);
    return found;
  }
  const Looks looks = LooksOf(small, lab);

  // The middle guess comes first: when no cut can be a subject, its faults
  // are the ones reported.
  std::vector<Cut> cuts;
  cuts.push_back(CutFrom(small, MiddleGuess(small.size())));
  cuts.push_back(CutFrom(small, OpenBottomGuess(small.size())));
  cuts.push_back(CutFrom(small, ClusterGuess(lab)));
  if (cv::countNonZero(cuts.back().mask) > 0) cuts.push_back(CutFrom(small, BoxGuess(cuts.back().mask)));
  size_t best = 0;
  for (size_t i = 0; i < cuts.size(); ++i) {
    cuts[i].score = Score(cuts[i], looks);
    if (cuts[i].score > cuts[best].score) best = i;
  }
  // A part of the subject often looks more like one than the whole does (a
  // cup without its saucer, a suit without its head): the best of the cuts
  // that hold that part and more, and look nearly as good, wins. Not for a
  // cut in pieces: what holds them all holds the background between them.
  const size_t part = best;
  const int partArea = cv::countNonZero(cuts[part].mask);
  for (size_t i = 0; i < cuts.size(); ++i) {
    const int area = cv::countNonZero(cuts[i].mask);
    if (cuts[part].score <= 0 || cuts[part].pieces > 1) continue;
    if (cuts[i].score < kWholeScore * cuts[part].score) continue;
    if (area < kWholeGrowth * partArea) continue;
    if (cv::countNonZero(cuts[i].mask & cuts[part].mask) < kWholeHolds * partArea) continue;
    if (best == part || cuts[i].score > cuts[best].score) best = i;
  }

  found.pieces = cuts[best].pieces;
  found.largestShare = cuts[best].largestShare;
  cv::Mat big;
  cv::resize(cuts[best].mask, big, full.size(), 0, 0, cv::INTER_LINEAR);
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
