#pragma once

namespace ui {

// The look of the Chinese desktop the program was made for: its font, and Qt's own texts in
// Chinese (dialog buttons read 是 / 否 / 确定 / 取消). Call once, after the application object
// exists.
void useChineseDesktop();

} // namespace ui
