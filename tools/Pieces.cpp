#include "tools/Pieces.h"

namespace tintaro::tools {

int32_t LabelPieces(int w, int h, const std::vector<int32_t>& key, std::vector<int32_t>& piece) {
  const size_t n = key.size();
  UnionFind uf(n);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
      if (key[i] < 0) continue;
      if (x + 1 < w && key[i + 1] == key[i]) uf.parent[static_cast<size_t>(uf.Find(static_cast<int32_t>(i)))] = uf.Find(static_cast<int32_t>(i + 1));
      if (y + 1 < h && key[i + static_cast<size_t>(w)] == key[i])
        uf.parent[static_cast<size_t>(uf.Find(static_cast<int32_t>(i)))] = uf.Find(static_cast<int32_t>(i + static_cast<size_t>(w)));
    }
  piece.assign(n, -1);
  std::vector<int32_t> number(n, -1);
  int32_t count = 0;
  for (size_t i = 0; i < n; ++i) {
    if (key[i] < 0) continue;
    const size_t root = static_cast<size_t>(uf.Find(static_cast<int32_t>(i)));
    if (number[root] < 0) number[root] = count++;
    piece[i] = number[root];
  }
  return count;
}

}  // namespace tintaro::tools
