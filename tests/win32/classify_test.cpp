// classifyTarget against real windows and common controls of another process.
#include <gtest/gtest.h>

#include "engine/classify.h"
#include "tests/testapp/launch.h"

namespace {
class RealClassify : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { app = startTestApp(); }
  static void TearDownTestSuite() { stopTestApp(app); }
  void SetUp() override { ASSERT_TRUE(app.main && app.plain) << "test application did not start"; }

  static HWND control(int id) { return GetDlgItem(app.main, id); }
  // A point of a control, asked of the test application, in screen coordinates.
  static POINT pointOf(int id, int part) {
    LRESULT packed = SendMessageA(app.main, TESTAPP_WM_POINT, id, part);
    POINT p = {static_cast<short>(LOWORD(packed)), static_cast<short>(HIWORD(packed))};
    ClientToScreen(control(id), &p);
    return p;
  }
  static POINT centreOf(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  static TestAppProcess app;
};
TestAppProcess RealClassify::app;
}  // namespace

TEST_F(RealClassify, CrossProcessListAndTreeViewHitTests) {
  struct { int id; int part; int32_t kind; } cases[] = {
      {kTestListView, kTestPointItemLabel, 25},
      {kTestListView, kTestPointEmpty, 23},
      {kTestTreeView, kTestPointItemLabel, 43},
      {kTestTreeView, kTestPointEmpty, 39},
      {kTestTreeView, kTestPointRightOfItem, 44},
  };
  for (auto c : cases) {
    POINT p = pointOf(c.id, c.part);
    EXPECT_EQ(classifyTarget(control(c.id), HTCLIENT, p.x, p.y), c.kind) << c.id << "/" << c.part;
  }
}

TEST_F(RealClassify, ControlsByClassAndStyle) {
  struct { int id; int32_t kind; } cases[] = {
      {kTestVScrollBar, 81}, {kTestHScrollBar, 80}, {kTestPushButton, 58},
      {kTestCheckBox, 59},   {kTestRadioButton, 60}, {kTestEdit, 63},
  };
  for (auto c : cases) {
    POINT p = centreOf(control(c.id));
    EXPECT_EQ(classifyTarget(control(c.id), HTCLIENT, p.x, p.y), c.kind) << c.id;
  }
}

TEST_F(RealClassify, UnknownClassByItsOwnHitTest) {
  RECT window, client;
  GetWindowRect(app.plain, &window);
  GetClientRect(app.plain, &client);
  POINT origin = {0, 0};
  ClientToScreen(app.plain, &origin);
  const int bar = GetSystemMetrics(SM_CXVSCROLL);
  struct { const char* where; POINT at; int32_t code; int32_t kind; } cases[] = {
      {"caption", {window.left + 60, (window.top + origin.y) / 2}, HTCAPTION, 10},
      {"client", {origin.x + 20, origin.y + 20}, HTCLIENT, 20},
      {"vertical bar", {origin.x + client.right + bar / 2, origin.y + client.bottom / 2}, HTVSCROLL, 12},
      {"horizontal bar", {origin.x + client.right / 2, origin.y + client.bottom + bar / 2}, HTHSCROLL, 11},
  };
  for (auto c : cases) {
    LRESULT code = SendMessageA(app.plain, WM_NCHITTEST, 0, MAKELPARAM(c.at.x, c.at.y));
    EXPECT_EQ(code, c.code) << c.where;
    EXPECT_EQ(classifyTarget(app.plain, static_cast<int32_t>(code), c.at.x, c.at.y), c.kind) << c.where;
  }
}
