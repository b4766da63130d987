// Windows data protection (CryptProtectData) and BCryptGenRandom.
#include "sys_protect.h"
#include "sys_win.h"

#include <bcrypt.h>
#include <dpapi.h>

#include <limits>

namespace {

// Inputs above 4 GB cannot be described to these interfaces.
bool fits_dword(size_t n) { return n <= std::numeric_limits<DWORD>::max(); }

DATA_BLOB in_blob(std::string_view bytes) {
    DATA_BLOB blob;
    blob.cbData = static_cast<DWORD>(bytes.size());
    blob.pbData = reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data()));
    return blob;
}

Error too_large(const char* call) { return win_error(call, HRESULT_FROM_WIN32(ERROR_INVALID_PARAMETER)); }

}  // namespace

Result<std::string> dpapi_protect(std::string_view plain) {
    if (!fits_dword(plain.size())) return too_large("CryptProtectData");
    DATA_BLOB in = in_blob(plain);
    DATA_BLOB out{};
    std::wstring description = widen(kProtectDescription);
    if (!CryptProtectData(&in, description.c_str(), nullptr, nullptr, nullptr, 0, &out))
        return last_error("CryptProtectData");
    UniqueLocal owner(out.pbData);
    return std::string(reinterpret_cast<const char*>(out.pbData), out.cbData);
}

Result<std::string> dpapi_unprotect(std::string_view sealed) {
    if (!fits_dword(sealed.size())) return too_large("CryptUnprotectData");
    DATA_BLOB in = in_blob(sealed);
    DATA_BLOB out{};
    if (!CryptUnprotectData(&in, nullptr, nullptr, nullptr, nullptr, 0, &out)) return last_error("CryptUnprotectData");
    UniqueLocal owner(out.pbData);
    return std::string(reinterpret_cast<const char*>(out.pbData), out.cbData);
}

Result<std::string> random_bytes(size_t n) {
    if (!fits_dword(n)) return too_large("BCryptGenRandom");
    std::string out(n, '\0');
    if (n == 0) return out;
    NTSTATUS status = BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(out.data()), static_cast<ULONG>(n),
                                      BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    if (status < 0) return win_error("BCryptGenRandom", HRESULT_FROM_NT(status));
    return out;
}
