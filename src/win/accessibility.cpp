#include "win/accessibility.h"

#include <oleacc.h>

#include <memory>

#include "win/com_apartment.h"

namespace orv::win {
namespace {

struct ReleaseComObject {
  void operator()(IUnknown* object) const { object->Release(); }
};

// Runs use with the system's annotation service, for the length of the call.
template <class Use>
void WithAnnotations(Use use) {
  const ScopedComApartment com;
  IAccPropServices* services = nullptr;
  if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IAccPropServices, reinterpret_cast<void**>(&services))) ||
      !services) {
    return;  // no accessibility runtime: the class's own role stays, nothing worse
  }
  const std::unique_ptr<IAccPropServices, ReleaseComObject> owned(services);
  use(*owned);
}

}  // namespace

void SetAccessibleRole(HWND control, long role) {
  WithAnnotations([&](IAccPropServices& services) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_I4;
    value.lVal = role;
    services.SetHwndProp(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_ROLE,
                         value);
  });
}

void ClearAccessibleRole(HWND control) {
  WithAnnotations([&](IAccPropServices& services) {
    const MSAAPROPID properties[] = {PROPID_ACC_ROLE};
    services.ClearHwndProps(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF, properties, 1);
  });
}

}  // namespace orv::win
