// Protected JSON files: read, open, parse; or serialise, seal, write.
#include "google_files.h"

#include "sys_log.h"
#include "sys_os.h"
#include "sys_protect.h"

std::optional<nlohmann::json> load_protected_json(std::string_view name) {
    std::optional<std::string> sealed = read_file(data_file(name));
    if (!sealed) return std::nullopt;
    Result<std::string> plain = dpapi_unprotect(*sealed);
    if (!plain) return std::nullopt;
    nlohmann::json value = nlohmann::json::parse(plain.value(), nullptr, /*allow_exceptions=*/false);
    if (value.is_discarded()) return std::nullopt;
    return value;
}

Status save_protected_json(std::string_view name, const nlohmann::json& value) {
    // Invalid UTF-8 inside a string is replaced rather than thrown on.
    std::string text = value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    Result<std::string> sealed = dpapi_protect(text);
    if (!sealed) return sealed.error();
    return write_file_atomic(data_file(name), sealed.value());
}
