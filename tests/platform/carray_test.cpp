// CArray: growth, insertion, removal and the exception on a bad index.
#include "platform/carray.h"
#include "platform/rect.h"

#include <gtest/gtest.h>

namespace {

TEST(CArray, InsertsRemovesAndGrows)
{
    CArray<CPoint, CPoint&> a;
    EXPECT_EQ(a.Add(CPoint(1, 1)), 0);
    EXPECT_EQ(a.Add(CPoint(3, 3)), 1);
    a.InsertAt(1, CPoint(2, 2));
    ASSERT_EQ(a.GetSize(), 3);
    EXPECT_EQ(a[1], CPoint(2, 2));
    a.RemoveAt(0, 2);
    ASSERT_EQ(a.GetSize(), 1);
    EXPECT_EQ(a[0], CPoint(3, 3));
    a.SetAtGrow(3, CPoint(9, 9));
    EXPECT_EQ(a.GetSize(), 4);
    EXPECT_EQ(a.GetUpperBound(), 3);
    EXPECT_EQ(a[3], CPoint(9, 9));
}

TEST(CArray, BadIndexRaisesInvalidArgument)
{
    CArray<int> a;
    a.SetSize(2);
    EXPECT_THROW(a[2], CInvalidArgException);
    EXPECT_THROW(a.GetAt(-1), CInvalidArgException);
    EXPECT_THROW(a.SetAt(5, 1), CInvalidArgException);
    EXPECT_THROW(a.RemoveAt(1, 2), CInvalidArgException);
    EXPECT_THROW(a.SetSize(-1), CInvalidArgException);
    EXPECT_NO_THROW(a.RemoveAt(0, 2));
    EXPECT_TRUE(a.IsEmpty());
}

}  // namespace
