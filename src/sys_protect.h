// Data sealed for the current Windows user, and cryptographic random bytes.
// Byte buffers are std::string. sys_protect_win.cpp uses Windows data
// protection and the system RNG; sys_protect_native.cpp is a stand-in for the
// Linux build (it does not protect anything).
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "sys_result.h"

// Description stored inside every sealed blob (not checked when opening).
inline constexpr const char* kProtectDescription = "VemoIsland";

// Seals bytes for the current user (no extra entropy); the Windows error on failure.
Result<std::string> dpapi_protect(std::string_view plain);
// Opens bytes sealed by dpapi_protect; fails for another user's, damaged or foreign data.
Result<std::string> dpapi_unprotect(std::string_view sealed);
// Exactly n bytes from the system's preferred generator. A generator failure
// is an error, never a buffer of zeros that would pass for a secret.
Result<std::string> random_bytes(size_t n);
