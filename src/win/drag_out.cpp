#include "win/drag_out.h"

#include <ole2.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "base/fault_location.h"

namespace orv::win {
namespace {

// A copy of a block of global memory, which the receiver of a data object's data frees.
HGLOBAL CopyGlobal(HGLOBAL source) {
  const SIZE_T size = GlobalSize(source);
  UniqueGlobal copy(GlobalAlloc(GMEM_MOVEABLE, size));
  if (!copy || size == 0) return nullptr;
  const void* from = GlobalLock(source);
  void* to = GlobalLock(copy.get());
  if (from && to) std::memcpy(to, from, size);
  if (to) GlobalUnlock(copy.get());
  if (from) GlobalUnlock(source);
  return from && to ? copy.release() : nullptr;
}

// Reference counting of the COM objects below, which are made with new and delete themselves
// when the last reference goes.
template <class Interface>
class ComObject : public Interface {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    if (iid == IID_IUnknown || iid == __uuidof(Interface)) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~ComObject() = default;

 private:
  std::atomic<ULONG> references_{1};
};

struct ComRelease {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <class T>
using ComReference = std::unique_ptr<T, ComRelease>;

// The dragged data: each form in global memory, handed out as a copy for every request. Nothing
// can be set, and nobody is told of changes: the data never changes while it is dragged.
class DataObject final : public ComObject<IDataObject> {
 public:
  explicit DataObject(std::vector<DragForm> forms) : forms_(std::move(forms)) {}

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!format || !medium) return E_INVALIDARG;
    const DragForm* form = Find(*format);
    if (!form) return DV_E_FORMATETC;
    const HGLOBAL copy = CopyGlobal(form->data.get());
    if (!copy) return E_OUTOFMEMORY;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    if (!format) return E_INVALIDARG;
    return Find(*format) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override {
    if (!in || !out) return E_INVALIDARG;
    *out = *in;
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override {
    if (!formats) return E_INVALIDARG;
    *formats = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    std::vector<FORMATETC> offered;
    for (const DragForm& form : forms_) offered.push_back(FormatOf(form.format));
    return SHCreateStdEnumFmtEtc(static_cast<UINT>(offered.size()), offered.data(), formats);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }

 private:
  static FORMATETC FormatOf(CLIPFORMAT format) {
    return {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  }
  const DragForm* Find(const FORMATETC& format) const {
    if (format.dwAspect != DVASPECT_CONTENT || (format.tymed & TYMED_HGLOBAL) == 0) {
      return nullptr;
    }
    const auto found = std::find_if(forms_.begin(), forms_.end(), [&](const DragForm& form) {
      return form.format == format.cfFormat;
    });
    return found == forms_.end() ? nullptr : &*found;
  }

  std::vector<DragForm> forms_;
};

class DropSource final : public ComObject<IDropSource> {
 public:
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escapePressed, DWORD keyState) override {
    if (escapePressed || (keyState & MK_RBUTTON) != 0) return DRAGDROP_S_CANCEL;
    if ((keyState & MK_LBUTTON) == 0) return DRAGDROP_S_DROP;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

// Whether the mouse button that drags (the left one as the user sees it) is down now. The state
// of the physical buttons is asked, which swapped buttons map the other way round.
bool DragButtonIsDown() {
  const int button = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  return (GetAsyncKeyState(button) & 0x8000) != 0;
}

}  // namespace

bool DragOut(std::vector<DragForm> forms) {
  std::erase_if(forms, [](const DragForm& form) { return !form.data; });
  // A button let go while the forms were made (a large capture's file takes a moment) ends the
  // drag before it starts: the drag would drop at once wherever the pointer is.
  if (forms.empty() || !DragButtonIsDown()) return false;
  const ComReference<IDataObject> data(new (std::nothrow) DataObject(std::move(forms)));
  const ComReference<IDropSource> source(new (std::nothrow) DropSource());
  if (!data || !source) return false;
  DWORD effect = DROPEFFECT_NONE;
  ORV_TRACE_LOCATION();
  const HRESULT result = DoDragDrop(data.get(), source.get(), DROPEFFECT_COPY, &effect);
  return result == DRAGDROP_S_DROP && effect != DROPEFFECT_NONE;
}

UniqueGlobal FileDropMemory(const std::wstring& path) {
  // The list of names after the header, each ended by a null, and the list by another.
  const SIZE_T size = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
  UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
  if (!memory) return {};
  auto* header = static_cast<DROPFILES*>(GlobalLock(memory.get()));
  if (!header) return {};
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  std::memcpy(header + 1, path.c_str(), path.size() * sizeof(wchar_t));
  GlobalUnlock(memory.get());
  return memory;
}

}  // namespace orv::win
