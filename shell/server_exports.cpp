// The library's entry points: Explorer asks for the class factory by class id
// and asks from time to time whether the library may be unloaded.
#include <windows.h>
#include <unknwn.h>

#include "shell/factory.h"
#include "shell/server_class_id.h"
#include "shell/server_counts.h"
#include "shell/server_directory.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    SetServerModule(instance);
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualCLSID(rclsid, kServerClassId)) return CLASS_E_CLASSNOTAVAILABLE;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IClassFactory)) return E_NOINTERFACE;
  Factory::instance.AddRef();
  *ppv = static_cast<IClassFactory*>(&Factory::instance);
  return S_OK;
}

STDAPI DllCanUnloadNow() { return ServerInUse() ? S_FALSE : S_OK; }
