// The shelf's drop target driven as OLE drives it, with the system's data
// objects: which drags it accepts and with what effect, how it opens and
// closes the hover, what a drop hands over, and its COM manners.
#include <gtest/gtest.h>

#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sys_clipboard.h"
#include "sys_drop.h"
#include "sys_os.h"
#include "test_support.h"

using Microsoft::WRL::ComPtr;

namespace {

// The island's side of a drag: the App fields the drop target touches and
// the host reactions it triggers.
struct FakeIsland {
    bool available = true;
    bool drag_hover = false, drag_out = false, pointer_inside = false, redraw = false;
    double now = 10.0;
    std::optional<double> close_deadline;
    int hover_begins = 0;
    std::vector<std::vector<std::string>> drops;

    DropSink sink() {
        return DropSink{[this](const std::function<void(DropApp&)>& use) {
            if (!available) return false;
            DropApp app{drag_hover, drag_out, pointer_inside, now, close_deadline, redraw,
                        [this] {
                            drag_hover = true;
                            ++hover_begins;
                        },
                        [this](std::vector<std::string> paths) { drops.push_back(std::move(paths)); }};
            use(app);
            return true;
        }};
    }
};

class ShelfDrop : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
        owner_ = CreateWindowExW(0, L"STATIC", L"owner", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        ASSERT_NE(owner_, nullptr);
    }
    void TearDown() override {
        if (owner_) DestroyWindow(owner_);
        OleUninitialize();
    }

    // The system's data object over the clipboard, after putting content there
    // as another program's drag source would carry it.
    ComPtr<IDataObject> clipboard_data() {
        ComPtr<IDataObject> data;
        EXPECT_EQ(OleGetClipboard(&data), S_OK);
        return data;
    }
    ComPtr<IDataObject> files(const std::vector<std::string>& paths) {
        set_clipboard_files(owner_, paths);
        return clipboard_data();
    }
    ComPtr<IDataObject> text(const std::string& t) {
        set_clipboard_text(owner_, t);
        return clipboard_data();
    }

    static DWORD enter(IDropTarget* target, IDataObject* data, DWORD allowed) {
        DWORD effect = allowed;
        EXPECT_EQ(target->DragEnter(data, MK_LBUTTON, POINTL{10, 10}, &effect), S_OK);
        return effect;
    }
    static DWORD over(IDropTarget* target, DWORD allowed) {
        DWORD effect = allowed;
        EXPECT_EQ(target->DragOver(MK_LBUTTON, POINTL{12, 12}, &effect), S_OK);
        return effect;
    }
    static DWORD drop(IDropTarget* target, IDataObject* data, DWORD allowed) {
        DWORD effect = allowed;
        EXPECT_EQ(target->Drop(data, 0, POINTL{12, 12}, &effect), S_OK);
        return effect;
    }

    HWND owner_ = nullptr;
    FakeIsland island;
    const DWORD kAll = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
};

TEST_F(ShelfDrop, FileDragIsAcceptedAsCopyAndTheDropHandsOverThePaths) {
    auto target = make_shelf_drop_target(nullptr, island.sink());
    ASSERT_TRUE(target);
    const std::vector<std::string> paths = {"C:\\Users\\ayşe\\rapor.pdf", "D:\\foto 1.png"};
    auto data = files(paths);
    ASSERT_TRUE(data);

    EXPECT_EQ(enter(target.Get(), data.Get(), kAll), DROPEFFECT_COPY);
    EXPECT_EQ(island.hover_begins, 1) << "the shelf opens while the drag hovers";
    EXPECT_EQ(over(target.Get(), kAll), DROPEFFECT_COPY);
    EXPECT_EQ(drop(target.Get(), data.Get(), kAll), DROPEFFECT_COPY);
    ASSERT_EQ(island.drops.size(), 1u);
    EXPECT_EQ(island.drops[0], paths);
}

TEST_F(ShelfDrop, EffectRuleNeverOffersAMove) {
    auto target = make_shelf_drop_target(nullptr, island.sink());
    auto data = files({"C:\\a.txt"});
    struct Case {
        DWORD allowed, effect;
    } cases[] = {
        {kAll, DROPEFFECT_COPY},
        {DROPEFFECT_COPY, DROPEFFECT_COPY},
        {DROPEFFECT_MOVE | DROPEFFECT_LINK, DROPEFFECT_LINK},
        {DROPEFFECT_MOVE, DROPEFFECT_NONE},
        {DROPEFFECT_NONE, DROPEFFECT_NONE},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(enter(target.Get(), data.Get(), c.allowed), c.effect) << c.allowed;
        EXPECT_EQ(over(target.Get(), c.allowed), c.effect) << c.allowed;
        EXPECT_EQ(shelf_drop_effect(c.allowed), c.effect) << c.allowed;
    }
}

TEST_F(ShelfDrop, RefusedDragsLeaveTheIslandAlone) {
    auto target = make_shelf_drop_target(nullptr, island.sink());
    auto plain_text = text("sadece metin");
    EXPECT_EQ(enter(target.Get(), plain_text.Get(), kAll), DROPEFFECT_NONE) << "no file-drop format";
    EXPECT_EQ(enter(target.Get(), nullptr, kAll), DROPEFFECT_NONE) << "no data object";
    EXPECT_EQ(over(target.Get(), kAll), DROPEFFECT_NONE) << "no hover began";
    EXPECT_EQ(island.hover_begins, 0);

    // The island's own drag-out coming back over it.
    auto data = files({"C:\\shelf\\a.txt"});
    island.drag_out = true;
    EXPECT_EQ(enter(target.Get(), data.Get(), kAll), DROPEFFECT_NONE);
    EXPECT_EQ(drop(target.Get(), data.Get(), kAll), DROPEFFECT_NONE);
    ASSERT_EQ(island.drops.size(), 1u);
    EXPECT_TRUE(island.drops[0].empty()) << "an empty drop ends the hover";
    EXPECT_EQ(island.hover_begins, 0);

    // Another handler holds the App.
    island.drag_out = false;
    island.available = false;
    EXPECT_EQ(enter(target.Get(), data.Get(), kAll), DROPEFFECT_NONE);
    EXPECT_EQ(drop(target.Get(), data.Get(), kAll), DROPEFFECT_NONE);
    EXPECT_EQ(island.drops.size(), 1u) << "nothing reaches an App in use";
}

TEST_F(ShelfDrop, LeavingEndsTheHoverAndSchedulesTheCollapse) {
    auto target = make_shelf_drop_target(nullptr, island.sink());
    auto data = files({"C:\\a.txt"});
    enter(target.Get(), data.Get(), kAll);
    ASSERT_TRUE(island.drag_hover);
    island.redraw = false;
    EXPECT_EQ(target->DragLeave(), S_OK);
    EXPECT_FALSE(island.drag_hover);
    ASSERT_TRUE(island.close_deadline.has_value());
    EXPECT_DOUBLE_EQ(*island.close_deadline, 10.6);
    EXPECT_TRUE(island.redraw);

    // With the pointer over the island it stays open.
    island.close_deadline.reset();
    island.pointer_inside = true;
    enter(target.Get(), data.Get(), kAll);
    target->DragLeave();
    EXPECT_FALSE(island.drag_hover);
    EXPECT_FALSE(island.close_deadline.has_value());

    // A leave without a hover changes nothing.
    island.redraw = false;
    target->DragLeave();
    EXPECT_FALSE(island.redraw);
}

TEST_F(ShelfDrop, DropWhoseDataCannotBeReadIsAnEmptyDrop) {
    auto target = make_shelf_drop_target(nullptr, island.sink());
    auto plain_text = text("metin");
    EXPECT_EQ(drop(target.Get(), plain_text.Get(), kAll), DROPEFFECT_NONE);
    ASSERT_EQ(island.drops.size(), 1u);
    EXPECT_TRUE(island.drops[0].empty());
}

TEST_F(ShelfDrop, FiveHundredFilesAllArrive) {
    auto target = make_shelf_drop_target(nullptr, island.sink());
    std::vector<std::string> paths;
    for (int i = 0; i < 500; ++i) paths.push_back("C:\\çok\\dosya" + std::to_string(i) + ".txt");
    auto data = files(paths);
    EXPECT_EQ(data_object_files(data.Get()), paths);
    EXPECT_EQ(drop(target.Get(), data.Get(), DROPEFFECT_LINK), DROPEFFECT_LINK);
    ASSERT_EQ(island.drops.size(), 1u);
    EXPECT_EQ(island.drops[0].size(), 500u);
}

TEST_F(ShelfDrop, ComIdentityAndReferenceCounting) {
    auto target = make_shelf_drop_target(nullptr, island.sink());
    IDropTarget* raw = target.Get();

    void* p = nullptr;
    EXPECT_EQ(raw->QueryInterface(IID_IUnknown, &p), S_OK);
    EXPECT_EQ(p, static_cast<void*>(raw));
    static_cast<IUnknown*>(p)->Release();
    EXPECT_EQ(raw->QueryInterface(IID_IAgileObject, &p), S_OK) << "callable from any apartment";
    static_cast<IUnknown*>(p)->Release();
    EXPECT_EQ(raw->QueryInterface(IID_IDropTarget, &p), S_OK);
    static_cast<IUnknown*>(p)->Release();

    p = reinterpret_cast<void*>(1);
    EXPECT_EQ(raw->QueryInterface(IID_IDataObject, &p), E_NOINTERFACE);
    EXPECT_EQ(p, nullptr);
    EXPECT_EQ(raw->QueryInterface(IID_IDropTarget, nullptr), E_POINTER);
    // A null interface identifier, passed as a C caller would through the first slot.
    using QueryFn = HRESULT(STDMETHODCALLTYPE*)(IDropTarget*, const IID*, void**);
    auto query = reinterpret_cast<QueryFn>((*reinterpret_cast<void***>(raw))[0]);
    EXPECT_EQ(query(raw, nullptr, &p), E_POINTER);
    EXPECT_EQ(raw->DragOver(0, POINTL{}, nullptr), E_POINTER);

    EXPECT_EQ(raw->AddRef(), 2u) << "created with one reference";
    EXPECT_EQ(raw->Release(), 1u);
}

TEST_F(ShelfDrop, RegistersOnAWindowAndRevokes) {
    HWND window = CreateWindowExW(0, L"STATIC", L"island", WS_POPUP, 0, 0, 100, 40, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    auto target = make_shelf_drop_target(window, island.sink());
    EXPECT_EQ(register_shelf_drop_target(window, target.Get()), S_OK);
    EXPECT_EQ(RegisterDragDrop(window, target.Get()), DRAGDROP_E_ALREADYREGISTERED);
    revoke_shelf_drop_target(window);
    EXPECT_EQ(RevokeDragDrop(window), DRAGDROP_E_NOTREGISTERED);
    DestroyWindow(window);
    EXPECT_EQ(target->AddRef(), 2u) << "registration released its reference";
    target->Release();
}

TEST_F(ShelfDrop, DragOutDataObjectCarriesTheFileAndAMissingFileFails) {
    std::string dir = test_temp_dir("-sürükle");
    std::string path = path_join(dir, "not ö.txt");
    ASSERT_TRUE(write_file_atomic(path, "raf").ok());

    // The data object drag_file_out hands to the shell's drag loop.
    ComPtr<IShellItem> item;
    ASSERT_TRUE(SUCCEEDED(SHCreateItemFromParsingName(widen(path).c_str(), nullptr, IID_PPV_ARGS(&item))));
    ComPtr<IDataObject> data;
    if (FAILED(item->BindToHandler(nullptr, BHID_DataObject, IID_PPV_ARGS(&data))))
        GTEST_SKIP() << "this shell makes no data object for an item";
    auto read = data_object_files(data.Get());
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0], path);

    EXPECT_FALSE(drag_file_out(nullptr, path_join(dir, "yok.txt")).has_value());
}

}  // namespace
