// Posted messages: a thread-safe queue per target, delivered on the GUI thread or drained by hand.
//
// Any thread may post; a target made with GuiThread delivery has its messages handed to
// OnMessage by the Qt event loop of the thread that owns the application, in the order they
// were posted. A ByHand target only queues them until TakePosted or DeliverPosted is called,
// which is how tests look at what was posted. Targets are created and destroyed on the GUI
// thread; messages still queued when a target is destroyed are dropped, and what they own
// is freed through the release function they were posted with.
#pragma once

#include "platform/win_types.h"

#include <cstdint>
#include <memory>
#include <vector>

// Pointer-wide message parameters, so a pointer always fits.
using WPARAM = uintptr_t;
using LPARAM = intptr_t;

inline constexpr UINT WM_USER = 0x0400;

// Frees what a message's parameters own (a heap copy in wParam, say) when the message is
// dropped undelivered. Whoever has a message delivered or takes it frees it instead.
using PostedRelease = void (*)(WPARAM wParam, LPARAM lParam);

struct PostedMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    PostedRelease release = nullptr;  // null for a message that owns nothing
};

class CMessageTarget {
public:
    enum class Delivery { GuiThread, ByHand };

    explicit CMessageTarget(Delivery delivery = Delivery::GuiThread);
    virtual ~CMessageTarget();
    CMessageTarget(const CMessageTarget&) = delete;
    CMessageTarget& operator=(const CMessageTarget&) = delete;

    // Queues one message; safe from any thread. Returns FALSE when it cannot be queued (what
    // it owns then stays the caller's).
    BOOL Post(UINT message, WPARAM wParam, LPARAM lParam, PostedRelease release = nullptr);
    // Takes every queued message out, oldest first, without delivering them.
    std::vector<PostedMessage> TakePosted();
    // Delivers every queued message to OnMessage now, on the calling thread; returns how many.
    int DeliverPosted();

protected:
    // Handles one posted message; the default ignores it.
    virtual void OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct Queue;
    static void Wake(Queue& queue);
    std::shared_ptr<Queue> queue_;
};

// Posts to target; FALSE (and nothing queued) when target is null.
BOOL PostMessage(CMessageTarget* target, UINT message, WPARAM wParam, LPARAM lParam,
                 PostedRelease release = nullptr);

// The target that stands for the application's main window. Until the program registers its
// main frame, this is the platform's own ByHand target, whose messages wait for it. A target
// that is destroyed while registered unregisters itself.
CMessageTarget* GetMainMessageTarget();
// Registers the main window's target, handing it first what waits on the platform's own
// target; null returns to the platform's own target.
void SetMainMessageTarget(CMessageTarget* target);
// Posts to the main window's target, safe against its concurrent unregistering.
BOOL PostMainMessage(UINT message, WPARAM wParam, LPARAM lParam, PostedRelease release = nullptr);
