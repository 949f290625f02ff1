// The player's own versions of the few runtime helpers that would otherwise pull in code it never
// uses. The runtime's copies bring the name demangler and every standard exception class with its
// own second string implementation, together more than the rest of the player.
#include <cstdlib>
#include <exception>
#include <new>

namespace __gnu_cxx {
// Reached only by an exception that nothing catches; WinMain catches everything.
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

// What the containers raise when memory or their size limits run out. The player catches every
// failure outside the load with `catch (...)` and ends in order, so the exception's type and text
// are never looked at.
namespace std {
void __throw_bad_alloc() {
    throw bad_alloc();
}
void __throw_length_error(const char*) {
    throw bad_alloc();
}
void __throw_logic_error(const char*) {
    throw exception();
}
void __throw_out_of_range_fmt(const char*, ...) {
    throw exception();
}

// A failed check of the library's own preconditions (an index past the end, say): a fault of the
// player itself, which must not read or write outside its buffers.
void __glibcxx_assert_fail(const char*, int, const char*, const char*) noexcept {
    std::abort();
}
} // namespace std

// The state of the exceptions in flight. The library keeps it per thread, which costs a
// thread-local storage layer; the player has one thread, so one record serves.
namespace __cxxabiv1 {
struct __cxa_exception;
struct __cxa_eh_globals {
    __cxa_exception* caughtExceptions;
    unsigned int uncaughtExceptions;
};

namespace {
__cxa_eh_globals exceptionState;
} // namespace

extern "C" __cxa_eh_globals* __cxa_get_globals_fast() noexcept {
    return &exceptionState;
}
extern "C" __cxa_eh_globals* __cxa_get_globals() noexcept {
    return &exceptionState;
}
} // namespace __cxxabiv1
