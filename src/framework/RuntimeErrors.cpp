// How the C++ runtime's own failures end in the shipped program, defined here
// so that the library's versions stay out of the link (the program is
// downloaded by every visitor before anything else happens):
// - an exception nobody catches ends the program as abort() does, without the
//   verbose handler, which writes the exception's demangled type to a console
//   a GUI program lacks and brings the demangler (about 50 KiB) along;
// - the library's internal throws (a string or buffer asked to grow past its
//   limit, a position out of range) raise the standard exception type with
//   the library's text, as CFixedError: the library's own exception types
//   bring a second, copy-on-write string implementation (about 45 KiB) and a
//   random-device lookup with them. Nothing here catches them by type.
// The linker fails on a duplicate definition if the library's copies are
// ever pulled in after all.
#include "framework/FixedError.h"

#include <cstdlib>
#include <new>
#include <typeinfo>

namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    std::abort();
}

} // namespace __gnu_cxx

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_alloc(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_bad_exception() { throw exception(); }
void __throw_logic_error(const char* s) { throw CFixedError(s); }
void __throw_domain_error(const char* s) { throw CFixedError(s); }
void __throw_invalid_argument(const char* s) { throw CFixedError(s); }
void __throw_length_error(const char* s) { throw CFixedError(s); }
void __throw_out_of_range(const char* s) { throw CFixedError(s); }
void __throw_out_of_range_fmt(const char* s, ...) { throw CFixedError(s); }
void __throw_runtime_error(const char* s) { throw CFixedError(s); }
void __throw_range_error(const char* s) { throw CFixedError(s); }
void __throw_overflow_error(const char* s) { throw CFixedError(s); }
void __throw_underflow_error(const char* s) { throw CFixedError(s); }

} // namespace std
