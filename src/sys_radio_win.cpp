// Windows.Devices.Radios through the Windows Runtime ABI, and the posting of
// the result text to the island window.
//
// Index
//   ABI interfaces (declared here: MinGW ships no Windows.Devices.Radios header)
//   Waiting on asynchronous operations
//   The runtime backend and set_radio
//   Posting the result
#include "sys_radio.h"
#include "sys_win.h"

#include <asyncinfo.h>
#include <inspectable.h>
#include <roapi.h>
#include <winstring.h>
#include <wrl/client.h>

#include <atomic>
#include <new>

using Microsoft::WRL::ComPtr;

// ---- ABI interfaces ------------------------------------------------------------------------
//
// Slot order follows the runtime metadata: IInspectable's six slots, then the
// methods below in declaration order. Only the interfaces asked for by IID
// need one; the others arrive as typed out-parameters.

namespace radio_abi {
// Windows.Devices.Radios.IRadioStatics
constexpr IID kIidRadioStatics = {0x5fb6a12e, 0x67cb, 0x46ae, {0xaa, 0xe9, 0x65, 0x91, 0x9f, 0x86, 0xef, 0xf4}};

// IAsyncOperation<RadioAccessStatus>
struct IAsyncAccess : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE put_Completed(IUnknown* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Completed(IUnknown** handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetResults(int32_t* status) = 0;
};

// Windows.Devices.Radios.IRadio (default interface of Radio)
struct IRadio : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE SetStateAsync(int32_t state, IAsyncAccess** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE add_StateChanged(IUnknown* handler, int64_t* token) = 0;
    virtual HRESULT STDMETHODCALLTYPE remove_StateChanged(int64_t token) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_State(int32_t* state) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Name(HSTRING* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Kind(int32_t* kind) = 0;
};

// IVectorView<Radio>
struct IRadioList : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetAt(uint32_t index, IRadio** item) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Size(uint32_t* size) = 0;
    virtual HRESULT STDMETHODCALLTYPE IndexOf(IRadio* item, uint32_t* index, boolean* found) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMany(uint32_t start, uint32_t capacity, IRadio** items, uint32_t* count) = 0;
};

// IAsyncOperation<IVectorView<Radio>>
struct IAsyncRadioList : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE put_Completed(IUnknown* handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Completed(IUnknown** handler) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetResults(IRadioList** list) = 0;
};

// Windows.Devices.Radios.IRadioStatics (the activation factory of Radio)
struct IRadioStatics : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetRadiosAsync(IAsyncRadioList** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDeviceSelector(HSTRING* selector) = 0;
    virtual HRESULT STDMETHODCALLTYPE FromIdAsync(HSTRING id, IInspectable** operation) = 0;
    virtual HRESULT STDMETHODCALLTYPE RequestAccessAsync(IAsyncAccess** operation) = 0;
};

constexpr int32_t kRadioStateOn = 1;
constexpr int32_t kRadioStateOff = 2;
}  // namespace radio_abi

// ---- Waiting on asynchronous operations -------------------------------------------------

constexpr DWORD kAsyncPollMs = 10;
// IAsyncInfo (its IID is not in MinGW's uuid library).
constexpr IID kIidAsyncInfo = {0x00000036, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

bool wait_async_completed(IInspectable* operation) {
    if (!operation) return false;
    ComPtr<IAsyncInfo> info;
    if (FAILED(operation->QueryInterface(kIidAsyncInfo, reinterpret_cast<void**>(info.GetAddressOf())))) return false;
    for (;;) {
        AsyncStatus status = Started;
        if (FAILED(info->get_Status(&status))) return false;
        if (status == Completed) return true;
        if (status != Started) return false;
        Sleep(kAsyncPollMs);
    }
}

namespace {

// ---- The runtime backend ------------------------------------------------------------------

class RuntimeRadios final : public RadioBackend {
public:
    RuntimeRadios() {
        static const wchar_t kClass[] = L"Windows.Devices.Radios.Radio";
        HstringRef name(kClass, ARRAYSIZE(kClass) - 1);
        if (!name.get()) return;
        RoGetActivationFactory(name.get(), radio_abi::kIidRadioStatics, reinterpret_cast<void**>(statics_.GetAddressOf()));
    }

    std::optional<int32_t> request_access() override {
        if (!statics_) return std::nullopt;
        ComPtr<radio_abi::IAsyncAccess> op;
        if (FAILED(statics_->RequestAccessAsync(&op)) || !wait_async_completed(op.Get())) return std::nullopt;
        int32_t status = 0;
        if (FAILED(op->GetResults(&status))) return std::nullopt;
        return status;
    }

    bool load_radios() override {
        if (!statics_) return false;
        ComPtr<radio_abi::IAsyncRadioList> op;
        if (FAILED(statics_->GetRadiosAsync(&op)) || !wait_async_completed(op.Get())) return false;
        return SUCCEEDED(op->GetResults(&list_)) && list_;
    }

    bool select(uint32_t index) override {
        current_.Reset();
        return list_ && SUCCEEDED(list_->GetAt(index, &current_)) && current_;
    }

    std::optional<int32_t> kind() override {
        int32_t k = 0;
        if (!current_ || FAILED(current_->get_Kind(&k))) return std::nullopt;
        return k;
    }

    // The state of the selected radio.
    std::optional<int32_t> state() {
        int32_t st = 0;
        if (!current_ || FAILED(current_->get_State(&st))) return std::nullopt;
        return st;
    }

    std::optional<int32_t> set_state(bool on) override {
        if (!current_) return std::nullopt;
        ComPtr<radio_abi::IAsyncAccess> op;
        int32_t state = on ? radio_abi::kRadioStateOn : radio_abi::kRadioStateOff;
        if (FAILED(current_->SetStateAsync(state, &op)) || !wait_async_completed(op.Get())) return std::nullopt;
        int32_t status = 0;
        if (FAILED(op->GetResults(&status))) return std::nullopt;
        return status;
    }

private:
    ComPtr<radio_abi::IRadioStatics> statics_;
    ComPtr<radio_abi::IRadioList> list_;
    ComPtr<radio_abi::IRadio> current_;
};
}  // namespace

std::string set_radio(bool wifi, bool on) {
    // This thread's apartment, undone after the radios are gone; already
    // initialised (another model) is fine.
    RuntimeInit runtime;
    RuntimeRadios radios;
    return radio_result_text(switch_radios(radios, wifi, on), wifi);
}

std::optional<std::vector<RadioReading>> list_radios() {
    RuntimeRadios radios;
    if (!radios.load_radios()) return std::nullopt;
    std::vector<RadioReading> out;
    for (uint32_t i = 0; radios.select(i); ++i) out.push_back({radios.kind(), radios.state()});
    return out;
}

// ---- Posting the result --------------------------------------------------------------------

namespace {
std::atomic<int> g_boxes_in_flight{0};

struct RadioResultBox {
    std::string text;
    explicit RadioResultBox(std::string t) : text(std::move(t)) { ++g_boxes_in_flight; }
    ~RadioResultBox() { --g_boxes_in_flight; }
    RadioResultBox(const RadioResultBox&) = delete;
    RadioResultBox& operator=(const RadioResultBox&) = delete;
};
}  // namespace

bool post_radio_result(WindowHandle window, uint32_t message, std::string text) {
    auto* box = new (std::nothrow) RadioResultBox(std::move(text));
    if (!box) return false;
    if (PostMessageW(static_cast<HWND>(window), message, 0, reinterpret_cast<LPARAM>(box))) return true;
    delete box;  // nobody received it
    return false;
}

std::optional<std::string> take_radio_result(intptr_t lparam) {
    auto* box = reinterpret_cast<RadioResultBox*>(lparam);
    if (!box) return std::nullopt;
    std::string text = std::move(box->text);
    delete box;
    return text;
}

int radio_results_in_flight() { return g_boxes_in_flight.load(); }
