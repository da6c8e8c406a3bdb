// A popup menu's owner for tests: it records the items its menus are hovered on.
#pragma once

#include "platform/cwnd.h"

#include <vector>

namespace corvane_test {

// Posted commands wait for the test to take them.
class MenuHoverOwner : public CWnd {
public:
    MenuHoverOwner() : CWnd(Delivery::ByHand) {}
    void OnMenuSelect(UINT id) override { hovered.push_back(id); }
    std::vector<UINT> hovered;
};

}  // namespace corvane_test
