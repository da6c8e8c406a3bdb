// OL_Object and OL_List: constant-time membership, insertion, removal and whole-list moves.
#include "geometry/ol_list.h"

OL_Object::~OL_Object()
{
    if (owner_) owner_->GoOut(this);
}

void OL_Object::GoOut()
{
    if (owner_) owner_->GoOut(this);
}

OL_List::OL_List() : sentinel_(new OL_Object)
{
    sentinel_->next_ = sentinel_;
    sentinel_->prev_ = sentinel_;
    sentinel_->owner_ = this;
}

OL_List::~OL_List()
{
    Clear();
    sentinel_->owner_ = nullptr;
    delete sentinel_;
}

void OL_List::Link(OL_Object* e, OL_Object* before, OL_Object* after)
{
    e->prev_ = before;
    e->next_ = after;
    before->next_ = e;
    after->prev_ = e;
    e->owner_ = this;
    ++count_;
}

int OL_List::AddTail(OL_Object* e)
{
    if (!e || e->owner_) return 0;
    Link(e, sentinel_->prev_, sentinel_);
    return 1;
}

int OL_List::AddHead(OL_Object* e)
{
    if (!e || e->owner_) return 0;
    Link(e, sentinel_, sentinel_->next_);
    return 1;
}

int OL_List::InsertFront(OL_Object* e, OL_Object* pos)
{
    if (!e || e->owner_ || !pos || pos->owner_ != this) return 0;
    Link(e, pos->prev_, pos);
    return 1;
}

int OL_List::InsertBehind(OL_Object* e, OL_Object* pos)
{
    if (!e || e->owner_ || !pos || pos->owner_ != this) return 0;
    Link(e, pos, pos->next_);
    return 1;
}

int OL_List::Replace(OL_Object* newElement, OL_Object* oldElement)
{
    if (!newElement || newElement->owner_ || !oldElement || oldElement == sentinel_ || oldElement->owner_ != this)
        return 0;
    newElement->prev_ = oldElement->prev_;
    newElement->next_ = oldElement->next_;
    oldElement->prev_->next_ = newElement;
    oldElement->next_->prev_ = newElement;
    newElement->owner_ = this;
    oldElement->owner_ = nullptr;
    return 1;
}

OL_Object* OL_List::GoOut(OL_Object* e)
{
    if (!e || e->owner_ != this || e == sentinel_ || count_ <= 0) return nullptr;
    OL_Object* before = e->prev_;
    before->next_ = e->next_;
    e->next_->prev_ = before;
    e->owner_ = nullptr;
    --count_;
    return before;
}

int OL_List::GoIn(OL_Object* e)
{
    if (!e || e->owner_ || !e->prev_ || e->prev_->owner_ != this) return 0;
    OL_Object* before = e->prev_;
    Link(e, before, before->next_);
    return 1;
}

int OL_List::IsInList(OL_Object* e) const { return e && e->owner_ == this ? 1 : 0; }

OL_Object* OL_List::FindObject(OL_Object* e) const { return IsInList(e) && e != sentinel_ ? e : nullptr; }

void OL_List::Clear()
{
    OL_Object* e = sentinel_->next_;
    while (e != sentinel_) {
        OL_Object* following = e->next_;
        GoOut(e);
        delete e;
        e = following;
    }
}

void OL_List::Splice(OL_List* other)
{
    OL_Object* first = other->sentinel_->next_;
    OL_Object* last = other->sentinel_->prev_;
    for (OL_Object* e = first; e != other->sentinel_; e = e->next_) e->owner_ = this;
    OL_Object* tail = sentinel_->prev_;
    tail->next_ = first;
    first->prev_ = tail;
    last->next_ = sentinel_;
    sentinel_->prev_ = last;
    count_ += other->count_;
    other->sentinel_->next_ = other->sentinel_;
    other->sentinel_->prev_ = other->sentinel_;
    other->count_ = 0;
}

void OL_List::Append(OL_List* other)
{
    // A list appended to itself would splice its ring into itself: refused.
    if (!other || other == this || other->count_ <= 0) return;
    Splice(other);
}

void OL_List::CopyFrom(OL_List* other)
{
    if (!other || other == this || other->count_ <= 0 || count_ != 0) return;
    Splice(other);
}

OL_Object* OL_List::GetHead() const { return count_ > 0 ? sentinel_->next_ : nullptr; }

OL_Object* OL_List::GetTail() const { return count_ > 0 ? sentinel_->prev_ : nullptr; }

OL_Object* OL_List::GetNext(OL_Object* e) const
{
    if (!e || e->owner_ != this) return nullptr;
    OL_Object* n = e->next_;
    return n == sentinel_ ? nullptr : n;
}

OL_Object* OL_List::GetPres(OL_Object* e) const
{
    if (!e || e->owner_ != this) return nullptr;
    OL_Object* p = e->prev_;
    return p == sentinel_ ? nullptr : p;
}
