// What the Windows tests and the test application agree on.
#pragma once

#define TESTAPP_CLASS "QorTestApp"
#define TESTAPP_PLAIN_CLASS "QorTestPlain"

// Child control ids of the main test window.
enum {
  kTestListView = 101,
  kTestTreeView = 102,
  kTestVScrollBar = 103,
  kTestHScrollBar = 104,
  kTestPushButton = 105,
  kTestCheckBox = 106,
  kTestRadioButton = 107,
  kTestEdit = 108,
};

// Sent to the main test window: wParam a control id, lParam a kTestPoint* part. Answers a
// point in that control's client coordinates as MAKELONG(x, y), computed in the test
// application's own process.
#define TESTAPP_WM_POINT (WM_APP + 1)
enum { kTestPointItemLabel = 0, kTestPointEmpty = 1, kTestPointRightOfItem = 2 };
