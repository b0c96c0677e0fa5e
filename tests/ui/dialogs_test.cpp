#include "scripted_dialogs.h"
#include "ui/dialogs.h"
#include "ui/form.h"

#include "support/error_of.h"
#include "vbrt/errors.h"

#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>

using namespace ui;
using testing_support::errorOf;
using testing_support::ScriptedDialogs;

TEST(CommonDialog, CancelRaisesOnlyWithCancelErrorAndChangesNothingOtherwise) {
    ScriptedDialogs d;
    CommonDialog dlg;
    dlg.FileName = QStringLiteral("before.txt");
    dlg.Color = 123;
    d.expectOpenFile(std::nullopt).expectColor(std::nullopt);
    dlg.ShowOpen();
    dlg.ShowColor();
    EXPECT_EQ(dlg.FileName, QStringLiteral("before.txt"));
    EXPECT_EQ(dlg.Color, 123);

    dlg.CancelError = true;
    d.expectSaveFile(std::nullopt).expectSaveFile(QStringLiteral("/tmp/a.txt"));
    EXPECT_EQ(errorOf([&] { dlg.ShowSave(); }), vbrt::ErrDialogCancel)
        << "a cancelled dialog with CancelError must raise";
    dlg.ShowSave();
    EXPECT_EQ(dlg.FileName, QStringLiteral("/tmp/a.txt"));
    d.verifyAllShown();
}

TEST(Dialogs, MessageAndInputBoxesUseTheDefaultTitleWhenNoneIsGiven) {
    ScriptedDialogs d;
    d.expectMsgBox(QStringLiteral("请输入数值！"), defaultTitle(), vbOK, vbOKOnly)
        .expectInputBox(QStringLiteral("服务器地址"), std::nullopt)
        .expectInputBox(QStringLiteral("服务器地址"), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(MsgBox(QStringLiteral("请输入数值！")), vbOK);
    EXPECT_EQ(InputBox(QStringLiteral("服务器地址")), QString()); // cancel reads as ""
    EXPECT_EQ(InputBox(QStringLiteral("服务器地址")), QStringLiteral("127.0.0.1"));
    d.verifyAllShown();
}

TEST(Dialogs, FiltersTurnIntoQtNameFilters) {
    EXPECT_EQ(qtFilter(QStringLiteral("图片 (*.jpg;*.bmp)|*.jpg;*.bmp|所有文件|*.*")),
              QStringLiteral("图片 (*.jpg *.bmp);;所有文件 (*.*)"));
    EXPECT_EQ(qtFilter(QStringLiteral("*.txt|*.txt")), QStringLiteral("*.txt (*.txt)"));
}

namespace {
class Owner : public Form {
public:
    Owner() : Form(QStringLiteral("Owner")) {}
};

// Runs `ask` with the owner window active, unloading the window while the dialog is open.
template <class Ask> void unloadWhileOpen(Ask ask) {
    Owner w;
    w.show();
    QApplication::setActiveWindow(w.window());
    if (QApplication::activeWindow() != w.window())
        GTEST_SKIP() << "this platform does not activate windows";
    QTimer::singleShot(50, [&] { w.unload(); });
    // Should the dialog survive, it is closed so that the test ends (and fails below).
    QTimer::singleShot(3000, [] {
        if (QWidget* m = QApplication::activeModalWidget())
            m->close();
    });
    ask();
    EXPECT_FALSE(w.isLoaded());
}
} // namespace

TEST(QtDialogsTest, ADialogWhoseWindowIsUnloadedWhileOpenCountsAsCancelled) {
    QtDialogs d;
    unloadWhileOpen(
        [&] { EXPECT_EQ(d.msgBox(QStringLiteral("继续？"), vbYesNo, QStringLiteral("t")), vbNo); });
    unloadWhileOpen([&] { EXPECT_EQ(d.chooseColor(255), std::nullopt); });
    unloadWhileOpen([&] { EXPECT_EQ(d.saveFile({}), std::nullopt); });
    unloadWhileOpen([&] { EXPECT_EQ(d.inputBox(QStringLiteral("地址"), {}, {}), std::nullopt); });
}
