// The one byte-buffer type: empty, a view into bytes kept alive elsewhere, or one of several
// owners of a heap buffer whose holder count lives in the process-wide ContentRegistry.
#pragma once

#include "text_error.h"

#include <cstddef>
#include <map>

// Holder counts of owned buffers, keyed by the buffer's start address.
class ContentRegistry {
  public:
    ContentRegistry();
    ~ContentRegistry();
    ContentRegistry(const ContentRegistry&) = delete;
    ContentRegistry& operator=(const ContentRegistry&) = delete;

    // Adds one holder of `buffer`, inserting it with count 1 when it is new.
    void addHolder(const unsigned char* buffer);
    // Removes one holder; returns false when `buffer` has no entry. Frees nothing itself:
    // `lastHolderGone` tells the caller that the count reached 0 and the entry was erased.
    bool removeHolder(const unsigned char* buffer, bool& lastHolderGone);

    std::size_t entryCount() const { return counts.size(); }
    UINT countOf(const unsigned char* buffer) const;

    // The process-wide table; it is constructed before and destroyed after every other
    // static object of the program.
    static ContentRegistry& instance();
    // True between the construction and the destruction of the process-wide table.
    static bool isAlive();

  private:
    std::map<const unsigned char*, UINT> counts;
};

class DataContent {
  public:
    DataContent() = default;
    explicit DataContent(UINT size);
    DataContent(unsigned char* pointer, UINT size, bool owned);
    DataContent(const DataContent& other);
    DataContent& operator=(const DataContent& other);
    ~DataContent();

    void create(unsigned char* pointer, UINT size, bool owned);
    void dispose();

    unsigned char* operator()(UINT index);
    const unsigned char* operator()(UINT index) const;

    unsigned char* data = nullptr;
    UINT size = 0;
    bool owned = false;
};
