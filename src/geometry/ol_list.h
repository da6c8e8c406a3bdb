// The intrusive, circular, doubly linked list (OL_List) of OL_Object elements.
//
// An element carries its own links and the list that holds it, so membership is one field
// test and moving elements between lists never copies them. A list owns its elements:
// clearing or destroying it deletes them. Neither class is copyable.
#pragma once

#include <cstdint>

class OL_List;

using ObjectType = int32_t;

class OL_Object {
public:
    OL_Object() = default;
    OL_Object(const OL_Object&) = delete;
    OL_Object& operator=(const OL_Object&) = delete;

    virtual OL_Object* GetPres() { return prev_; }
    virtual OL_Object* GetNext() { return next_; }
    virtual OL_List* GetObjList(OL_Object*) { return nullptr; }
    virtual ObjectType Type() { return 0; }
    virtual void Flush() {}
    // Leaves the owning list first, so that destroying an element still in a list keeps the
    // list's ring whole.
    virtual ~OL_Object();

    // Leaves the owning list, if any; the element is not deleted.
    void GoOut();
    OL_List* GetStoredIn() const { return owner_; }

private:
    friend class OL_List;
    OL_Object* next_ = nullptr;
    OL_Object* prev_ = nullptr;
    OL_List* owner_ = nullptr;
};

class OL_List {
public:
    OL_List();
    OL_List(const OL_List&) = delete;
    OL_List& operator=(const OL_List&) = delete;

    // Moves every element of other to this list's tail; nothing happens for a null or empty
    // list, or for the list itself.
    virtual void Append(OL_List* other);
    // Takes over other's whole ring, only when other has elements and this list is empty.
    virtual void CopyFrom(OL_List* other);
    // Puts newElement in oldElement's place; oldElement is given back free and undeleted.
    virtual int Replace(OL_Object* newElement, OL_Object* oldElement);
    // Deletes every element.
    virtual void Clear();
    virtual int IsInList(OL_Object* e) const;
    // Re-inserts a free element behind the predecessor it left.
    virtual int GoIn(OL_Object* e);
    // Unlinks e (not deleted) and returns its former predecessor, the sentinel when e was first.
    virtual OL_Object* GoOut(OL_Object* e);
    virtual int AddTail(OL_Object* e);
    virtual int AddHead(OL_Object* e);
    // Returns e when it is in this list, else null.
    virtual OL_Object* FindObject(OL_Object* e) const;
    virtual int InsertFront(OL_Object* e, OL_Object* pos);
    virtual int InsertBehind(OL_Object* e, OL_Object* pos);
    virtual ~OL_List();

    OL_Object* GetHead() const;
    OL_Object* GetTail() const;
    // The head of list, or null for a null list: callers that may hold no list use this form.
    static OL_Object* GetHead(const OL_List* list) { return list ? list->GetHead() : nullptr; }
    OL_Object* GetNext(OL_Object* e) const;
    OL_Object* GetPres(OL_Object* e) const;
    int Count() const { return count_; }

private:
    // Links e between before and after and makes it this list's.
    void Link(OL_Object* e, OL_Object* before, OL_Object* after);
    // Takes every element of other into this list, spliced behind this list's last.
    void Splice(OL_List* other);

    OL_Object* sentinel_;
    int32_t count_ = 0;
};
