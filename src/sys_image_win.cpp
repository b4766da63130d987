// Image services over the Windows Imaging Component, GDI and the shell.
// Every call makes its own imaging factory; every COM pointer and GDI object
// has an owner, so each early return releases what was made.
//
// Index
//   Factory, conversion to premultiplied pixels
//   decode_image, encode_png
//   wic_from_hbitmap, shell_thumbnail
//   capture_screen
#include <shobjidl.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <string>

#include "sys_image.h"
#include "sys_os.h"
#include "sys_win.h"

using Microsoft::WRL::ComPtr;

namespace {

// WICBitmapInterpolationModeHighQualityCubic (Windows 10); MinGW's header predates it.
constexpr auto kHighQualityCubic = static_cast<WICBitmapInterpolationMode>(4);

// ---- Factory, conversion to premultiplied pixels ----------------------------------------------

ComPtr<IWICImagingFactory> make_factory(HRESULT* error = nullptr) {
    ComPtr<IWICImagingFactory> f;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&f));
    if (error) *error = FAILED(hr) ? hr : (f ? S_OK : E_POINTER);
    return SUCCEEDED(hr) ? f : nullptr;
}

// The pixels of a source as premultiplied BGRA. The byte count is checked in
// 64 bits before anything is allocated, and must fit WIC's 32-bit counts.
std::optional<Image> to_pbgra(IWICImagingFactory* factory, IWICBitmapSource* source) {
    UINT w = 0, h = 0;
    if (FAILED(source->GetSize(&w, &h)) || w == 0 || h == 0) return std::nullopt;
    uint64_t bytes = 0;
    if (!image_byte_size(w, h, bytes) || bytes > 0xFFFFFFFFull) return std::nullopt;
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(&converter)) || !converter) return std::nullopt;
    if (FAILED(converter->Initialize(source, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom)))
        return std::nullopt;
    Image image;
    image.width = w;
    image.height = h;
    image.pixels.resize(static_cast<size_t>(bytes));
    if (FAILED(converter->CopyPixels(nullptr, w * 4, static_cast<UINT>(bytes), image.pixels.data())))
        return std::nullopt;
    return image;
}

std::wstring temp_folder() {
    wchar_t buf[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, buf);
    if (n == 0 || n > MAX_PATH) return L".\\";
    return std::wstring(buf, n);
}

}  // namespace

// ---- decode_image, encode_png ----------------------------------------------------------------------

std::optional<std::vector<Image>> decode_image(std::string_view bytes, const std::vector<uint32_t>& sizes) {
    // The memory stream takes a 32-bit count; a larger buffer would be cut silently.
    if (bytes.empty() || bytes.size() > 0xFFFFFFFFull) return std::nullopt;
    ComPtr<IWICImagingFactory> factory = make_factory();
    if (!factory) return std::nullopt;
    ComPtr<IWICStream> stream;
    if (FAILED(factory->CreateStream(&stream)) || !stream) return std::nullopt;
    if (FAILED(stream->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())),
                                            static_cast<DWORD>(bytes.size()))))
        return std::nullopt;
    ComPtr<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder)) ||
        !decoder)
        return std::nullopt;
    ComPtr<IWICBitmapFrameDecode> frame;
    if (FAILED(decoder->GetFrame(0, &frame)) || !frame) return std::nullopt;
    UINT w = 0, h = 0;
    if (FAILED(frame->GetSize(&w, &h)) || w == 0 || h == 0) return std::nullopt;

    std::vector<Image> out;
    out.reserve(sizes.size());
    for (uint32_t s : sizes) {
        ImageSize target = decode_target_size(w, h, s);
        ComPtr<IWICBitmapSource> source = frame;
        if (target.width != w || target.height != h) {
            ComPtr<IWICBitmapScaler> scaler;
            if (FAILED(factory->CreateBitmapScaler(&scaler)) || !scaler) return std::nullopt;
            if (FAILED(scaler->Initialize(frame.Get(), target.width, target.height,
                                          kHighQualityCubic)))
                return std::nullopt;
            source = scaler;
        }
        auto image = to_pbgra(factory.Get(), source.Get());
        if (!image) return std::nullopt;
        out.push_back(std::move(*image));
    }
    return out;
}

Status encode_png(const std::string& path, uint32_t width, uint32_t height, const uint8_t* pixels, size_t size) {
    uint64_t need = 0;
    if (width == 0 || height == 0 || !image_byte_size(width, height, need) || need > 0xFFFFFFFFull || size < need ||
        !pixels)
        return make_error("encode_png: " + std::to_string(width) + " x " + std::to_string(height) +
                              " pixels do not match the buffer",
                          static_cast<int32_t>(E_INVALIDARG));
    HRESULT hr = S_OK;
    ComPtr<IWICImagingFactory> factory = make_factory(&hr);
    if (!factory) return win_error("CoCreateInstance(WICImagingFactory)", hr);
    ComPtr<IWICStream> stream;
    if (FAILED(hr = factory->CreateStream(&stream))) return win_error("IWICImagingFactory::CreateStream", hr);
    std::wstring wpath = widen(path);
    if (FAILED(hr = stream->InitializeFromFilename(wpath.c_str(), GENERIC_WRITE)))
        return win_error("IWICStream::InitializeFromFilename", hr);
    ComPtr<IWICBitmapEncoder> encoder;
    if (FAILED(hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)))
        return win_error("IWICImagingFactory::CreateEncoder", hr);
    if (FAILED(hr = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)))
        return win_error("IWICBitmapEncoder::Initialize", hr);
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> bag;
    if (FAILED(hr = encoder->CreateNewFrame(&frame, &bag))) return win_error("IWICBitmapEncoder::CreateNewFrame", hr);
    if (FAILED(hr = frame->Initialize(nullptr))) return win_error("IWICBitmapFrameEncode::Initialize", hr);
    if (FAILED(hr = frame->SetSize(width, height))) return win_error("IWICBitmapFrameEncode::SetSize", hr);
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    if (FAILED(hr = frame->SetPixelFormat(&format))) return win_error("IWICBitmapFrameEncode::SetPixelFormat", hr);
    if (FAILED(hr = frame->WritePixels(height, width * 4, static_cast<UINT>(need), const_cast<BYTE*>(pixels))))
        return win_error("IWICBitmapFrameEncode::WritePixels", hr);
    if (FAILED(hr = frame->Commit())) return win_error("IWICBitmapFrameEncode::Commit", hr);
    if (FAILED(hr = encoder->Commit())) return win_error("IWICBitmapEncoder::Commit", hr);
    return ok_status();
}

// ---- wic_from_hbitmap, shell_thumbnail ---------------------------------------------------------------

std::optional<Image> wic_from_hbitmap(void* hbitmap) {
    if (!hbitmap) return std::nullopt;
    ComPtr<IWICImagingFactory> factory = make_factory();
    if (!factory) return std::nullopt;
    ComPtr<IWICBitmap> bitmap;
    if (FAILED(factory->CreateBitmapFromHBITMAP(static_cast<HBITMAP>(hbitmap), nullptr, WICBitmapUsePremultipliedAlpha,
                                                &bitmap)) ||
        !bitmap)
        return std::nullopt;
    auto image = to_pbgra(factory.Get(), bitmap.Get());
    if (image) repair_alpha(image->pixels);
    return image;
}

ImageRef shell_thumbnail(const std::string& path, uint32_t width, uint32_t height, bool fit) {
    if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu) return nullptr;
    ComPtr<IShellItemImageFactory> item;
    if (FAILED(SHCreateItemFromParsingName(widen(path).c_str(), nullptr, IID_PPV_ARGS(&item))) || !item)
        return nullptr;
    SIZE size{static_cast<LONG>(width), static_cast<LONG>(height)};
    HBITMAP raw = nullptr;
    if (FAILED(item->GetImage(size, fit ? SIIGBF_RESIZETOFIT : SIIGBF_ICONONLY, &raw)) || !raw) return nullptr;
    UniqueGdi<HBITMAP> bitmap(raw);
    auto image = wic_from_hbitmap(bitmap.get());
    // An empty picture counts as none, so the caller shows its own placeholder.
    if (!image || pixels_all_black(image->pixels)) return nullptr;
    return std::make_shared<const Image>(std::move(*image));
}

// ---- capture_screen ---------------------------------------------------------------------------------

namespace {

// The screen's pixels of the rectangle, opaque; nothing on failure.
std::optional<Image> grab_screen(int32_t left, int32_t top, int32_t w, int32_t h) {
    uint64_t bytes = 0;
    if (!image_byte_size(static_cast<uint64_t>(w), static_cast<uint64_t>(h), bytes)) return std::nullopt;
    WindowDc screen(nullptr);
    if (!screen.get()) return std::nullopt;
    UniqueDc mem(CreateCompatibleDC(screen.get()));
    if (!mem) return std::nullopt;
    UniqueGdi<HBITMAP> bitmap(CreateCompatibleBitmap(screen.get(), w, h));
    if (!bitmap) return std::nullopt;
    SelectedObject selected(mem.get(), bitmap.get());
    BOOL blitted = BitBlt(mem.get(), 0, 0, w, h, screen.get(), left, top, SRCCOPY | CAPTUREBLT);
    // GetDIBits wants the bitmap out of every DC.
    selected.reset();
    if (!blitted) return std::nullopt;

    Image image;
    image.width = static_cast<uint32_t>(w);
    image.height = static_cast<uint32_t>(h);
    image.pixels.resize(static_cast<size_t>(bytes));
    BITMAPINFO bi = top_down_bitmap_info(w, h);
    if (GetDIBits(mem.get(), bitmap.get(), 0, static_cast<UINT>(h), image.pixels.data(), &bi, DIB_RGB_COLORS) == 0)
        return std::nullopt;
    for (size_t i = 3; i < image.pixels.size(); i += 4) image.pixels[i] = 255;
    return image;
}

}  // namespace

std::optional<std::string> capture_screen(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    int64_t w = int64_t{right} - left, h = int64_t{bottom} - top;
    if (w <= 0 || h <= 0 || w > 0x7FFFFFFF || h > 0x7FFFFFFF) return std::nullopt;
    auto image = grab_screen(left, top, static_cast<int32_t>(w), static_cast<int32_t>(h));
    if (!image) return std::nullopt;
    // Wide desktops are halved to keep the PNG small.
    if (image->width > 1600) *image = halve_image(*image);
    std::string path = narrow(temp_folder()) + "vemo-screen-" + std::to_string(GetCurrentProcessId()) + ".png";
    if (!encode_png(path, image->width, image->height, image->pixels)) {
        remove_file(path);
        return std::nullopt;
    }
    auto bytes = read_file(path);
    remove_file(path);
    return bytes;
}
