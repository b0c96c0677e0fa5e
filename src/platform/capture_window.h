#pragma once

#include "platform/capture_driver.h"

#include <QString>
#include <QtGlobal>

class QWidget;

namespace platform {

// Window styles the capture window looks at.
constexpr long WS_CHILD = 0x40000000;
constexpr long WS_VISIBLE = 0x10000000;

// Messages a capture window answers, by the numbers the program sends.
constexpr int WM_CAP_DRIVER_CONNECT = 1034;    // wParam: driver (camera) number
constexpr int WM_CAP_DRIVER_DISCONNECT = 1035; //
constexpr int WM_CAP_EDIT_COPY = 1054;         // last grabbed frame -> picture clipboard
constexpr int WM_CAP_SET_PREVIEW = 1074;       // wParam: non-zero = on
constexpr int WM_CAP_SET_PREVIEWRATE = 1076;   // wParam: milliseconds between preview frames
constexpr int WM_CAP_SET_SCALE = 1077;         // wParam: non-zero = stretch preview to window
constexpr int WM_CAP_GRAB_FRAME = 1084;        //

// Creates a capture window as a child of `parent` (destroyed with it) and returns its handle,
// never 0. The window shows the preview only when `style` has WS_VISIBLE and preview is on.
// Without a parent the window is top-level and lives until destroyCaptureWindow() or the end
// of the application.
qintptr capCreateCaptureWindowA(const QString& name, long style, int x, int y, int width,
                                int height, QWidget* parent, int id);

// Answers the WM_CAP_* messages above; 0 for an unknown window or message.
//  DRIVER_CONNECT      1 when the driver opened (a connected driver is replaced), else 0
//  DRIVER_DISCONNECT   1 when a driver was connected
//  SET_SCALE, SET_PREVIEWRATE, SET_PREVIEW
//                      the setting is kept either way; 1 while a driver is connected
//  GRAB_FRAME          1 when a frame was grabbed; a failed grab leaves no frame behind
//  EDIT_COPY           1 when a frame went to the picture clipboard; without a frame the
//                      clipboard is emptied and 0 returned
// lParam is not used by any of them.
long SendMessage(qintptr hwnd, int msg, long wParam, long lParam);

// Closes the window's driver and destroys the window. False for an unknown handle.
bool destroyCaptureWindow(qintptr hwnd);

// The window's widget (for placing or inspecting it), or nullptr once it is gone.
QWidget* captureWindowWidget(qintptr hwnd);

} // namespace platform
