// The progress and cancel callback that the long loops of a dispatch's preparation call.
#pragma once

#include <functional>

// Told how far a loop got, in percent of its stage (0..100); returns false when the
// preparation is cancelled: the loop then stops, and its partial result is thrown away.
using PreparationProgress = std::function<bool(int percent)>;

// Reports percent to progress; false when the preparation is to stop (an empty callback
// never stops it).
inline bool ContinuePreparation(const PreparationProgress& progress, int percent)
{
    return !progress || progress(percent);
}
