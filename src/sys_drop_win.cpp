// The shelf's drop target (our one COM object) and the shell drag-out.
//
// Index
//   Effect rule and file-drop format
//   ShelfDropTarget: IUnknown, IDropTarget
//   Registration
//   Reading a data object's files
//   Drag-out
#include "sys_drop.h"

#include <shellapi.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <atomic>
#include <new>

#include "sys_text.h"

using Microsoft::WRL::ComPtr;

// ---- Effect rule and file-drop format ------------------------------------------------

namespace {
// Seconds after a drag leaves before the open island collapses.
constexpr double kLeaveCollapseDelay = 0.6;

FORMATETC file_drop_format() {
    FORMATETC f{};
    f.cfFormat = CF_HDROP;
    f.ptd = nullptr;
    f.dwAspect = DVASPECT_CONTENT;
    f.lindex = -1;
    f.tymed = TYMED_HGLOBAL;
    return f;
}

// A null REFIID cannot be tested directly: the compiler assumes references are
// never null.
bool is_null_address(const void* p) {
    const void* volatile q = p;
    return q == nullptr;
}
}  // namespace

DWORD shelf_drop_effect(DWORD allowed) {
    if (allowed & DROPEFFECT_COPY) return DROPEFFECT_COPY;
    if (allowed & DROPEFFECT_LINK) return DROPEFFECT_LINK;
    return DROPEFFECT_NONE;
}

// ---- ShelfDropTarget --------------------------------------------------------------------

namespace {
class ShelfDropTarget final : public IDropTarget {
public:
    ShelfDropTarget(HWND window, DropSink sink) : hwnd_(window), sink_(std::move(sink)) {}
    ShelfDropTarget(const ShelfDropTarget&) = delete;
    ShelfDropTarget& operator=(const ShelfDropTarget&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (is_null_address(&riid)) return E_POINTER;
        // IAgileObject only marks the object as callable from any apartment.
        if (riid == IID_IUnknown || riid == IID_IDropTarget || riid == IID_IAgileObject) {
            *out = static_cast<IDropTarget*>(this);
            AddRef();
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) delete this;
        return left;
    }

    // IDropTarget: every call answers S_OK; the outcome travels in the effect.
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        if (!effect) return E_POINTER;
        DWORD allowed = *effect;
        *effect = DROPEFFECT_NONE;
        try {
            FORMATETC format = file_drop_format();
            // Asked before the App is lent: a data object of another process may
            // pump messages while it answers.
            bool has_files = data && data->QueryGetData(&format) == S_OK;
            lend([&](DropApp& app) {
                if (!has_files || app.drag_out) return;
                *effect = shelf_drop_effect(allowed);
                if (app.begin_drag_hover) app.begin_drag_hover();
            });
        } catch (...) {
            *effect = DROPEFFECT_NONE;
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* effect) override {
        if (!effect) return E_POINTER;
        DWORD allowed = *effect;
        *effect = DROPEFFECT_NONE;
        try {
            lend([&](DropApp& app) {
                if (app.drag_hover && !app.drag_out) *effect = shelf_drop_effect(allowed);
            });
        } catch (...) {
            *effect = DROPEFFECT_NONE;
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE DragLeave() override {
        try {
            lend([](DropApp& app) {
                if (!app.drag_hover) return;
                app.drag_hover = false;
                if (!app.pointer_inside) app.close_deadline = app.now + kLeaveCollapseDelay;
                app.redraw = true;
            });
        } catch (...) {
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        if (!effect) return E_POINTER;
        DWORD allowed = *effect;
        *effect = DROPEFFECT_NONE;
        try {
            std::vector<std::string> paths = data ? data_object_files(data) : std::vector<std::string>{};
            lend([&](DropApp& app) {
                if (app.drag_out) paths.clear();
                *effect = paths.empty() ? DROPEFFECT_NONE : shelf_drop_effect(allowed);
                // An empty list ends the hover as a drag leaving does.
                if (app.add_dropped_files) app.add_dropped_files(std::move(paths));
            });
        } catch (...) {
            *effect = DROPEFFECT_NONE;
        }
        return S_OK;
    }

private:
    ~ShelfDropTarget() = default;

    template <class F>
    void lend(F&& use) {
        if (sink_.with_app) sink_.with_app(std::function<void(DropApp&)>(std::forward<F>(use)));
    }

    std::atomic<ULONG> refs_{1};
    HWND hwnd_;  // the island window; the App is reached through the sink
    DropSink sink_;
};
}  // namespace

Microsoft::WRL::ComPtr<IDropTarget> make_shelf_drop_target(HWND window, DropSink sink) {
    ComPtr<IDropTarget> target;
    auto* raw = new (std::nothrow) ShelfDropTarget(window, std::move(sink));
    // Takes over the initial reference (MinGW's ComPtr::Attach would add one).
    if (raw) *target.ReleaseAndGetAddressOf() = raw;
    return target;
}

// ---- Registration -------------------------------------------------------------------

HRESULT register_shelf_drop_target(HWND window, IDropTarget* target) {
    if (!target) return E_POINTER;
    return RegisterDragDrop(window, target);
}

void revoke_shelf_drop_target(HWND window) { RevokeDragDrop(window); }

// ---- Reading a data object's files -----------------------------------------------------

std::vector<std::string> data_object_files(IDataObject* data) {
    std::vector<std::string> out;
    if (!data) return out;
    FORMATETC format = file_drop_format();
    STGMEDIUM raw{};
    if (FAILED(data->GetData(&format, &raw))) return out;
    UniqueStgMedium medium(raw);
    if (medium.get().tymed == TYMED_HGLOBAL && medium.get().hGlobal) {
        auto drop = static_cast<HDROP>(medium.get().hGlobal);
        UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
        out.reserve(count);
        for (UINT i = 0; i < count; ++i) {
            UINT len = DragQueryFileW(drop, i, nullptr, 0);
            std::wstring buf(static_cast<size_t>(len) + 1, L'\0');
            UINT got = DragQueryFileW(drop, i, buf.data(), len + 1);
            out.push_back(utf16_to_utf8(std::u16string_view(reinterpret_cast<const char16_t*>(buf.data()),
                                                            got < len ? got : len)));
        }
    }
    return out;
}

// ---- Drag-out -----------------------------------------------------------------------------

std::optional<uint32_t> drag_file_out(HWND window, const std::string& path) {
    ComPtr<IShellItem> item;
    if (FAILED(SHCreateItemFromParsingName(widen(path).c_str(), nullptr, IID_PPV_ARGS(&item)))) return std::nullopt;
    ComPtr<IDataObject> data;
    if (FAILED(item->BindToHandler(nullptr, BHID_DataObject, IID_PPV_ARGS(&data)))) return std::nullopt;
    DWORD effect = DROPEFFECT_NONE;
    constexpr DWORD kAllowed = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    if (FAILED(SHDoDragDrop(window, data.Get(), nullptr, kAllowed, &effect))) return std::nullopt;
    return effect;
}
