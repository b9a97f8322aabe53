#pragma once

// Defined as 1 in builds instrumented by AddressSanitizer or ThreadSanitizer,
// whatever the compiler spells it.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
 #define SONDERLITH_SANITIZED 1
#elif defined(__has_feature)
 #if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
  #define SONDERLITH_SANITIZED 1
 #endif
#endif
