// The XML reader on Windows: the system's XmlLite (every Windows since Vista,
// and Wine), loaded from the system folder when first needed, so that the
// program imports nothing beyond the DLLs it always did. XmlLite detects the
// encoding itself (byte-order mark, declaration) and gives UTF-16.
#include <objidl.h>
#include <windows.h>
#include <xmllite.h>

#include <algorithm>
#include <cstring>

#include "platform/platform.h"

namespace platform {
namespace {

// The document as the stream XmlLite reads: memory, read once, front to back.
class MemoryStream : public ISequentialStream {
 public:
  explicit MemoryStream(const std::string& bytes) : bytes_(bytes) {}
  virtual ~MemoryStream() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
    if (!IsEqualIID(id, __uuidof(IUnknown)) && !IsEqualIID(id, __uuidof(ISequentialStream))) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<ISequentialStream*>(this);
    AddRef();
    return S_OK;
  }
  // Lives on the caller's stack, beyond the reader that holds it.
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }
  HRESULT STDMETHODCALLTYPE Read(void* out, ULONG size, ULONG* read) override {
    ULONG n = static_cast<ULONG>(std::min<size_t>(size, bytes_.size() - position_));
    memcpy(out, bytes_.data() + position_, n);
    position_ += n;
    if (read != nullptr) *read = n;
    return n < size ? S_FALSE : S_OK;
  }
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }

 private:
  const std::string& bytes_;
  size_t position_ = 0;
  ULONG references_ = 1;
};

using CreateReader = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

CreateReader createReader() {
  static CreateReader create = [] {
    wchar_t folder[MAX_PATH];
    UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return CreateReader{nullptr};
    HMODULE dll = LoadLibraryW((std::wstring(folder, length) + L"\\xmllite.dll").c_str());
    return dll == nullptr ? CreateReader{nullptr}
                          : reinterpret_cast<CreateReader>(
                                reinterpret_cast<void*>(GetProcAddress(dll, "CreateXmlReader")));
  }();
  return create;
}

std::string text(const wchar_t* value, UINT length) {
  return pathFromWide(std::u16string(value, value + length));
}

}  // namespace

bool readXmlEvents(const std::string& bytes, std::vector<XmlEvent>* events) {
  events->clear();
  CreateReader create = createReader();
  IXmlReader* reader = nullptr;
  if (create == nullptr ||
      FAILED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(&reader), nullptr))) {
    return false;
  }
  MemoryStream stream(bytes);
  HRESULT status = reader->SetInput(&stream);
  XmlNodeType type;
  while (SUCCEEDED(status) && (status = reader->Read(&type)) == S_OK) {
    const wchar_t* value = nullptr;
    UINT length = 0;
    if (type == XmlNodeType_Element || type == XmlNodeType_EndElement) {
      if (FAILED(status = reader->GetQualifiedName(&value, &length))) break;
      bool empty = type == XmlNodeType_Element && reader->IsEmptyElement();
      if (type == XmlNodeType_Element) events->push_back({XmlEvent::kStart, text(value, length)});
      if (type == XmlNodeType_EndElement || empty) {
        events->push_back({XmlEvent::kEnd, text(value, length)});
      }
    } else if (type == XmlNodeType_Text || type == XmlNodeType_CDATA ||
               type == XmlNodeType_Whitespace) {
      if (FAILED(status = reader->GetValue(&value, &length))) break;
      if (events->empty() || events->back().kind != XmlEvent::kText) {
        events->push_back({XmlEvent::kText, ""});
      }
      events->back().text += text(value, length);
    }
  }
  reader->SetInput(nullptr);
  reader->Release();
  return status == S_FALSE;
}

}  // namespace platform
