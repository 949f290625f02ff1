// Reference-counted byte buffer and the process-wide table of holder counts.
#include "data_content.h"

#include <new>

namespace {

// Constant-initialised, so it is valid before any constructor of this program runs.
bool registryAlive = false;

} // namespace

// The settings record releases its owned buffer from its own destructor, so the table must be
// built before every other static object and torn down after all of them: the lowest
// user priority runs first on construction and last on destruction.
__attribute__((init_priority(101))) static ContentRegistry theRegistry;

ContentRegistry::ContentRegistry() {
    registryAlive = true;
}

// Remaining entries are discarded without freeing their buffers.
ContentRegistry::~ContentRegistry() {
    registryAlive = false;
}

ContentRegistry& ContentRegistry::instance() {
    return theRegistry;
}

bool ContentRegistry::isAlive() {
    return registryAlive;
}

void ContentRegistry::addHolder(const unsigned char* buffer) {
    ++counts[buffer];
}

bool ContentRegistry::removeHolder(const unsigned char* buffer, bool& lastHolderGone) {
    lastHolderGone = false;
    auto entry = counts.find(buffer);
    if (entry == counts.end())
        return false;
    if (--entry->second == 0) {
        counts.erase(entry);
        lastHolderGone = true;
    }
    return true;
}

UINT ContentRegistry::countOf(const unsigned char* buffer) const {
    auto entry = counts.find(buffer);
    return entry == counts.end() ? 0 : entry->second;
}

DataContent::DataContent(UINT size) {
    // Refuse size 0 before allocating, so no block is obtained that cannot be attached.
    if (size == 0)
        raiseText("DataContent::create - the passed size is NULL.");
    unsigned char* buffer = static_cast<unsigned char*>(::operator new(size, std::nothrow));
    if (buffer == nullptr)
        raiseText("DataContent::DataContent(UINT) - insufficient memory for data content.");
    try {
        create(buffer, size, true);
    } catch (...) {
        ::operator delete(buffer);
        throw;
    }
}

DataContent::DataContent(unsigned char* pointer, UINT size, bool owned) {
    create(pointer, size, owned);
}

DataContent::DataContent(const DataContent& other) {
    create(other.data, other.size, other.owned);
}

DataContent& DataContent::operator=(const DataContent& other) {
    if (this == &other)
        return *this;
    dispose();
    create(other.data, other.size, other.owned);
    return *this;
}

DataContent::~DataContent() {
    try {
        dispose();
    } catch (...) {
        // A destructor must not throw; an owner without an entry has nothing left to free.
    }
}

void DataContent::create(unsigned char* pointer, UINT size, bool owned) {
    if (pointer == nullptr)
        raiseText("DataContent::create - the passed pointer is NULL.");
    if (size == 0)
        raiseText("DataContent::create - the passed size is NULL.");
    if (owned)
        ContentRegistry::instance().addHolder(pointer);
    this->data = pointer;
    this->size = size;
    this->owned = owned;
}

void DataContent::dispose() {
    if (owned && data != nullptr && size != 0) {
        bool lastHolderGone = false;
        if (!ContentRegistry::instance().removeHolder(data, lastHolderGone))
            raiseText("DataContent::dispose - could not find the reference count.");
        if (lastHolderGone)
            ::operator delete(data);
    }
    data = nullptr;
    size = 0;
    owned = false;
}

unsigned char* DataContent::operator()(UINT index) {
    if (index > size)
        raiseText("DataContent::operator() - index is greater than content size.");
    return data == nullptr ? nullptr : data + index;
}

const unsigned char* DataContent::operator()(UINT index) const {
    if (index > size)
        raiseText("DataContent::operator() const - index is greater than content size.");
    return data == nullptr ? nullptr : data + index;
}
