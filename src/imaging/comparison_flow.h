#pragma once

#include "app/line_table.h"
#include "app/module1.h"
#include "vbrt/apppath.h"
#include "vbrt/file_reader.h"

#include <QString>

// What the image comparison's flows (image_comparison.cpp and the files beside it) share: the
// texts and colours more than one of them shows, the line table they work on and the file of
// differences. A text only one flow shows stays at the top of its file.
namespace imaging::flow {

inline const QString kTitle = QStringLiteral("Tessal Arvendel 之图像识别");
// The captions and colours of a switch button: it captures first, then compares.
inline const QString kCapture = QStringLiteral("图像采集");
inline const QString kCompare = QStringLiteral("图像对比");
constexpr int kCompareColour = 39321; // 65535 x 0.6
constexpr int kCaptureColour = 39168; // 65280 x 0.6
inline const QString kTooManyLines =
    QStringLiteral("目前，记录行已经超过软件所设定的阀值：%1条，请重试。");

// Our own message for a set file that could not be read, and why.
inline QString setUnreadable(const QString& path, const QString& why) {
    return vbrt::readFailedMessage(path, why, QStringLiteral("无法读取像素集合文件："));
}

inline app::LineTable& lines() {
    return app::module1().lines;
}

inline QString differencePath() {
    return vbrt::appFile(QStringLiteral("\\caculator.txt"));
}

} // namespace imaging::flow
