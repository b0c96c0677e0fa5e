#pragma once

#include "app/module1.h"
#include "app_fixture.h"
#include "canvas.h"
#include "imaging/image_comparison.h"
#include "shell/form2.h"
#include "shell/forms.h"
#include "ui/timer.h"

#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

// The drawing window with a 4 x 3 grid over a synthetic picture, for the button flows.
namespace flows {

inline const QString kTitle = QStringLiteral("Tessal Arvendel 之图像识别");
inline const QString kReplaceTitle = QStringLiteral("Tessal Arvendel 之 图像识别");
inline const QString kNoTitle = QStringLiteral("Tessal Arvendel");
inline const QString kSaveNotice =
    QStringLiteral("将要保存的是Tessal画画的像素集合；\r\n是否继续？");
inline const QString kReplace = QStringLiteral("已经存在,要替换她吗？");
inline const QString kFirstSetNotice =
    QStringLiteral("将要导入的是图像对比所需要的第1个图像的像素集合；\r\n是否继续？");
inline const QString kCompared = QStringLiteral("已成功对比图片,并保存不同点到 了:");
inline const QString kMarkAsk = QStringLiteral(
    "是否将所有不同点画出来？是，表示用自定义的画色标记，否，用图像原来的颜色标记。");
inline const QString kHelp =
    QStringLiteral("图像采集时，请保持窗口大小不变，例如不要最小化窗口。请打开参与比较的第1幅图片，"
                   "按钮：“采集分辨率”"
                   "右边的2个文本框为图像采集的分辨率（X,"
                   "Y），不能为“0”，默认为：（800，600），左下角的文本框为“颜色比较"
                   "阀门限值”！默认为：100，默认值已经导入，请重新开始采集。");
inline const QString kBusy = QStringLiteral("另一个图像比较正在进行，请等它结束后再试。");

constexpr vbrt::Colour kPen = 33000;
constexpr vbrt::Colour kDesignColour = vbrt::RGB(232, 227, 174);

// The live picture: red by column, green by row.
inline vbrt::Colour live(int c, int r) {
    return vbrt::RGB(10 + 40 * c, 20 + 50 * r, 30);
}

// The picture sampled as a set file (what a capture of it writes, without the tail line).
inline const QByteArray kLiveSet = "1E140A\t1E460A\t1E780A\t3\r\n"
                                   "1E1432\t1E4632\t1E7832\t6\r\n"
                                   "1E145A\t1E465A\t1E785A\t9\r\n"
                                   "1E1482\t1E4682\t1E7882\t12\r\n";
// A stored set that differs from the picture at (1, 1) and (3, 2), and at (2, 0) by less
// than the threshold 100.
inline const QByteArray kStoredSet = "1E140A\t1E460A\t1E780A\t3\r\n"
                                     "1E1432\tFFFFFF\t1E7832\t6\r\n"
                                     "1E1490\t1E465A\t1E785A\t9\r\n"
                                     "1E1482\t1E4682\t000000\t12\r\n\r\n";
inline const QByteArray kLiveAgainstStored = "*\t*\t*\t3\r\n"
                                             "*\tffffff\t*\t6\r\n"
                                             "*\t*\t*\t9\r\n"
                                             "*\t*\t000000\t12\r\n";

// Records, at every tick while a flow waits, which of some controls are hidden.
class VisibilityWatch {
public:
    explicit VisibilityWatch(std::vector<ui::Control*> controls) : controls_(std::move(controls)) {
        timer_.setInterval(100);
        timer_.onTimer = [this] {
            bool all = true;
            for (ui::Control* c : controls_)
                all = all && !c->Visible();
            allHiddenSeen_ = allHiddenSeen_ || all;
        };
    }
    bool allHiddenSeen() const { return allHiddenSeen_; }

private:
    std::vector<ui::Control*> controls_;
    ui::Timer timer_;
    bool allHiddenSeen_ = false;
};

// Runs an action once, the first time the flow waits past `afterSeconds`.
class DuringWait {
public:
    DuringWait(double afterSeconds, std::function<void()> action) : action_(std::move(action)) {
        timer_.setInterval(int(afterSeconds * 1000));
        timer_.onTimer = [this] {
            timer_.setEnabled(false);
            action_();
        };
    }

private:
    std::function<void()> action_;
    ui::Timer timer_;
};

class FlowTest : public testing_support::AppTest {
protected:
    using AppTest::AppTest;
    void SetUp() override {
        AppTest::SetUp();
        prepareWindow();
    }
    void prepareWindow() {
        shell::Form2& f = f2();
        canvas::size(f.Picture1);
        canvas::paint(f.Picture1, live);
        f.Picture1.setAutoRedraw(false);
        f.Text1(2).setText(QStringLiteral("4"));
        f.Text1(3).setText(QStringLiteral("3"));
        f.Text2.setText(QStringLiteral("100"));
        for (ui::CommandButton* b : {&f.Command11, &f.Command9}) {
            b->setCaption(QStringLiteral("图像采集"));
            b->setBackColor(kDesignColour);
        }
        f.penColor = kPen;
    }
    shell::Form2& f2() { return shell::form2(); }
    app::LineTable& lines() { return app::module1().lines; }
    QString calc() { return path(QStringLiteral("caculator.txt")); }
    std::vector<vbrt::Colour> probes() {
        std::vector<vbrt::Colour> out;
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 3; ++r)
                out.push_back(canvas::probe(f2().Picture1, c, r));
        return out;
    }
    // The picture's colours with some grid points changed.
    static std::vector<vbrt::Colour>
    liveWith(std::initializer_list<std::pair<int, vbrt::Colour>> at) {
        std::vector<vbrt::Colour> out;
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 3; ++r)
                out.push_back(live(c, r));
        for (const auto& [i, colour] : at)
            out[size_t(i)] = colour;
        return out;
    }
    static int at(int c, int r) { return 3 * c + r; }
    bool allVisible(std::initializer_list<ui::Control*> controls) {
        for (ui::Control* c : controls)
            if (!c->Visible())
                return false;
        return true;
    }
};

} // namespace flows
