// A Steam folder tree that tests write in a fresh temporary folder through the
// system layer, and a stand-in for the picture decoder.
#pragma once
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "sys_image.h"
#include "sys_os.h"
#include "test_support.h"

// A Steam folder (and room for other libraries) in a fresh temporary folder.
struct SteamTree {
    std::string root = test_temp_dir("-steam-ğü");  // a non-ASCII path, as under a Turkish user name
    std::string steam = path_join(root, "Steam");

    static std::string join(std::string dir, std::initializer_list<std::string> parts) {
        for (const std::string& p : parts) dir = path_join(dir, p);
        return dir;
    }
    // Writes a file below `base`, creating its folders.
    void write(const std::string& base, std::initializer_list<std::string> parts, const std::string& text) const {
        std::string path = join(base, parts);
        std::string dir = path.substr(0, path.size() - path_last_component(path).size());
        create_dirs(dir);
        ASSERT_TRUE(write_file_atomic(path, text)) << path;
    }
    // `extra`: further lines inside the AppState block.
    void manifest(const std::string& library, const std::string& id, const std::string& name,
                  const std::string& size = "1000", const std::string& flags = "4",
                  const std::string& extra = "") const {
        write(library, {"steamapps", "appmanifest_" + id + ".acf"},
              "\"AppState\"\n{\n\t\"appid\"\t\t\"" + id + "\"\n\t\"name\"\t\t\"" + name + "\"\n\t\"StateFlags\"\t\t\"" +
                  flags + "\"\n\t\"SizeOnDisk\"\t\t\"" + size + "\"\n" + extra + "}\n");
    }
    // libraryfolders.vdf as the client writes it: backslashes doubled.
    void library_folders(const std::vector<std::string>& paths) const {
        std::string text = "\"libraryfolders\"\n{\n";
        for (size_t i = 0; i < paths.size(); ++i) {
            std::string escaped;
            for (char c : paths[i]) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
            text += "\t\"" + std::to_string(i) + "\"\n\t{\n\t\t\"path\"\t\t\"" + escaped + "\"\n\t}\n";
        }
        write(steam, {"steamapps", "libraryfolders.vdf"}, text + "}\n");
    }
    std::string log_path() const { return join(steam, {"logs", "content_log.txt"}); }
    // Appends lines to the content log, creating it.
    void log(const std::string& lines) const {
        create_dirs(path_join(steam, "logs"));
        ASSERT_TRUE(append_file(log_path(), lines));
    }
};

// Stands in for the image decoder: "IMG<n>" decodes to a picture n pixels wide.
inline ImageRef fake_decode(std::string_view bytes) {
    if (bytes.size() < 4 || bytes.substr(0, 3) != "IMG") return nullptr;
    auto im = std::make_shared<Image>();
    im->width = static_cast<uint32_t>(bytes[3] - '0');
    im->height = 1;
    return im;
}
