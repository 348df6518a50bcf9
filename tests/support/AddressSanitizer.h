// Whether this translation unit is built with AddressSanitizer. GCC says so
// with __SANITIZE_ADDRESS__; clang (the sanitizer trees' compiler) only
// through __has_feature.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define TARVENNA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARVENNA_ADDRESS_SANITIZER 1
#endif
#endif

#ifndef TARVENNA_ADDRESS_SANITIZER
#define TARVENNA_ADDRESS_SANITIZER 0
#endif
