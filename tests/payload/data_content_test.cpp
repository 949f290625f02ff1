// Buffer states, holder counts and every message of the byte buffer.
#include "data_content.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <new>
#include <string>

// The global allocation functions are replaced for this program so that a test can make one
// allocation fail and can see when a buffer is handed back.
namespace {

// A size no test allocates for real: both allocation forms refuse it.
const UINT refusedSize = 0xFFFFFFF0u;

const void* watchedBuffer = nullptr;
int watchedFrees = 0;

void* allocate(std::size_t size) {
    if (size == refusedSize)
        return nullptr;
    return std::malloc(size == 0 ? 1 : size);
}

void release(void* pointer) {
    if (pointer != nullptr && pointer == watchedBuffer)
        ++watchedFrees;
    std::free(pointer);
}

} // namespace

void* operator new(std::size_t size) {
    void* pointer = allocate(size);
    if (pointer == nullptr)
        throw std::bad_alloc();
    return pointer;
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void operator delete(void* pointer) noexcept {
    release(pointer);
}
void operator delete(void* pointer, std::size_t) noexcept {
    release(pointer);
}
void operator delete(void* pointer, const std::nothrow_t&) noexcept {
    release(pointer);
}

namespace {

const char* const pointerMessage = "DataContent::create - the passed pointer is NULL.";
const char* const sizeMessage = "DataContent::create - the passed size is NULL.";
const char* const memoryMessage =
    "DataContent::DataContent(UINT) - insufficient memory for data content.";
const char* const countMessage = "DataContent::dispose - could not find the reference count.";
const char* const indexMessage = "DataContent::operator() - index is greater than content size.";
const char* const constIndexMessage =
    "DataContent::operator() const - index is greater than content size.";

ContentRegistry& registry() {
    return ContentRegistry::instance();
}

// The text raised by `action`, or "(nothing raised)".
std::string raisedBy(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::string& text) {
        return text;
    }
    return "(nothing raised)";
}

void expectEmpty(const DataContent& content) {
    EXPECT_EQ(content.data, nullptr);
    EXPECT_EQ(content.size, 0u);
    EXPECT_FALSE(content.owned);
}

// Every test starts and must end with no counted buffer left: a leaked entry fails the test
// that leaked it.
class DataContentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(registry().entryCount(), 0u);
        watchedBuffer = nullptr;
        watchedFrees = 0;
    }
    void TearDown() override {
        EXPECT_EQ(registry().entryCount(), 0u);
        watchedBuffer = nullptr;
    }
};

} // namespace

// ---------------------------------------------------------------------------- states

TEST_F(DataContentTest, DefaultObjectIsEmpty) {
    DataContent content;
    expectEmpty(content);
}

TEST_F(DataContentTest, SizedObjectIsTheOnlyOwner) {
    DataContent owner(3);
    ASSERT_NE(owner.data, nullptr);
    EXPECT_EQ(owner.size, 3u);
    EXPECT_TRUE(owner.owned);
    EXPECT_EQ(registry().entryCount(), 1u);
    EXPECT_EQ(registry().countOf(owner.data), 1u);
}

TEST_F(DataContentTest, ViewLeavesTheTableAlone) {
    unsigned char bytes[4] = {1, 2, 3, 4};
    DataContent view(bytes, 4, false);
    EXPECT_EQ(view.data, bytes);
    EXPECT_EQ(view.size, 4u);
    EXPECT_FALSE(view.owned);
    EXPECT_EQ(registry().entryCount(), 0u);
    view.dispose();
    expectEmpty(view);
    EXPECT_EQ(bytes[3], 4); // a view never frees or touches the bytes
}

TEST_F(DataContentTest, CreateTakesEmptyToViewOrOwner) {
    unsigned char bytes[2] = {};
    DataContent view;
    view.create(bytes, 2, false);
    EXPECT_EQ(view.data, bytes);
    EXPECT_EQ(view.size, 2u);
    EXPECT_FALSE(view.owned);
    EXPECT_EQ(registry().entryCount(), 0u);

    unsigned char* buffer = static_cast<unsigned char*>(::operator new(5));
    DataContent owner;
    owner.create(buffer, 5, true);
    EXPECT_EQ(owner.data, buffer);
    EXPECT_EQ(owner.size, 5u);
    EXPECT_TRUE(owner.owned);
    EXPECT_EQ(registry().countOf(buffer), 1u);
    watchedBuffer = buffer;
    owner.dispose();
    expectEmpty(owner);
    EXPECT_EQ(watchedFrees, 1);
}

TEST_F(DataContentTest, ThreeArgumentConstructorAttachesAsCreateDoes) {
    unsigned char* buffer = static_cast<unsigned char*>(::operator new(7));
    {
        DataContent owner(buffer, 7, true);
        EXPECT_EQ(owner.data, buffer);
        EXPECT_EQ(owner.size, 7u);
        EXPECT_TRUE(owner.owned);
        EXPECT_EQ(registry().countOf(buffer), 1u);
        watchedBuffer = buffer;
    }
    EXPECT_EQ(watchedFrees, 1);
}

// ---------------------------------------------------------------------------- holder counts

TEST_F(DataContentTest, CopyOfAnOwnerSharesTheBuffer) {
    DataContent first(3);
    watchedBuffer = first.data;
    DataContent copy(first);
    EXPECT_EQ(copy.data, first.data);
    EXPECT_EQ(copy.size, 3u);
    EXPECT_TRUE(copy.owned);
    EXPECT_EQ(registry().entryCount(), 1u);
    EXPECT_EQ(registry().countOf(first.data), 2u);

    unsigned char* buffer = first.data;
    first.dispose();
    expectEmpty(first);
    EXPECT_EQ(watchedFrees, 0);
    EXPECT_EQ(registry().countOf(buffer), 1u);
    *copy(0) = 42; // still alive: the copy holds it
    EXPECT_EQ(*copy(0), 42);

    copy.dispose();
    expectEmpty(copy);
    EXPECT_EQ(watchedFrees, 1);
    EXPECT_EQ(registry().countOf(buffer), 0u);
    EXPECT_EQ(registry().entryCount(), 0u);
}

TEST_F(DataContentTest, CopyOfAViewIsAnotherView) {
    unsigned char bytes[3] = {};
    DataContent view(bytes, 3, false);
    DataContent copy(view);
    EXPECT_EQ(copy.data, bytes);
    EXPECT_EQ(copy.size, 3u);
    EXPECT_FALSE(copy.owned);
    EXPECT_EQ(registry().entryCount(), 0u);
}

TEST_F(DataContentTest, TwoCreatesOnOneAddressShareOneEntry) {
    unsigned char* buffer = static_cast<unsigned char*>(::operator new(4));
    watchedBuffer = buffer;
    DataContent first;
    DataContent second;
    first.create(buffer, 4, true);
    second.create(buffer, 4, true);
    EXPECT_EQ(registry().entryCount(), 1u);
    EXPECT_EQ(registry().countOf(buffer), 2u);
    second.dispose();
    EXPECT_EQ(registry().countOf(buffer), 1u);
    EXPECT_EQ(watchedFrees, 0);
    first.dispose();
    EXPECT_EQ(watchedFrees, 1);
}

TEST_F(DataContentTest, SeparateOwnersHaveSeparateEntries) {
    DataContent first(2);
    DataContent second(2);
    EXPECT_NE(first.data, second.data);
    EXPECT_EQ(registry().entryCount(), 2u);
    EXPECT_EQ(registry().countOf(first.data), 1u);
    EXPECT_EQ(registry().countOf(second.data), 1u);
    first.dispose();
    EXPECT_EQ(registry().entryCount(), 1u);
    EXPECT_EQ(registry().countOf(second.data), 1u);
}

TEST_F(DataContentTest, DisposingAViewOfAnOwnedBufferKeepsTheCount) {
    DataContent owner(8);
    watchedBuffer = owner.data;
    DataContent view(owner(2), 4, false);
    view.dispose();
    expectEmpty(view);
    EXPECT_EQ(registry().countOf(owner.data), 1u);
    EXPECT_EQ(watchedFrees, 0);
    { DataContent scopedView(owner(0), 8, false); }
    EXPECT_EQ(registry().countOf(owner.data), 1u);
    EXPECT_EQ(watchedFrees, 0);
}

// Every way an owner lets go of the last holder frees the buffer and empties the table.
TEST_F(DataContentTest, EveryReleasePathEmptiesTheTable) {
    const struct {
        const char* name;
        std::function<void()> run;
    } paths[] = {
        {"dispose",
         [] {
             DataContent owner(4);
             watchedBuffer = owner.data;
             owner.dispose();
             EXPECT_EQ(registry().entryCount(), 0u);
         }},
        {"destructor",
         [] {
             DataContent owner(4);
             watchedBuffer = owner.data;
         }},
        {"destructor of the last copy",
         [] {
             DataContent* owner = new DataContent(4);
             watchedBuffer = owner->data;
             DataContent copy(*owner);
             delete owner;
             EXPECT_EQ(registry().countOf(copy.data), 1u);
             EXPECT_EQ(watchedFrees, 0);
         }},
        {"assignment over the last owner",
         [] {
             DataContent owner(4);
             watchedBuffer = owner.data;
             unsigned char bytes[1] = {};
             owner = DataContent(bytes, 1, false);
             EXPECT_FALSE(owner.owned);
         }},
        {"assignment from another owner",
         [] {
             DataContent owner(4);
             watchedBuffer = owner.data;
             {
                 DataContent other(6);
                 owner = other;
                 EXPECT_EQ(registry().entryCount(), 1u);
             }
         }},
        {"dispose of each of three copies",
         [] {
             DataContent a(4);
             watchedBuffer = a.data;
             DataContent b(a);
             DataContent c = b;
             EXPECT_EQ(registry().countOf(a.data), 3u);
             b.dispose();
             a.dispose();
             EXPECT_EQ(watchedFrees, 0);
             c.dispose();
         }},
    };
    for (const auto& path : paths) {
        SCOPED_TRACE(path.name);
        watchedFrees = 0;
        path.run();
        EXPECT_EQ(watchedFrees, 1);
        EXPECT_EQ(registry().entryCount(), 0u);
    }
}

TEST_F(DataContentTest, DisposingTwiceIsHarmless) {
    DataContent empty;
    empty.dispose();
    empty.dispose();
    expectEmpty(empty);

    unsigned char bytes[2] = {};
    DataContent view(bytes, 2, false);
    view.dispose();
    view.dispose();
    expectEmpty(view);

    DataContent owner(2);
    watchedBuffer = owner.data;
    DataContent other(owner);
    owner.dispose();
    owner.dispose(); // must not take the other holder's count
    expectEmpty(owner);
    EXPECT_EQ(registry().countOf(other.data), 1u);
    EXPECT_EQ(watchedFrees, 0);
}

TEST_F(DataContentTest, AssignmentDisposesWhatTheTargetHeld) {
    DataContent source(3);
    DataContent target(5);
    unsigned char* old = target.data;
    watchedBuffer = old;
    target = source;
    EXPECT_EQ(watchedFrees, 1);
    EXPECT_EQ(registry().countOf(old), 0u);
    EXPECT_EQ(target.data, source.data);
    EXPECT_EQ(target.size, 3u);
    EXPECT_TRUE(target.owned);
    EXPECT_EQ(registry().countOf(source.data), 2u);
    EXPECT_EQ(registry().entryCount(), 1u);
}

TEST_F(DataContentTest, AssignmentOverAHolderOfTheSameBufferKeepsIt) {
    DataContent source(3);
    watchedBuffer = source.data;
    DataContent target(source);
    target = source;
    EXPECT_EQ(watchedFrees, 0);
    EXPECT_EQ(registry().countOf(source.data), 2u);
}

TEST_F(DataContentTest, AssignmentBetweenViewsAndOwners) {
    unsigned char bytes[6] = {};
    DataContent view(bytes, 6, false);
    DataContent owner(2);
    DataContent target(view);
    target = owner;
    EXPECT_TRUE(target.owned);
    EXPECT_EQ(target.data, owner.data);
    EXPECT_EQ(registry().countOf(owner.data), 2u);

    target = view;
    EXPECT_FALSE(target.owned);
    EXPECT_EQ(target.data, bytes);
    EXPECT_EQ(target.size, 6u);
    EXPECT_EQ(registry().countOf(owner.data), 1u);
}

// ---------------------------------------------------------------------------- messages

TEST_F(DataContentTest, FailedAttachRaisesAndLeavesTheObjectEmpty) {
    unsigned char bytes[4] = {};
    const struct {
        const char* name;
        unsigned char* pointer;
        UINT size;
        bool owned;
        const char* message;
    } cases[] = {
        {"null pointer, size 0", nullptr, 0, false, pointerMessage},
        {"null pointer, size 0, owned", nullptr, 0, true, pointerMessage},
        {"null pointer, size 4", nullptr, 4, false, pointerMessage},
        {"null pointer, size 4, owned", nullptr, 4, true, pointerMessage},
        {"size 0", bytes, 0, false, sizeMessage},
        {"size 0, owned", bytes, 0, true, sizeMessage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DataContent content;
        EXPECT_EQ(raisedBy([&] { content.create(c.pointer, c.size, c.owned); }), c.message);
        expectEmpty(content);
        EXPECT_EQ(registry().entryCount(), 0u);

        EXPECT_EQ(raisedBy([&] { DataContent constructed(c.pointer, c.size, c.owned); }),
                  c.message);
        EXPECT_EQ(registry().entryCount(), 0u);
    }
}

TEST_F(DataContentTest, FailedAttachOnAnAttachedObjectChangesNothing) {
    DataContent owner(3);
    unsigned char* buffer = owner.data;
    EXPECT_EQ(raisedBy([&] { owner.create(nullptr, 0, true); }), pointerMessage);
    EXPECT_EQ(raisedBy([&] { owner.create(buffer, 0, true); }), sizeMessage);
    EXPECT_EQ(owner.data, buffer);
    EXPECT_EQ(owner.size, 3u);
    EXPECT_TRUE(owner.owned);
    EXPECT_EQ(registry().countOf(buffer), 1u);
}

TEST_F(DataContentTest, SizedConstructorWithSizeZeroRaisesTheSizeMessage) {
    EXPECT_EQ(raisedBy([] { DataContent content(0u); }), sizeMessage);
    EXPECT_EQ(registry().entryCount(), 0u);
}

TEST_F(DataContentTest, SizedConstructorReportsFailedAllocation) {
    EXPECT_EQ(raisedBy([] { DataContent content(refusedSize); }), memoryMessage);
    EXPECT_EQ(registry().entryCount(), 0u);
}

TEST_F(DataContentTest, MissingCountRaisesAndKeepsTheFields) {
    DataContent owner(3);
    unsigned char* buffer = owner.data;
    bool lastHolderGone = false;
    ASSERT_TRUE(registry().removeHolder(buffer, lastHolderGone));
    ASSERT_TRUE(lastHolderGone);

    EXPECT_EQ(raisedBy([&] { owner.dispose(); }), countMessage);
    EXPECT_EQ(owner.data, buffer);
    EXPECT_EQ(owner.size, 3u);
    EXPECT_TRUE(owner.owned);
    EXPECT_EQ(registry().entryCount(), 0u);

    // Assignment disposes first, so it raises the same and leaves the target as it was.
    unsigned char bytes[1] = {};
    DataContent view(bytes, 1, false);
    EXPECT_EQ(raisedBy([&] { owner = view; }), countMessage);
    EXPECT_EQ(owner.data, buffer);
    EXPECT_TRUE(owner.owned);

    // Give the buffer its entry back so that it is freed normally.
    watchedBuffer = buffer;
    registry().addHolder(buffer);
    owner.dispose();
    expectEmpty(owner);
    EXPECT_EQ(watchedFrees, 1);
}

TEST_F(DataContentTest, DestructorSwallowsAMissingCount) {
    unsigned char* buffer = static_cast<unsigned char*>(::operator new(2));
    watchedBuffer = buffer;
    {
        DataContent owner(buffer, 2, true);
        bool lastHolderGone = false;
        ASSERT_TRUE(registry().removeHolder(buffer, lastHolderGone));
    } // must neither throw nor free a buffer it cannot account for
    EXPECT_EQ(watchedFrees, 0);
    ::operator delete(buffer);
}

// ---------------------------------------------------------------------------- access

TEST_F(DataContentTest, IndexUpToTheSizeGivesTheAddress) {
    DataContent owner(3);
    const DataContent& readOnly = owner;
    for (UINT index = 0; index <= 3; ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(owner(index), owner.data + index);
        EXPECT_EQ(readOnly(index), owner.data + index);
    }
    *owner(2) = 0x5A;
    EXPECT_EQ(*readOnly(2), 0x5A);
}

TEST_F(DataContentTest, IndexAboveTheSizeRaisesTheMessageOfItsForm) {
    DataContent owner(3);
    const DataContent& readOnly = owner;
    unsigned char bytes[1] = {};
    DataContent view(bytes, 1, false);
    DataContent empty;
    const struct {
        const char* name;
        DataContent* content;
        UINT index;
    } cases[] = {
        {"owner, size + 1", &owner, 4},
        {"owner, largest index", &owner, 0xFFFFFFFFu},
        {"view, size + 1", &view, 2},
        {"empty, index 1", &empty, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DataContent& writable = *c.content;
        const DataContent& constant = *c.content;
        EXPECT_EQ(raisedBy([&] { writable(c.index); }), indexMessage);
        EXPECT_EQ(raisedBy([&] { constant(c.index); }), constIndexMessage);
    }
    EXPECT_EQ(owner.size, 3u);
    EXPECT_EQ(readOnly.size, 3u);
}

TEST_F(DataContentTest, IndexZeroOnAnEmptyObjectIsNull) {
    DataContent empty;
    const DataContent& readOnly = empty;
    EXPECT_EQ(raisedBy([&] { EXPECT_EQ(empty(0), nullptr); }), "(nothing raised)");
    EXPECT_EQ(raisedBy([&] { EXPECT_EQ(readOnly(0), nullptr); }), "(nothing raised)");
}

// ---------------------------------------------------------------------------- the table

TEST_F(DataContentTest, TableIsOneLiveObject) {
    EXPECT_TRUE(ContentRegistry::isAlive());
    EXPECT_EQ(&ContentRegistry::instance(), &ContentRegistry::instance());
}

TEST_F(DataContentTest, TableCountsHoldersByAddress) {
    unsigned char a = 0, b = 0;
    bool lastHolderGone = true;
    EXPECT_FALSE(registry().removeHolder(&a, lastHolderGone));
    EXPECT_FALSE(lastHolderGone);
    registry().addHolder(&a);
    registry().addHolder(&a);
    registry().addHolder(&b);
    EXPECT_EQ(registry().entryCount(), 2u);
    EXPECT_EQ(registry().countOf(&a), 2u);
    EXPECT_TRUE(registry().removeHolder(&a, lastHolderGone));
    EXPECT_FALSE(lastHolderGone);
    EXPECT_TRUE(registry().removeHolder(&a, lastHolderGone));
    EXPECT_TRUE(lastHolderGone);
    EXPECT_EQ(registry().countOf(&a), 0u);
    EXPECT_EQ(registry().entryCount(), 1u); // no entry is kept at count 0
    EXPECT_TRUE(registry().removeHolder(&b, lastHolderGone));
    EXPECT_TRUE(lastHolderGone);
}
