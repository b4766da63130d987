// The "--shots" entry off Windows: the recording renderer, so the scenes and
// their checks run and the report is written, without pictures. The shelf
// scene drops files of the same names made in the output folder.
#include "gfx_record.h"
#include "shots.h"
#include "sys_os.h"

void run_shots(const std::string& dir) {
    const std::string files = path_join(dir, "files");
    const std::string fonts = path_join(files, "Fonts");
    (void)create_dirs(fonts);
    std::vector<std::string> dropped;
    for (const char* name : {"notepad.exe", "win.ini", "img0.jpg"}) {
        dropped.push_back(path_join(files, name));
        (void)write_file_atomic(dropped.back(), "vemo");
    }
    dropped.push_back(fonts);
    run_shots_with(
        dir,
        [](int32_t width, int32_t height) -> Result<std::unique_ptr<Renderer>> {
            auto r = std::make_unique<RecordingRenderer>(1.0f);
            Status s = r->resize_dib(width, height, 1.0f);
            if (!s) return s.error();
            return std::unique_ptr<Renderer>(std::move(r));
        },
        dropped);
}
