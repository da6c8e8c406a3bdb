// Moving the shapes of one list that meet a test to the end of another, in order.
#pragma once

#include "plotmodel/plot_shape.h"
#include "plotmodel/plot_shape_list.h"

template <class Pred>
void MoveShapesIf(PlotShapeList& from, PlotShapeList& to, Pred take)
{
    for (PlotShape* s = from.HeadShape(); s;) {
        PlotShape* next = from.ShapeAfter(s);
        if (take(*s)) {
            s->GoOut();
            to.AddTail(s);
        }
        s = next;
    }
}
