// Range-checked access to the point tables: an index outside 0 ... 999 (which
// only a hostile solution file can bring about) raises "Range check error".
#pragma once

#include "core/Errors.h"
#include "core/PuzzleState.h"

namespace tintaro {

// A table is made at first activation; one still missing is made here with
// every value 0, as it would have been.
inline PointRecord& TableRow(std::unique_ptr<PointTable>& table, int32_t index) {
  if (index < 0 || index >= PointTableCapacity) throw ERangeError(kRangeCheckError);
  if (!table) table = std::make_unique<PointTable>();
  return (*table)[static_cast<size_t>(index)];
}

inline PointRecord& TargetAt(PuzzleState& state, int32_t index) { return TableRow(state.TargetPoints, index); }
inline PointRecord& StrayAt(PuzzleState& state, int32_t index) { return TableRow(state.StrayPoints, index); }
inline PointRecord& MoveAt(PuzzleState& state, int32_t index) { return TableRow(state.MoveLog, index); }

}  // namespace tintaro
