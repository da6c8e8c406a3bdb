// Posted messages over a locked queue per target, woken on the GUI thread through a Qt event.
#include "platform/posted_message.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

#include <deque>
#include <mutex>

namespace {

const QEvent::Type kDeliverEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

std::mutex g_mainLock;
CMessageTarget* g_mainTarget = nullptr;

// The platform's own target for the main window's messages until the program registers one;
// never destroyed, so posting to it is safe during shut-down too.
CMessageTarget* PlatformTarget()
{
    static CMessageTarget* target = new CMessageTarget(CMessageTarget::Delivery::ByHand);
    return target;
}

// Receives the wake-up events of one GuiThread target on the application's thread.
class DeliveryWaker : public QObject {
public:
    explicit DeliveryWaker(CMessageTarget* target) : target_(target) {}
    void Detach() { target_ = nullptr; }
    bool event(QEvent* e) override
    {
        if (e->type() != kDeliverEvent) return QObject::event(e);
        if (target_) target_->DeliverPosted();
        return true;
    }

private:
    CMessageTarget* target_;
};

}  // namespace

struct CMessageTarget::Queue {
    std::mutex lock;
    std::deque<PostedMessage> messages;
    bool wakePending = false;
    bool alive = true;               // cleared by the destructor; read on the GUI thread only
    int delivering = 0;              // nesting depth of DeliverPosted on the GUI thread
    DeliveryWaker* waker = nullptr;  // null for ByHand targets
};

CMessageTarget::CMessageTarget(Delivery delivery) : queue_(std::make_shared<Queue>())
{
    if (delivery == Delivery::GuiThread) {
        queue_->waker = new DeliveryWaker(this);
        if (QCoreApplication* app = QCoreApplication::instance())
            queue_->waker->moveToThread(app->thread());
    }
}

CMessageTarget::~CMessageTarget()
{
    {
        std::lock_guard<std::mutex> guard(g_mainLock);
        if (g_mainTarget == this) g_mainTarget = nullptr;
    }
    queue_->alive = false;
    if (DeliveryWaker* waker = queue_->waker) {
        // A handler may destroy its own target while the waker is delivering: then the waker
        // is only detached and goes later. Otherwise Qt drops its pending wake-ups with it.
        waker->Detach();
        if (queue_->delivering > 0)
            waker->deleteLater();
        else
            delete waker;
    }
    std::deque<PostedMessage> dropped;
    {
        std::lock_guard<std::mutex> guard(queue_->lock);
        queue_->waker = nullptr;
        dropped.swap(queue_->messages);
    }
    for (const PostedMessage& m : dropped)
        if (m.release) m.release(m.wParam, m.lParam);
}

// Queues the wake-up of a GuiThread target unless one is queued already; under queue.lock.
void CMessageTarget::Wake(Queue& queue)
{
    if (!queue.waker || queue.wakePending) return;
    queue.wakePending = true;
    QCoreApplication::postEvent(queue.waker, new QEvent(kDeliverEvent));
}

BOOL CMessageTarget::Post(UINT message, WPARAM wParam, LPARAM lParam, PostedRelease release)
{
    std::lock_guard<std::mutex> guard(queue_->lock);
    queue_->messages.push_back(PostedMessage{message, wParam, lParam, release});
    Wake(*queue_);
    return TRUE;
}

std::vector<PostedMessage> CMessageTarget::TakePosted()
{
    std::lock_guard<std::mutex> guard(queue_->lock);
    std::vector<PostedMessage> taken(queue_->messages.begin(), queue_->messages.end());
    queue_->messages.clear();
    return taken;
}

// Delivers one message at a time in posting order and stops when a handler destroyed the
// target. While a handler runs, a wake-up stays queued for the messages still waiting, so a
// nested event loop in the handler (a modal dialog) delivers them, as a window's modal loop
// does; otherwise every notification would wait until the dialog is closed.
int CMessageTarget::DeliverPosted()
{
    std::shared_ptr<Queue> queue = queue_;
    int delivered = 0;
    ++queue->delivering;
    {
        std::lock_guard<std::mutex> guard(queue->lock);
        queue->wakePending = false;  // this call takes what a queued wake-up was for
    }
    for (;;) {
        PostedMessage next;
        {
            std::lock_guard<std::mutex> guard(queue->lock);
            if (queue->messages.empty()) break;
            next = queue->messages.front();
            queue->messages.pop_front();
            if (!queue->messages.empty()) Wake(*queue);
        }
        OnMessage(next.message, next.wParam, next.lParam);
        ++delivered;
        if (!queue->alive) break;
    }
    --queue->delivering;
    return delivered;
}

void CMessageTarget::OnMessage(UINT, WPARAM, LPARAM) {}

BOOL PostMessage(CMessageTarget* target, UINT message, WPARAM wParam, LPARAM lParam, PostedRelease release)
{
    return target ? target->Post(message, wParam, lParam, release) : FALSE;
}

CMessageTarget* GetMainMessageTarget()
{
    std::lock_guard<std::mutex> guard(g_mainLock);
    return g_mainTarget ? g_mainTarget : PlatformTarget();
}

// Hands what waited for a main window to the one that registers, ahead of anything posted
// later (the main lock keeps posts out meanwhile), so no early notification is lost.
void SetMainMessageTarget(CMessageTarget* target)
{
    std::lock_guard<std::mutex> guard(g_mainLock);
    g_mainTarget = target;
    if (!target || target == PlatformTarget()) return;
    for (const PostedMessage& m : PlatformTarget()->TakePosted()) target->Post(m.message, m.wParam, m.lParam, m.release);
}

BOOL PostMainMessage(UINT message, WPARAM wParam, LPARAM lParam, PostedRelease release)
{
    std::lock_guard<std::mutex> guard(g_mainLock);
    CMessageTarget* target = g_mainTarget ? g_mainTarget : PlatformTarget();
    return target->Post(message, wParam, lParam, release);
}
