// Why a job could not be loaded or dispatched: one reason each, with the text the operator is told.
#pragma once

#include <cstdint>

enum class DispatchRefusal : uint8_t {
    kNone = 0,
    // Loading the job's plot file.
    kFileUnreadable,
    kFileEmpty,
    kNoShapes,
    kDxfRejected,
    kOverPointBudget,
    // Dispatching a job to a machine.
    kNotLoaded,
    kNoMachine,
    kMachineOffline,
    kMachineBusy,
    kNoUsableWidth,
    kJetStepNotSet,
    kHandOverRefused,
    kBeingPrepared,
    kCancelled,
    kOutOfMemory,
    kPagesNotSaved,
    kMachineValuesUnusable,
};

// The resource number of the text that names reason (for kNone, none: 0).
uint32_t DispatchRefusalStringId(DispatchRefusal reason);
