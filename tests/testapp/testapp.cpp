// A test application: real windows and common controls in a process of their own.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "tests/testapp/testapp.h"

namespace {
HWND mainWindow;

HWND addControl(const char* cls, DWORD style, int id, int x, int y, int w, int h) {
  return CreateWindowExA(0, cls, "", WS_CHILD | WS_VISIBLE | style, x, y, w, h, mainWindow,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleA(nullptr), nullptr);
}

void fillListView(HWND list) {
  LVCOLUMNA column = {};
  column.mask = LVCF_WIDTH | LVCF_TEXT;
  column.cx = 120;
  column.pszText = const_cast<char*>("Name");
  SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
  for (int i = 0; i < 3; ++i) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = const_cast<char*>("Item");
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
  }
}

HTREEITEM fillTreeView(HWND tree) {
  TVINSERTSTRUCTA insert = {};
  insert.hParent = TVI_ROOT;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT;
  insert.item.pszText = const_cast<char*>("Root");
  HTREEITEM root = reinterpret_cast<HTREEITEM>(
      SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
  insert.hParent = root;
  insert.item.pszText = const_cast<char*>("Child");
  SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert));
  return root;
}

LRESULT pointOf(int id, int part) {
  HWND control = GetDlgItem(mainWindow, id);
  RECT r = {};
  if (id == kTestListView) {
    r.left = LVIR_LABEL;
    SendMessageA(control, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
  } else if (id == kTestTreeView) {
    HTREEITEM root = reinterpret_cast<HTREEITEM>(SendMessageA(control, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    std::memcpy(&r, &root, sizeof root);  // TVM_GETITEMRECT takes the item in the rectangle
    SendMessageA(control, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r));
  }
  RECT client;
  GetClientRect(control, &client);
  switch (part) {
    case kTestPointItemLabel: return MAKELONG((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    case kTestPointRightOfItem: return MAKELONG(r.right + 10, (r.top + r.bottom) / 2);
    default: return MAKELONG(client.right / 2, client.bottom - 5);
  }
}

LRESULT CALLBACK mainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case TESTAPP_WM_POINT: return pointOf(static_cast<int>(wParam), static_cast<int>(lParam));
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

void createWindows(HINSTANCE instance) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = mainProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = TESTAPP_CLASS;
  RegisterClassA(&wc);
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = TESTAPP_PLAIN_CLASS;
  RegisterClassA(&wc);

  mainWindow = CreateWindowExA(0, TESTAPP_CLASS, "Qor test application",
                               WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr,
                               instance, nullptr);
  fillListView(addControl(WC_LISTVIEWA, LVS_REPORT, kTestListView, 10, 10, 200, 150));
  fillTreeView(addControl(WC_TREEVIEWA, TVS_HASBUTTONS | TVS_LINESATROOT, kTestTreeView, 220, 10,
                          200, 150));
  addControl("ScrollBar", SBS_VERT, kTestVScrollBar, 430, 10, 20, 150);
  addControl("ScrollBar", SBS_HORZ, kTestHScrollBar, 10, 170, 200, 20);
  addControl("Button", BS_PUSHBUTTON, kTestPushButton, 10, 200, 80, 24);
  addControl("Button", BS_AUTOCHECKBOX, kTestCheckBox, 100, 200, 80, 24);
  addControl("Button", BS_AUTORADIOBUTTON, kTestRadioButton, 190, 200, 80, 24);
  addControl("Edit", WS_BORDER, kTestEdit, 10, 240, 200, 24);

  CreateWindowExA(0, TESTAPP_PLAIN_CLASS, "Plain", WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL |
                  WS_VISIBLE, 660, 0, 300, 300, nullptr, nullptr, instance, nullptr);
}
}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  createWindows(instance);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
