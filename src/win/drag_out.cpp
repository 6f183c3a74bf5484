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

// The dragged data: each form made anew in global memory for every request, which the target
// then owns. Nothing can be set, and nobody is told of changes: the data never changes while it
// is dragged. Once the drag is over the forms go, and with them what they are made from.
class DataObject final : public ComObject<IDataObject> {
 public:
  explicit DataObject(std::vector<DragForm> forms) : forms_(std::move(forms)) {}

  void EndOfDrag() { forms_.clear(); }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!format || !medium) return E_INVALIDARG;
    const DragForm* form = Find(*format);
    if (!form) return DV_E_FORMATETC;
    UniqueGlobal made;
    try {
      made = form->make();
    } catch (const std::bad_alloc&) {  // nothing may leave a call from another program
    }
    if (!made) return E_OUTOFMEMORY;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = made.release();
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
    try {
      std::vector<FORMATETC> offered;
      for (const DragForm& form : forms_) offered.push_back(FormatOf(form.format));
      return SHCreateStdEnumFmtEtc(static_cast<UINT>(offered.size()), offered.data(), formats);
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
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

// Whether the button that drags (the left one as the program sees it) was let go before the drag
// could start: its release is waiting in the thread's queue, because the loop was behind the
// pointer. Asked of the queue, not of the button's state now (GetAsyncKeyState): Wine reports a
// button pressed through another program's input as up for a moment, and Windows answers "up"
// whenever another process's thread is in the foreground on a desktop that allows no journal.
bool DragButtonReleased() {
  MSG waiting{};
  return PeekMessageW(&waiting, nullptr, WM_LBUTTONUP, WM_LBUTTONUP, PM_NOREMOVE) != FALSE;
}

}  // namespace

bool DragOut(std::vector<DragForm> forms) {
  std::erase_if(forms, [](const DragForm& form) { return form.format == 0 || !form.make; });
  // A button let go before the drag starts ends it there: the drag would drop at once wherever
  // the pointer is.
  if (forms.empty() || DragButtonReleased()) return false;
  const ComReference<DataObject> data(new (std::nothrow) DataObject(std::move(forms)));
  const ComReference<IDropSource> source(new (std::nothrow) DropSource());
  if (!data || !source) return false;
  DWORD effect = DROPEFFECT_NONE;
  ORV_TRACE_LOCATION();
  const HRESULT result = DoDragDrop(data.get(), source.get(), DROPEFFECT_COPY, &effect);
  // A target may keep the data object beyond the drag; by then the forms' sources may be gone.
  data->EndOfDrag();
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
