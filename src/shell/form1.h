#pragma once

#include "windows/form1_controls.h"

#include <QDate>
#include <memory>

namespace shell {

class Calculator;
class VideoPlayer;

// The main window: launcher, parameter panel, drop calculator, picture, colour and video tools.
// Its controls and design are its Form1Controls; the calculator and the video player wire the
// controls they work to their own handlers.
class Form1 : public windows::Form1Controls {
public:
    Form1();
    ~Form1() override;

private:
    // The subsystems of the window, made after every control in the order below and gone
    // before the controls; the references name them.
    struct Subsystems;
    std::unique_ptr<Subsystems> subsystems_;

public:
    Calculator& calculator;
    VideoPlayer& video;

    void Form_Load() override;
    void Form_QueryUnload(int& cancel, int unloadMode) override;
    void Form_Unload(int& cancel) override;
    void Form_Click() override;

    // The quit question of the main window and the browser window, asked at most once a run.
    enum class QuitAnswer {
        EndNow,   // exitWithoutAsking: the program ended without any close handling
        Stay,     // No: the closing window stays open
        Yes,      // asked just now and agreed
        Confirmed // asked before (or the alarm point was closed): close without asking
    };
    QuitAnswer quitQuestion();
    // Before the quit: true when the alarm point's log is kept, or when the user, told that it
    // can be kept nowhere, still wants to quit.
    bool alarmPointLogLetGo();
    // The desktop ends the program (a logout, a shut-down, a service manager): the windows go
    // in the order of the quit, each through its own close, without the question, and the
    // program ends.
    void endSession();

    // Picture and colour tools.
    void Command3_Click(int index);
    void Command4_Click(int index);
    void Command5_Click();
    void Command6_Click(int index);
    void Command7_Click();
    void Label1_Click(int index);
    void VScroll1_Change(int index);
    void Timer1_Timer();
    // The caption the clock shows on `date`.
    static QString clockCaption(const QDate& date);

    // Launchers.
    void Command8_Click();
    void Command9_Click();
    void Command10_Click();
    void Command11_Click();
    void Command12_Click();
    void Command13_Click();
    void Image1_Click();

private:
    // Moves the whole text of `source` to the end of `backup` and leaves `source` empty. What
    // cannot be moved is left as it was and noted for the run log.
    void rotate(const QString& source, const QString& backup);

    // Saves the picture under a name chosen in the save dialog.
    void savePicture();
    // Saves the picture under this name; a failed write says why.
    void savePictureTo(const QString& name);
};

} // namespace shell
