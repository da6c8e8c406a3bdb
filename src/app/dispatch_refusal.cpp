// The resource numbers of the reasons a load or a dispatch is refused.
#include "app/dispatch_refusal.h"

#include "app/string_table.h"

uint32_t DispatchRefusalStringId(DispatchRefusal reason)
{
    switch (reason) {
    case DispatchRefusal::kNone: return 0;
    case DispatchRefusal::kFileUnreadable: return StringId::kReasonFileUnreadable;
    case DispatchRefusal::kFileEmpty: return StringId::kReasonFileEmpty;
    case DispatchRefusal::kNoShapes: return StringId::kReasonNoShapes;
    case DispatchRefusal::kDxfRejected: return StringId::kReasonDxfRejected;
    case DispatchRefusal::kOverPointBudget: return StringId::kReasonOverPointBudget;
    case DispatchRefusal::kNotLoaded: return StringId::kReasonNotLoaded;
    case DispatchRefusal::kNoMachine: return StringId::kReasonNoMachine;
    case DispatchRefusal::kMachineOffline: return StringId::kReasonMachineOffline;
    case DispatchRefusal::kMachineBusy: return StringId::kReasonMachineBusy;
    case DispatchRefusal::kNoUsableWidth: return StringId::kReasonNoUsableWidth;
    case DispatchRefusal::kJetStepNotSet: return StringId::kReasonJetStepNotSet;
    case DispatchRefusal::kHandOverRefused: return StringId::kReasonHandOverRefused;
    case DispatchRefusal::kBeingPrepared: return StringId::kReasonBeingPrepared;
    case DispatchRefusal::kCancelled: return StringId::kReasonCancelled;
    case DispatchRefusal::kOutOfMemory: return StringId::kReasonOutOfMemory;
    case DispatchRefusal::kPagesNotSaved: return StringId::kReasonPagesNotSaved;
    case DispatchRefusal::kMachineValuesUnusable: return StringId::kReasonMachineValuesUnusable;
    }
    return 0;
}
