// Contour recognition on a job's shapes: closed knife contours found by the loop finder, and
// the pen filter that picks the half-cut work.
#pragma once

#include "geometry/ol_box.h"
#include "geometry/ol_list.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class CLoopFinder;
class PlotShape;
class PlotShapeList;

// Moves the closed shapes of list to closed and chains its strokes into loops within tol, in
// two passes of the loop finder, then in one more pass per widening tolerance; what closes no
// loop goes to open (list is emptied). proceed hears the passes' indices (the two first are 0
// and 1); false when it stopped them, with every stroke not joined in open.
bool FindLoopsTwoPasses(CLoopFinder& finder, PlotShapeList& list, PlotShapeList& closed, PlotShapeList& open,
                        float tol, const std::vector<float>& widening = {},
                        const std::function<bool(size_t pass)>& proceed = {});
// Recognises the pieces of a freshly loaded job: closed contours found with widening
// tolerances (0.9, then 1.9 up to 39.9), grouped into loops in strips; each piece's outline
// gets rec index 4 and the shapes inside it mau index 1, a lone contour under 100 units² stays
// an open shape, and a non-rectangular frame gets rec index 4. list ends holding the open
// shapes, then the pieces, each from its loop's last shape to its outline.
void RecogniseContourOnOpen(PlotShapeList& list);
// Finds the closed contours of list (tolerance 2.1, no widening rounds), drops contours whose
// box repeats an earlier one, and leaves list holding the open shapes, then the contours.
void RecogniseContourPlain(PlotShapeList& list);
// Finds the closed contours of list as RecogniseContourPlain does, groups them into loops
// (PlotLoop, in cutting order) with the shapes inside them, joins open strokes into clusters,
// and leaves list holding the open shapes not in a loop, ordered in bands of 12000; outer is
// the frame rectangle when one was found (the caller's), else null. The shapes inside the
// loops are found on threads worker threads.
void RecogniseContourWithClusters(PlotShapeList& list, OL_List& loops, PlotShape*& outer, int threads = 1);
// Moves to target every shape whose mau or rec index is 5, or whose pen 1-8 has the value 1
// in the pen table; returns target's recomputed bounds.
CArea MoveSelectedPensToList(const uint8_t penTable[8], PlotShapeList& list, PlotShapeList& target);
