// Small stand-ins for pieces of the C++ runtime that the shipped program would otherwise carry
// at a price far above their use: the terminate handler that demangles the type of an
// exception (about 50 KB), and the standard exception classes with their copy-on-write
// strings, which the containers construct only on an impossible size or index.
#include <cstdlib>
#include <new>

namespace __gnu_cxx {

void __verbose_terminate_handler() {
    std::abort();
}

}  // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc() {
    throw std::bad_alloc();
}
void __throw_bad_array_new_length() {
    throw std::bad_alloc();
}

// An impossible size or index is, for this program, memory it cannot have.
void __throw_length_error(const char*) {
    throw std::bad_alloc();
}
void __throw_logic_error(const char*) {
    throw std::bad_alloc();
}
void __throw_out_of_range_fmt(const char*, ...) {
    throw std::bad_alloc();
}

}  // namespace std
