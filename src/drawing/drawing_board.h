#pragma once

#include "app/sample_colours.h"
#include "app/stroke_store.h"
#include "vbrt/colour.h"

#include <QString>
#include <QStringList>
#include <initializer_list>
#include <optional>

namespace windows {
class Form1Controls;
class Form2Controls;
class ParameterPanel;
} // namespace windows
namespace ui {
class Control;
}

namespace drawing {

// A line of treego.txt: every value followed by ",", then CR LF.
QString parameterRecord(const QStringList& values);
// An entry of tree.txt: the time, CR LF, the picture's file name, TAB, the values joined by
// ",", CR LF.
QString parameterLogEntry(const QString& when, const QString& picture, const QStringList& values);

// The drawing board of the drawing window: the canvas commands, the picture saves with their
// parameter records, the freehand pen and its strokes, the stroke replay and pen tools, and the
// stroke files.
class DrawingBoard {
public:
    DrawingBoard(windows::Form2Controls& form, windows::Form1Controls& main);

    // The canvas commands: 清空图像, 图像预存, 底色, 画色, 导入图像, 写字.
    void clearPicture();
    void preSavePicture();
    void paperColour();
    void penColour();
    void importPicture();
    void writeText();

    // 图像保存: the picture and the panel's values as a parameter record; savephoto: the
    // picture alone.
    void savePictureWithRecords();
    void savephoto();

    // The freehand pen: 画画 switches it, a left press starts a stroke (penDown), Timer13
    // samples it, the left release ends it.
    void huahua();
    void penDown(double x, double y);
    void Picture1_MouseMove(int button, int shift, double x, double y);
    void Picture1_MouseUp(int button, int shift, double x, double y);
    void Timer13_Timer();

    // Pen tools: 粗 / 细, the line-width question, 自动 and its replay tick, the canvas keys.
    void cxqh();
    void jiajian();
    void autop();
    void Timer14_Timer();
    void Picture1_KeyDown(int keyCode, int shift);
    void Picture1_KeyPress(int keyAscii);

    // Stroke files: 导出 and 导入.
    void outsave();
    void inputres();

    // The full-screen layouts: 全屏 and 还原 of the command row, the freehand drawing's
    // whole-screen canvas 全画屏, and the math drawing mode's 全屏.
    void fullScreen();
    void fullCanvas();
    void Command10_Click();

    // Enter on the word "se" in the fourth small box saves the plain pixel set.
    void Text1_KeyPress(int index, int& keyAscii);

    // A new opening of the window: it is not in the 全屏 layout, and the pen's counters start
    // again; the strokes stay for the replay.
    void startOfOpening();

    // Freehand strokes: the store, the stroke being drawn (the number of finished ones), the
    // last point stored in it, the next entry of the point counts and the page in use (always
    // 0).
    app::StrokeStore strokes;
    double strokeCount = 0;
    double pointCount = 0;
    double strokeLenIndex = 0;
    double pageIndex = 0;

    // 全屏 has laid the window out over the screen (还原 ends it).
    bool fullScreenOn = false;
    // The whole-screen canvas's Ctrl keys are live (until Esc leaves it).
    bool canvasKeysOn = false;
    // 全画屏 was used once: its tools stand at the screen's edge, and the next use makes the
    // bare canvas.
    bool canvasToolsAtEdge = false;
    // The colours the last plain pixel set read.
    app::SampleColours sampleColors;

private:
    // The pen switches' buttons, and their colours on and off.
    static constexpr int kPenButton = 14, kReplayButton = 15, kThicknessButton = 21;
    static constexpr vbrt::Colour kSwitchOn = 39168, kSwitchOff = 153;

    // The name to save the picture under, after the save dialog and the replace question
    // (titled `replaceTitle`); nothing when the user cancelled or declined.
    std::optional<QString> pictureSaveName(const QString& replaceTitle);
    bool savePicture(const QString& name);
    bool appendRecords(const QString& picture);
    void endStroke(double x, double y);
    // Window, drawing area and picture holder to the screen's size at (0, 0).
    void sizeToScreen();
    void enterFullScreen();
    void restoreFromFullScreen();
    // The whole-screen canvas both 全画屏 and the math drawing's 全屏 make, with their own
    // buttons hidden.
    void wholeScreenCanvas(std::initializer_list<ui::Control*> hidden);
    void savePlainPixelSet();
    void pickPenColour(double x, double y);

    windows::Form2Controls& f_;
    // The main window: its colour buttons and their dialog, and its parameter panel.
    windows::Form1Controls& main_;
    windows::ParameterPanel& panel_;
    // The stroke the replay drew last (-1 before its first tick).
    double replayCursor_ = -1;
};

} // namespace drawing
