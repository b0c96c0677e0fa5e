#pragma once

#include "platform/page_files.h"

#include <QPointer>
#include <QString>

class QTextBrowser;
class QUrl;
class QWidget;

namespace platform {

// The embedded web browser control, reduced to what can be shown without a network: local
// HTML and text files and local pictures, and the local pictures and style sheets a page names,
// all read through the program's reader, each file once a page (PageFiles). Any other address
// gets a short page saying why it cannot be shown. The caller places and sizes widget().
class WebBrowser {
public:
    explicit WebBrowser(QWidget* parent);
    ~WebBrowser();
    WebBrowser(const WebBrowser&) = delete;
    WebBrowser& operator=(const WebBrowser&) = delete;

    void Navigate(const QString& address);
    // The address shown: a file:// URL for a local file, otherwise the address as given.
    QString LocationURL() const { return location_; }
    QTextBrowser* widget() const { return view_; }

private:
    void showExplanation(const QString& address, const QString& reason);
    bool showFile(const QString& path, QString& reason);
    void followLink(const QUrl& link);

    PageFiles files_; // before the view, which reads through it
    QPointer<QTextBrowser> view_;
    QString location_;
    QString currentFile_; // the local file shown, for links relative to it
};

} // namespace platform
