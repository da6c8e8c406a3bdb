// OL_List ownership and move rules, with elements that count their destructions.
#include "geometry/ol_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Counted : OL_Object {
    explicit Counted(int* deaths, int v = 0) : deaths(deaths), value(v) {}
    ~Counted() override { ++*deaths; }
    int* deaths;
    int value;
};

std::vector<int> Values(const OL_List& list)
{
    std::vector<int> out;
    for (OL_Object* e = list.GetHead(); e; e = list.GetNext(e)) out.push_back(static_cast<Counted*>(e)->value);
    return out;
}

TEST(OL_List, ClearAndDestructionDeleteEachElementOnce)
{
    int deaths = 0;
    {
        OL_List list;
        for (int i = 0; i < 3; ++i) list.AddTail(new Counted(&deaths, i));
        list.Clear();
        EXPECT_EQ(deaths, 3);
        EXPECT_EQ(list.Count(), 0);
        EXPECT_EQ(list.GetHead(), nullptr);
        list.AddTail(new Counted(&deaths));
    }
    EXPECT_EQ(deaths, 4);
}

TEST(OL_List, InsertionsRefuseElementsThatAlreadyHaveAList)
{
    int deaths = 0;
    OL_List a, b;
    auto* e = new Counted(&deaths, 1);
    ASSERT_EQ(a.AddTail(e), 1);
    EXPECT_EQ(a.AddTail(e), 0);
    EXPECT_EQ(b.AddHead(e), 0);
    auto* f = new Counted(&deaths, 2);
    EXPECT_EQ(b.InsertFront(f, e), 0) << "the position is in another list";
    EXPECT_EQ(a.InsertBehind(f, e), 1);
    auto* g = new Counted(&deaths, 0);
    EXPECT_EQ(a.InsertFront(g, e), 1);
    EXPECT_EQ(Values(a), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(b.Count(), 0);
    EXPECT_EQ(a.IsInList(e), 1);
    EXPECT_EQ(b.IsInList(e), 0);
    EXPECT_EQ(a.FindObject(e), e);
    EXPECT_EQ(b.FindObject(e), nullptr);
}

TEST(OL_List, GoOutGivesThePredecessorAndTheElementBackUndeleted)
{
    int deaths = 0;
    OL_List list, other;
    auto* first = new Counted(&deaths, 1);
    auto* second = new Counted(&deaths, 2);
    list.AddTail(first);
    list.AddTail(second);

    EXPECT_EQ(other.GoOut(first), nullptr) << "not that list's element";
    OL_Object* before = list.GoOut(first);
    ASSERT_NE(before, nullptr);
    EXPECT_EQ(list.GetNext(before), second) << "the sentinel leads to the new first element";
    EXPECT_EQ(first->GetStoredIn(), nullptr);
    EXPECT_EQ(deaths, 0);

    EXPECT_EQ(list.GoIn(first), 1) << "back behind the predecessor it left";
    EXPECT_EQ(Values(list), (std::vector<int>{1, 2}));

    second->GoOut();
    EXPECT_EQ(list.Count(), 1);
    delete second;
    EXPECT_EQ(deaths, 1);
}

TEST(OL_List, ReplaceKeepsTheCountAndReturnsTheOldElementFree)
{
    int deaths = 0;
    OL_List list;
    auto* old = new Counted(&deaths, 1);
    list.AddTail(new Counted(&deaths, 0));
    list.AddTail(old);
    list.AddTail(new Counted(&deaths, 2));
    auto* fresh = new Counted(&deaths, 9);
    ASSERT_EQ(list.Replace(fresh, old), 1);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(Values(list), (std::vector<int>{0, 9, 2}));
    EXPECT_EQ(old->GetStoredIn(), nullptr);
    Counted spare(&deaths, 5);
    EXPECT_EQ(list.Replace(&spare, old), 0) << "old is no longer in the list";
    EXPECT_EQ(list.Replace(fresh, list.GetHead()), 0) << "fresh already has a list";
    EXPECT_EQ(deaths, 0);
    delete old;
    EXPECT_EQ(deaths, 1);
}

TEST(OL_List, AppendAndCopyFromMoveElements)
{
    int deaths = 0;
    OL_List a, b, c;
    a.AddTail(new Counted(&deaths, 1));
    b.AddTail(new Counted(&deaths, 2));
    b.AddTail(new Counted(&deaths, 3));

    a.Append(&b);
    EXPECT_EQ(Values(a), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(a.Count(), 3);
    EXPECT_EQ(b.Count(), 0);
    EXPECT_EQ(b.GetHead(), nullptr);
    EXPECT_EQ(a.GetTail()->GetStoredIn(), &a);

    a.Append(&a);
    a.Append(nullptr);
    a.Append(&b);
    EXPECT_EQ(a.Count(), 3);

    c.AddTail(new Counted(&deaths, 7));
    c.CopyFrom(&a);
    EXPECT_EQ(Values(c), (std::vector<int>{7})) << "into a non-empty list nothing happens";
    EXPECT_EQ(a.Count(), 3);
    b.CopyFrom(&a);
    EXPECT_EQ(Values(b), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(a.Count(), 0);
    EXPECT_EQ(deaths, 0);
}

TEST(OL_List, DestroyingAnElementStillInAListUnlinksIt)
{
    int deaths = 0;
    OL_List list;
    auto* middle = new Counted(&deaths, 2);
    list.AddTail(new Counted(&deaths, 1));
    list.AddTail(middle);
    list.AddTail(new Counted(&deaths, 3));
    delete middle;
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(Values(list), (std::vector<int>{1, 3}));
}

TEST(OL_List, NullListHeadAndWalkEnds)
{
    int deaths = 0;
    const OL_List* none = nullptr;
    EXPECT_EQ(OL_List::GetHead(none), nullptr);
    OL_List list;
    auto* only = new Counted(&deaths);
    list.AddTail(only);
    EXPECT_EQ(OL_List::GetHead(&list), only);
    EXPECT_EQ(list.GetNext(only), nullptr);
    EXPECT_EQ(list.GetPres(only), nullptr);
    EXPECT_EQ(list.GetNext(nullptr), nullptr);
}

}  // namespace
