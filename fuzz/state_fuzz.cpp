// libFuzzer target: the state.txt reader on any bytes. Whatever it keeps, the
// writer writes back as a text the reader takes in exactly the same way.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "app.h"
#include "sys_text.h"

namespace {

std::unique_ptr<App> quiet_app() {
    AppInit init;
    init.quiet = true;
    return std::make_unique<App>(std::move(init));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // A quiet App stores nothing; a private data folder keeps any slip away from the user's.
    // tools/fuzz gives each target a folder in the build tree; otherwise a fresh one.
    if (getenv("VEMO_ISLAND_DATA")) return 0;
    static char dir[] = "/tmp/vemo-fuzz-state-XXXXXX";
    if (!mkdtemp(dir)) std::abort();
    setenv("VEMO_ISLAND_DATA", dir, 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);

    std::unique_ptr<App> first = quiet_app();
    first->load_state_text(text);
    const std::string written = first->state_text();
    if (!is_valid_utf8(written)) std::abort();

    std::unique_ptr<App> second = quiet_app();
    second->load_state_text(written);
    if (second->state_text() != written) std::abort();
    return 0;
}
