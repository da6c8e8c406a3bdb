// A DC over a painter that the caller owns and keeps active (a widget's paint event), for
// the program and its interface only. The painter's type is only named here, not included.
#pragma once

#include "platform/cdc.h"

class QPainter;

class CPainterDC : public CDC {
public:
    // Draws through painter, which must stay active for the DC's lifetime.
    explicit CPainterDC(QPainter* painter);
};
