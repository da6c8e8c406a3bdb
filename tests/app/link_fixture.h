// The fixture of the link tests: the loopback link helpers, with the link ports held for the
// whole program (link_fixture.cpp).
#pragma once

#include "support/loopback_link.h"
