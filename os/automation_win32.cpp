// The UI Automation side of the seam of os/os.h: the flat client API of uiautomationcore.dll,
// loaded at run time (MinGW's headers lack it, and its COM client class is not registered
// everywhere).
#include "os/os.h"

#include <oleauto.h>

namespace {
DECLARE_HANDLE(HUIANODE);
struct UiaCondition {
  int type;
};
struct UiaPropertyCondition {
  int type;
  int property;
  VARIANT value;
  int flags;
};
struct UiaFindParams {
  int maxDepth;
  BOOL findFirst;
  BOOL excludeRoot;
  UiaCondition* condition;
};
struct UiaCacheRequest {
  UiaCondition* view;
  int scope;
  int* properties;
  int propertyCount;
  int* patterns;
  int patternCount;
  int elementMode;
};
const int kConditionTrue = 0, kConditionProperty = 2, kTreeScopeElement = 1, kElementModeFull = 1;
const int kAutomationIdProperty = 30011, kBoundingRectangleProperty = 30001;
HMODULE automationCore() {
  static const HMODULE core =
      LoadLibraryExW(L"uiautomationcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return core;
}
template <typename Function>
Function automationFunction(const char* name) {
  const HMODULE core = automationCore();
  return core ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(core, name)))
              : nullptr;
}

// The screen rectangle of the first element under window whose automation id matches.
bool automationElementRect(HWND window, const wchar_t* automationId, RECT* rect) {
  auto nodeFromHandle = automationFunction<HRESULT(WINAPI*)(HWND, HUIANODE*)>("UiaNodeFromHandle");
  auto find = automationFunction<HRESULT(WINAPI*)(
      HUIANODE, UiaFindParams*, UiaCacheRequest*, SAFEARRAY**, SAFEARRAY**, SAFEARRAY**)>("UiaFind");
  auto nodeFromVariant =
      automationFunction<HRESULT(WINAPI*)(VARIANT*, HUIANODE*)>("UiaHUiaNodeFromVariant");
  auto propertyValue =
      automationFunction<HRESULT(WINAPI*)(HUIANODE, int, VARIANT*)>("UiaGetPropertyValue");
  auto release = automationFunction<BOOL(WINAPI*)(HUIANODE)>("UiaNodeRelease");
  HUIANODE root = nullptr;
  if (!nodeFromHandle || !find || !nodeFromVariant || !propertyValue || !release ||
      FAILED(nodeFromHandle(window, &root)) || !root)
    return false;
  UiaPropertyCondition byId = {kConditionProperty, kAutomationIdProperty, {}, 0};
  V_VT(&byId.value) = VT_BSTR;
  V_BSTR(&byId.value) = SysAllocString(automationId);
  UiaCondition rawView = {kConditionTrue};
  UiaFindParams params = {-1, TRUE, TRUE, reinterpret_cast<UiaCondition*>(&byId)};
  UiaCacheRequest request = {&rawView, kTreeScopeElement, nullptr, 0, nullptr, 0, kElementModeFull};
  SAFEARRAY *found = nullptr, *offsets = nullptr, *trees = nullptr;
  bool got = false;
  VARIANT first, bounds;
  VariantInit(&first);
  VariantInit(&bounds);
  LONG firstIndex[2] = {0, 0};
  HUIANODE element = nullptr;
  if (SUCCEEDED(find(root, &params, &request, &found, &offsets, &trees)) && found &&
      SUCCEEDED(SafeArrayGetElement(found, firstIndex, &first)) &&
      SUCCEEDED(nodeFromVariant(&first, &element)) && element &&
      SUCCEEDED(propertyValue(element, kBoundingRectangleProperty, &bounds)) &&
      V_VT(&bounds) == (VT_ARRAY | VT_R8) && V_ARRAY(&bounds)->rgsabound[0].cElements == 4) {
    double* edges = nullptr;  // left, top, width, height
    if (SUCCEEDED(SafeArrayAccessData(V_ARRAY(&bounds), reinterpret_cast<void**>(&edges)))) {
      *rect = {LONG(edges[0]), LONG(edges[1]), LONG(edges[0] + edges[2]),
               LONG(edges[1] + edges[3])};
      got = rect->right > rect->left && rect->bottom > rect->top;
      SafeArrayUnaccessData(V_ARRAY(&bounds));
    }
  }
  if (element) release(element);
  VariantClear(&bounds);
  VariantClear(&first);
  SAFEARRAY* results[] = {found, offsets, trees};
  for (SAFEARRAY* array : results)
    if (array) SafeArrayDestroy(array);
  VariantClear(&byId.value);
  release(root);
  return got;
}

}  // namespace

bool osAutomationElementRect(HWND window, const char* automationId, RECT* rect) {
  wchar_t id[64] = {};
  if (!MultiByteToWideChar(CP_UTF8, 0, automationId, -1, id, sizeof id / sizeof id[0] - 1))
    return false;
  // The caller's own thread, which holds no COM apartment of its own.
  const bool comReady = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
  const bool found = automationElementRect(window, id, rect);
  if (comReady) CoUninitialize();
  return found;
}
