// Strip and row numbers of the orderings: strip (or row) k covers coordinates up to k × band.
#pragma once

#include <algorithm>
#include <cstdint>

namespace strip_rows {

// The smallest k >= 1 with k × band >= v (band > 0), in 64 bits so no coordinate overflows.
inline int64_t FirstBandAtOrAbove(int64_t v, int64_t band)
{
    int64_t k = v > 0 ? (v + band - 1) / band : 0;
    return std::max<int64_t>(k, 1);
}

}  // namespace strip_rows
