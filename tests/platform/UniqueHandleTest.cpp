// Handle ownership: each kind's "none" value, a handle released exactly once however it moves,
// and a real kernel handle closed when its owner goes.
#include <gtest/gtest.h>

#include <windows.h>

#include <utility>
#include <vector>

#include "platform/Handles.h"
#include "platform/ScopedSelectObject.h"

namespace {

// Records every release instead of closing anything; 0 means none.
struct CountingTraits {
    using Handle = int;
    static Handle Invalid() noexcept { return 0; }
    static bool IsValid(Handle h) noexcept { return h != 0; }
    static void Close(Handle h) noexcept { Closed().push_back(h); }
    static std::vector<int>& Closed()
    {
        static std::vector<int> closed;
        return closed;
    }
};
using Counted = UniqueHandle<CountingTraits>;

bool IsOpenHandle(HANDLE handle)
{
    DWORD flags = 0;
    ::SetLastError(0xdeadbeef);
    const bool open = ::GetHandleInformation(handle, &flags) != FALSE;
    if (!open) {
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    }
    return open;
}

} // namespace

TEST(UniqueHandle, EveryHandleIsReleasedOnceWhereverItMoves)
{
    CountingTraits::Closed().clear();
    {
        Counted first(7);
        Counted second(std::move(first));
        EXPECT_FALSE(first.valid());
        EXPECT_EQ(second.get(), 7);

        Counted third(8);
        third = std::move(second);
        EXPECT_EQ(CountingTraits::Closed(), std::vector<int>{8}) << "the handle it held before";
        Counted& same = third;
        third = std::move(same);
        EXPECT_EQ(third.get(), 7) << "a move onto itself keeps the handle";

        third.reset(9);
        Counted given(10);
        EXPECT_EQ(given.release(), 10);
        EXPECT_FALSE(given);
    }
    EXPECT_EQ(CountingTraits::Closed(), (std::vector<int>{8, 7, 9})) << "10 was given away, not released";
}

TEST(UniqueHandle, EachKindKnowsItsNoneValue)
{
    EXPECT_EQ(UniqueKernelHandle().get(), nullptr);
    EXPECT_FALSE(UniqueKernelHandle(INVALID_HANDLE_VALUE).valid()) << "a failed call's answer, never closed";
    EXPECT_EQ(UniqueFileHandle().get(), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(UniqueFileHandle(nullptr).valid());
    EXPECT_EQ(UniqueFindHandle().get(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(UniqueInfHandle().get(), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(UniqueRegKey(reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE)).valid());
    EXPECT_EQ(UniqueImageList().get(), nullptr);
    EXPECT_EQ(UniqueFont().get(), nullptr);
}

TEST(UniqueHandle, AKernelHandleIsClosedWhenItsOwnerGoes)
{
    HANDLE event = nullptr;
    {
        UniqueKernelHandle owner(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        ASSERT_TRUE(owner.valid());
        event = owner.get();
        EXPECT_TRUE(IsOpenHandle(event));
    }
    EXPECT_FALSE(IsOpenHandle(event));
}

TEST(UniqueHandle, AMenuIsDestroyedWhenItsOwnerGoesUnlessGivenAway)
{
    HMENU menu = nullptr;
    {
        UniqueMenu owner(::CreateMenu());
        ASSERT_TRUE(owner.valid());
        menu = owner.get();
    }
    EXPECT_FALSE(::IsMenu(menu));
    UniqueMenu given(::CreateMenu());
    menu = given.release();
    EXPECT_TRUE(::IsMenu(menu)) << "given to a window, which destroys it";
    ::DestroyMenu(menu);
}

TEST(ScopedSelectObject, PutsTheEarlierObjectBackWhenTheScopeEnds)
{
    const UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    const UniqueBitmap bitmap(::CreateCompatibleBitmap(dc.get(), 4, 4));
    ASSERT_TRUE(dc && bitmap);
    const HGDIOBJ original = ::GetCurrentObject(dc.get(), OBJ_BITMAP);
    {
        const ScopedSelectObject selection(dc.get(), bitmap.get());
        EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get());
        const ScopedSelectObject nothing(dc.get(), nullptr);
        EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BITMAP), bitmap.get()) << "a null selection changes nothing";
    }
    EXPECT_EQ(::GetCurrentObject(dc.get(), OBJ_BITMAP), original);
}
