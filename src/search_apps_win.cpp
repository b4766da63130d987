// The "apps" thread: reads the shell's Applications folder once and publishes
// it as the shared installed-apps list.
#include "sys_win.h"

#include <knownfolders.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include "search.h"
#include "sys_thread.h"

using Microsoft::WRL::ComPtr;

namespace {

// A display name in UTF-8; nothing when the shell cannot give it.
bool item_name(IShellItem* item, SIGDN kind, std::string& out) {
    UniqueCoTaskMem<wchar_t> name;
    if (FAILED(item->GetDisplayName(kind, name.put())) || !name.get()) return false;
    out = narrow(name.get());
    return true;
}

}  // namespace

std::vector<AppEntry> list_installed_apps() {
    ComInit apartment(COINIT_APARTMENTTHREADED);
    ComPtr<IShellItem> folder;
    if (FAILED(SHGetKnownFolderItem(FOLDERID_AppsFolder, KF_FLAG_DEFAULT, nullptr, IID_PPV_ARGS(&folder))))
        return {};
    ComPtr<IEnumShellItems> items;
    if (FAILED(folder->BindToHandler(nullptr, BHID_EnumItems, IID_PPV_ARGS(&items)))) return {};

    std::vector<RawAppItem> raw;
    for (;;) {
        ComPtr<IShellItem> item;
        ULONG fetched = 0;
        if (items->Next(1, &item, &fetched) != S_OK || fetched == 0 || !item) break;
        RawAppItem entry;
        if (!item_name(item.Get(), SIGDN_NORMALDISPLAY, entry.name)) continue;
        if (!item_name(item.Get(), SIGDN_PARENTRELATIVEPARSING, entry.id)) continue;
        raw.push_back(std::move(entry));
    }
    // The enumerator and the folder item go before the apartment does.
    items.Reset();
    folder.Reset();
    return build_app_index(raw);
}

SharedAppsIndex spawn_apps_thread() {
    SharedAppsIndex index;
    bool started = spawn_detached("apps", [index] {
        std::vector<AppEntry> apps;
        try {
            apps = list_installed_apps();
        } catch (...) {
            apps.clear();  // out of memory: publish an empty index rather than none
        }
        publish_apps(index, std::move(apps));
    });
    // No thread: the index stays empty, but it will not change any more.
    if (!started) publish_apps(index, {});
    return index;
}
