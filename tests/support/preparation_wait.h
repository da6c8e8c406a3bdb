// Waiting for the document's dispatch preparations in tests.
#pragma once

class CDocCorvane;

namespace corvane_test {

// Waits (real time, at most timeoutMs) until every preparation of doc has ended, applying each
// as it ends, as the main frame does on its end message; true when none is left.
bool FinishPreparations(CDocCorvane& doc, int timeoutMs = 30000);

}  // namespace corvane_test
