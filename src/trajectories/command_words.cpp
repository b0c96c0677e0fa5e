#include "trajectories/command_words.h"

#include "app/module1.h"
#include "ui/picture_file.h"
#include "vbrt/convert.h"
#include "vbrt/errors.h"
#include "windows/form2_controls.h"

#include <QDir>
#include <algorithm>
#include <cmath>

namespace trajectories {

namespace {
const QString kReplay = QStringLiteral("auto");
const QString kFastReplay = QStringLiteral("autoplay");
const QString kSlideshow = QStringLiteral("autolook");
constexpr int kEnter = 13;
const QString kPreviewIdle = QStringLiteral("图像预览");
const QString kPreviewRunning = QStringLiteral("停止预览");
constexpr int kPreviewButton = 20;
// The box the slideshow shows its next index in, and a listing takes its start from.
constexpr int kStartBox = 2;

// Timers of the modes the words start.
enum ModeTimer {
    kSlideshowStep = 1,
    kRainScene = 2,
    kReplayStart = 8,
    kReplayStep = 9,
    kFastReplayStart = 10,
    kFastReplayStep = 11,
    kFolderListing = 12,
};

// The files of a folder, hidden ones too, without its sub-folders. Name order, since a folder
// here has no order of its own; none when there is no folder to read.
QStringList folderFiles(const QString& folder) {
    if (folder.isEmpty())
        return {};
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}
} // namespace

CommandWords::CommandWords(windows::Form2Controls& form) : f_(form) {
    f_.Text2.onClick = [this] { Text2_Click(); };
    f_.Text2.onKeyPress = [this](int& keyAscii) { Text2_KeyPress(keyAscii); };
}

void CommandWords::Text2_Click() {
    const QString word = f_.Text2.Text();
    const auto timer = [this](int i, bool on) { f_.Timer(i).setEnabled(on); };
    timer(kRainScene, false);
    if (word == kReplay) {
        timer(kReplayStart, true);
    } else {
        timer(kReplayStart, false);
        timer(kReplayStep, false);
    }
    if (word == kSlideshow) {
        timer(kFolderListing, true);
    } else {
        timer(kFolderListing, false);
        timer(kSlideshowStep, false);
    }
    if (word == kFastReplay) {
        timer(kFastReplayStart, true);
    } else {
        timer(kFastReplayStart, false);
        timer(kFastReplayStep, false);
        app::module1().fastPlot = false;
    }
    f_.Text2.setText(QString());
}

void CommandWords::Text2_KeyPress(int& keyAscii) {
    // The text as it was before this key.
    const QString word = f_.Text2.Text();
    if (keyAscii == kEnter)
        f_.Timer(kReplayStart).setEnabled(word == kReplay);
    f_.Timer(kFolderListing).setEnabled(word == kSlideshow);
}

Slideshow::Slideshow(windows::Form2Controls& form) : f_(form) {
    f_.Timer(kSlideshowStep).onTimer = [this] { Timer1_Timer(); };
    f_.Timer(kFolderListing).onTimer = [this] { Timer12_Timer(); };
}

void Slideshow::togglePreview() {
    ui::CommandButton& button = f_.Command1(kPreviewButton);
    if (button.Caption() == kPreviewIdle) {
        button.setCaption(kPreviewRunning);
        f_.Timer(kFolderListing).setEnabled(true);
        return;
    }
    button.setCaption(kPreviewIdle);
    f_.Timer(kFolderListing).setEnabled(false);
    f_.Timer(kSlideshowStep).setEnabled(false);
}

void Slideshow::Timer12_Timer() {
    // A timer's tick never runs inside its own: the ticks that come due while the dialog is
    // open pass, and no second dialog opens over it.
    const ui::Opening opening(f_);
    ui::CommonDialog& dialog = f_.CommonDialog1;
    dialog.Filter = windows::Form2Controls::kPictureFilter;
    dialog.CancelError = true;
    dialog.FileName = QString();
    vbrt::skipOnError([&] { dialog.ShowOpen(); });
    if (!opening.alive())
        return;
    const QString picked = dialog.FileName;
    // Cancelled: the dialog comes back at the next tick, until the preview is stopped.
    if (picked.isEmpty())
        return;

    const qsizetype cut = std::max(picked.lastIndexOf(u'/'), picked.lastIndexOf(u'\\'));
    const QString folder = picked.left(cut + 1);
    pictureCount = 0;
    for (const QString& name : folderFiles(folder)) {
        if (pictureCount < kPictureListSize)
            pictureList[size_t(pictureCount)] = folder + name;
        pictureCount += 1;
        if (name.contains(u'$'))
            break;
    }

    f_.Timer(kFolderListing).setEnabled(false);
    f_.Timer(kSlideshowStep).setEnabled(true);
    const QString start = f_.Text1(kStartBox).Text();
    if (vbrt::IsNumeric(start))
        pictureIndex = vbrt::CDbl(start);
    if (pictureIndex > pictureCount)
        pictureIndex = 0;
}

void Slideshow::Timer1_Timer() {
    // Entries 0 to count - 1 are the listing's; a negative start shows from the first.
    double index = std::max(pictureIndex, 0.0);
    const auto entry = [&] { return std::nearbyint(index); };
    const double count = std::min<double>(pictureCount, kPictureListSize);
    if (entry() >= count) {
        f_.Timer(kSlideshowStep).setEnabled(false);
        return;
    }

    // A listed file that is no picture (the listing takes every file) is passed over.
    QString file;
    QImage picture;
    for (; entry() < count; index += 1) {
        file = pictureList[int(entry())];
        picture = file.isEmpty() ? QImage() : ui::LoadPicture(file);
        if (!picture.isNull())
            break;
    }
    pictureIndex = index;
    if (picture.isNull()) {
        f_.Timer(kSlideshowStep).setEnabled(false);
        f_.Text1(2).setText(vbrt::CStr(pictureIndex));
        return;
    }

    f_.setCaption(QStringLiteral("Dorvel 画画         ") + file);
    ui::PictureBox& canvas = f_.Picture1;
    canvas.setAutoRedraw(true);
    // The canvas keeps its height and takes the proportions of the picture holder, which
    // takes the picture's own unless it stretches.
    f_.Image1.setPicture(picture);
    const double ratio = double(f_.Image1.Width()) / f_.Image1.Height();
    canvas.setWidth(qRound(float(canvas.Height() * ratio)));
    canvas.Scale(0, 0, canvas.Width(), canvas.Height());
    canvas.PaintPicture(f_.Image1.Picture(), 0, 0, canvas.Width(), canvas.Height());
    canvas.Refresh();
    canvas.setAutoRedraw(false);
    pictureIndex += 1;
    f_.Text1(2).setText(vbrt::CStr(pictureIndex));
}

} // namespace trajectories
