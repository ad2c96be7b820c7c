#include <windows.h>
#include <wincodec.h>

#include <cstdio>

#include "picture_input.h"

namespace gamedisc {

namespace {

// Releases a COM interface when it goes out of scope.
template <class T>
struct ComRef {
  T* p = nullptr;
  ~ComRef() {
    if (p != nullptr) p->Release();
  }
};

// COM for this thread while in scope; a thread that has it already keeps it.
struct ComScope {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ~ComScope() {
    if (SUCCEEDED(hr)) CoUninitialize();
  }
};

bool Failed(HRESULT hr, const char* step, std::string* error) {
  if (SUCCEEDED(hr)) return false;
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
  *error = std::string("not a PNG file that can be read (the system's imaging component ") + step +
           ": error " + code + ")";
  return true;
}

}  // namespace

bool DecodePng(const std::string& bytes, BgraImage* image, std::string* error) {
  if (bytes.size() > MAXDWORD) {
    *error = "a PNG file too large to read";
    return false;
  }
  ComScope com;
  ComRef<IWICImagingFactory> factory;
  ComRef<IWICStream> stream;
  ComRef<IWICBitmapDecoder> decoder;
  ComRef<IWICBitmapFrameDecode> frame;
  ComRef<IWICFormatConverter> converter;
  UINT width = 0, height = 0;
  if (Failed(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                              reinterpret_cast<void**>(&factory.p)),
             "is missing", error) ||
      Failed(factory.p->CreateStream(&stream.p), "gave no stream", error) ||
      Failed(stream.p->InitializeFromMemory(reinterpret_cast<BYTE*>(const_cast<char*>(bytes.data())),
                                            static_cast<DWORD>(bytes.size())),
             "gave no stream", error) ||
      Failed(factory.p->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand, &decoder.p),
             "found no image", error) ||
      Failed(decoder.p->GetFrame(0, &frame.p), "found no image", error) ||
      Failed(frame.p->GetSize(&width, &height), "found no size", error)) {
    return false;
  }
  if (!disc::PictureSidesFit(width, height, error)) return false;
  const UINT stride = width * 4;
  image->width = static_cast<int>(width);
  image->height = static_cast<int>(height);
  image->pixels.assign(size_t{stride} * height, '\0');
  return !Failed(factory.p->CreateFormatConverter(&converter.p), "has no converter", error) &&
         !Failed(converter.p->Initialize(frame.p, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                         WICBitmapPaletteTypeCustom),
                 "cannot convert it", error) &&
         !Failed(converter.p->CopyPixels(nullptr, stride, static_cast<UINT>(image->pixels.size()),
                                         reinterpret_cast<BYTE*>(&image->pixels[0])),
                 "cannot read its pixels", error);
}

}  // namespace gamedisc
