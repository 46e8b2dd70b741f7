// The pieces of a labelled picture: 4-connected runs of pixels that carry
// the same key. Mosaics and photo cells both draw their lines between
// pieces and merge the pieces too small to click.
#pragma once

#include <cstddef>
#include <cstdint>
#include <numeric>
#include <vector>

namespace tintaro::tools {

struct UnionFind {
  std::vector<int32_t> parent;
  explicit UnionFind(size_t n) : parent(n) { std::iota(parent.begin(), parent.end(), 0); }
  int32_t Find(int32_t a) {
    while (parent[static_cast<size_t>(a)] != a) a = parent[static_cast<size_t>(a)] = parent[static_cast<size_t>(parent[static_cast<size_t>(a)])];
    return a;
  }
};

// Numbers the pieces of `key` (w * h values, row 0 at the top) 0, 1, ... in
// the order a row-by-row scan first meets them; a pixel keyed -1 is in no
// piece and stays -1. Returns the number of pieces.
int32_t LabelPieces(int w, int h, const std::vector<int32_t>& key, std::vector<int32_t>& piece);

}  // namespace tintaro::tools
