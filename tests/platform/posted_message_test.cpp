// Posted messages: delivery on the GUI thread in posting order, by-hand targets, the main window.
#include "platform/posted_message.h"

#include "support/event_loop.h"
#include "support/recording_message_target.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using corvane_test::RunEventLoopUntil;

class LoggingTarget : public CMessageTarget {
public:
    std::vector<PostedMessage> seen;
    std::thread::id thread;
    int destroyAfter = -1;  // a handler that closes its own window after this many messages

protected:
    void OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        seen.push_back({message, wParam, lParam});
        thread = std::this_thread::get_id();
        if (static_cast<int>(seen.size()) == destroyAfter) delete this;
    }
};

TEST(PostedMessage, ArrivesOnTheGuiThreadInPostingOrderWithPointerWideParameters)
{
    corvane_test::EnsureEventLoop();
    LoggingTarget target;
    const int count = 500;
    std::thread poster([&] {
        for (int i = 0; i < count; ++i)
            EXPECT_TRUE(PostMessage(&target, WM_USER + 20, UINTPTR_MAX - static_cast<WPARAM>(i), INTPTR_MIN + i));
    });
    poster.join();
    ASSERT_TRUE(RunEventLoopUntil([&] { return target.seen.size() == count; }));
    EXPECT_EQ(target.thread, std::this_thread::get_id());
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(target.seen[i].message, WM_USER + 20);
        EXPECT_EQ(target.seen[i].wParam, UINTPTR_MAX - static_cast<WPARAM>(i));
        EXPECT_EQ(target.seen[i].lParam, INTPTR_MIN + i);
    }
    EXPECT_FALSE(PostMessage(nullptr, WM_USER, 0, 0));
}

TEST(PostedMessage, ATargetDestroyedByItsHandlerOrWithMessagesPendingGetsNoMore)
{
    corvane_test::EnsureEventLoop();
    auto* closing = new LoggingTarget;
    closing->destroyAfter = 2;
    for (int i = 0; i < 5; ++i) closing->Post(1, 0, 0);
    auto* pending = new LoggingTarget;
    pending->Post(2, 0, 0);
    delete pending;  // its wake-up is still queued in Qt

    LoggingTarget witness;  // posted last: once it has its message, the others had their turn
    witness.Post(3, 0, 0);
    ASSERT_TRUE(RunEventLoopUntil([&] { return witness.seen.size() == 1; }));
    // Reaching here under the sanitizers means no handler ran on a destroyed target.
}

TEST(PostedMessage, MessagesDroppedWithTheirTargetFreeWhatTheyOwn)
{
    corvane_test::EnsureEventLoop();
    static int released;
    released = 0;
    const PostedRelease release = [](WPARAM wParam, LPARAM) {
        delete reinterpret_cast<int*>(wParam);
        ++released;
    };
    auto owned = [] { return reinterpret_cast<WPARAM>(new int(0)); };

    auto* byHand = new CMessageTarget(CMessageTarget::Delivery::ByHand);
    byHand->Post(1, owned(), 0, release);
    byHand->Post(2, 7, 0);  // owns nothing
    ASSERT_TRUE(PostMessage(byHand, 3, owned(), 0, release));
    std::vector<PostedMessage> taken = byHand->TakePosted();  // taken: now the taker's to free
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(taken[0].release, release);
    EXPECT_EQ(taken[1].release, nullptr);
    byHand->Post(4, owned(), 0, release);
    delete byHand;
    EXPECT_EQ(released, 1);
    for (const PostedMessage& m : taken)
        if (m.release) m.release(m.wParam, m.lParam);

    // A window closed by its own handler on the first message: the two after it are freed.
    released = 0;
    auto* closing = new LoggingTarget;
    closing->destroyAfter = 1;
    closing->Post(5, 0, 0);
    closing->Post(5, owned(), 0, release);
    closing->Post(5, owned(), 0, release);
    LoggingTarget witness;
    witness.Post(6, 0, 0);
    ASSERT_TRUE(RunEventLoopUntil([&] { return witness.seen.size() == 1; }));
    EXPECT_EQ(released, 2);
}

TEST(PostedMessage, AHandlerRunningANestedEventLoopStillGetsTheMessagesAfterIt)
{
    corvane_test::EnsureEventLoop();
    // The first message opens a modal dialog: the event loop runs inside its handler.
    class ModalTarget : public CMessageTarget {
    public:
        std::vector<UINT> seen;
        bool restArrivedInside = false;

    protected:
        void OnMessage(UINT message, WPARAM, LPARAM) override
        {
            seen.push_back(message);
            if (message != 1) return;
            Post(3, 0, 0);
            restArrivedInside = RunEventLoopUntil([&] { return seen.size() == 3; }, 3000);
        }
    };
    ModalTarget target;
    target.Post(1, 0, 0);
    target.Post(2, 0, 0);
    ASSERT_TRUE(RunEventLoopUntil([&] { return target.seen.size() == 3; }));
    EXPECT_TRUE(target.restArrivedInside);
    EXPECT_EQ(target.seen, (std::vector<UINT>{1, 2, 3}));
}

TEST(PostedMessage, MainWindowMessagesWaitOnThePlatformTargetUntilAWindowRegisters)
{
    GetMainMessageTarget()->TakePosted();
    EXPECT_TRUE(PostMainMessage(WM_USER + 28, 7, 0));
    std::vector<PostedMessage> early = GetMainMessageTarget()->TakePosted();
    ASSERT_EQ(early.size(), 1u);
    EXPECT_EQ(early[0].wParam, 7u);

    CMessageTarget* platformTarget = GetMainMessageTarget();
    EXPECT_TRUE(PostMainMessage(WM_USER + 29, 8, 0));  // waits for the window made next
    {
        corvane_test::RecordingMessageTarget window;
        EXPECT_EQ(GetMainMessageTarget(), &window);
        EXPECT_TRUE(platformTarget->TakePosted().empty()) << "handed to the window";
        std::thread([] { PostMainMessage(WM_USER + 30, 1, 2); }).join();
        std::vector<PostedMessage> got = window.Drain();
        ASSERT_EQ(got.size(), 2u);
        EXPECT_EQ(got[0].message, WM_USER + 29u);
        EXPECT_EQ(got[0].wParam, 8u);
        EXPECT_EQ(got[1].message, WM_USER + 30u);
        EXPECT_TRUE(window.Drain().empty());
    }
    EXPECT_EQ(GetMainMessageTarget(), platformTarget);

    auto* window = new CMessageTarget(CMessageTarget::Delivery::ByHand);
    SetMainMessageTarget(window);
    delete window;  // a registered window that goes away unregisters itself
    EXPECT_EQ(GetMainMessageTarget(), platformTarget);
}

}  // namespace
