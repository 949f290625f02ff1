// An input of the authoring core: the front-end's file, or bytes a page holds. The core asks for
// the bytes only when a decision needs them, so that a large picture that goes into a splash
// unchanged is never read whole, and a front-end that reads files meets their faults in the order
// the build does.
#pragma once

#include "payload_writer.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class InputSource {
  public:
    InputSource() = default;
    virtual ~InputSource() = default;
    InputSource(const InputSource&) = delete;
    InputSource& operator=(const InputSource&) = delete;

    // Its size in bytes: what readAll gives and what an output copies.
    virtual std::uint64_t size() const = 0;
    // Its first `count` bytes, or all of them when it is shorter.
    virtual ByteVector head(std::size_t count) const = 0;
    // All of its bytes. Raises InputError when they cannot be had.
    virtual ByteVector readAll() const = 0;
};

// Bytes already in memory, for a front-end that has them whole.
class MemoryInput : public InputSource {
  public:
    explicit MemoryInput(ByteVector bytes) : bytes(std::move(bytes)) {}
    std::uint64_t size() const override { return bytes.size(); }
    ByteVector head(std::size_t count) const override {
        return ByteVector(bytes.begin(), bytes.begin() + std::min(count, bytes.size()));
    }
    ByteVector readAll() const override { return bytes; }

  private:
    ByteVector bytes;
};

// One stretch of an output: bytes in memory, or the whole of an input, which the front-end
// copies itself (the command line inside the system, a page by joining the bytes).
class OutputPart {
  public:
    OutputPart(const ByteVector& bytes) : data(bytes.data()), count(bytes.size()) {}
    OutputPart(const unsigned char* data, std::size_t size) : data(data), count(size) {}
    OutputPart(const InputSource& input) : source(&input) {}

    // The number of bytes it adds.
    std::uint64_t length() const { return source != nullptr ? source->size() : count; }
    // The input it copies; null for bytes in memory.
    const InputSource* input() const { return source; }
    // The bytes in memory, `length()` of them; null for an input.
    const unsigned char* bytes() const { return data; }

  private:
    const unsigned char* data = nullptr;
    std::size_t count = 0;
    const InputSource* source = nullptr;
};

// The parts one after the other, for a front-end that holds the output whole.
inline ByteVector joinParts(const std::vector<OutputPart>& parts) {
    ByteVector joined;
    for (const OutputPart& part : parts) {
        if (part.input() != nullptr) {
            ByteVector bytes = part.input()->readAll();
            joined.insert(joined.end(), bytes.begin(), bytes.end());
        } else if (part.length() > 0) {
            joined.insert(joined.end(), part.bytes(), part.bytes() + part.length());
        }
    }
    return joined;
}
