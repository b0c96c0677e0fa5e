#pragma once

#include <QStringList>
#include <optional>

namespace ui {

// The look of the Chinese desktop the program was made for: its font, and Qt's own texts in
// Chinese (dialog buttons read 是 / 否 / 确定 / 取消). Call once, after the application object
// exists.
void useChineseDesktop();

// The families to ask for a font the program names as that desktop does (SimSun, 华文行楷):
// the name, then, where no such font is installed, the installed face that the system's font
// matching picks for Chinese text in it, the nearest it has. So the whole text, Latin letters
// and metrics too, comes from the face that draws its Chinese, not from some unrelated
// default.
QStringList fontFamilies(const QString& name);

// How a face sets a line of text, in ems: the baseline's depth below the line's top, and the
// depth below the baseline down to the next line's top.
struct LineBox {
    double ascent = 0;
    double descent = 0;
    double step() const { return ascent + descent; }
};

// The line box of a face the program names, where the toolkit knows it (the SimSun family
// steps one em a line), to keep captions laid out as the window was designed whatever face
// stands in; none for other faces.
std::optional<LineBox> namedLineBox(const QString& name);

} // namespace ui
