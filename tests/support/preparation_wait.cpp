// Waiting for the document's dispatch preparations in tests.
#include "support/preparation_wait.h"

#include "app/doc_corvane.h"
#include "support/loopback_link.h"

namespace corvane_test {

bool FinishPreparations(CDocCorvane& doc, int timeoutMs)
{
    return WaitUntil(
        [&doc] {
            doc.ApplyFinishedPreparations();
            return !doc.HasPreparations();
        },
        timeoutMs);
}

}  // namespace corvane_test
