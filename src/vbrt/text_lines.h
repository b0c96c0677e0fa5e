#pragma once

#include <QtGlobal>
#include <optional>

namespace vbrt {

// The lines of a text one after the other, each a view into it (QStringView or
// QByteArrayView), as the stroke file and the parameter records are read: a line ends at CR LF,
// at a CR alone or at an LF alone, and what follows the last line break is the last line, empty
// when the text ends with one. No line is copied, so a text of nothing but line breaks needs no
// memory beyond its own.
template <typename View> class TextLines {
public:
    explicit TextLines(View text) : text_(text) {}

    // The next line; nothing once the text is done.
    std::optional<View> next() {
        if (from_ > text_.size())
            return std::nullopt;
        qsizetype end = from_;
        while (end < text_.size() && text_[end] != u'\r' && text_[end] != u'\n')
            ++end;
        const View line = text_.sliced(from_, end - from_);
        const bool crLf = end + 1 < text_.size() && text_[end] == u'\r' && text_[end + 1] == u'\n';
        from_ = end + (crLf ? 2 : 1);
        return line;
    }

private:
    View text_;
    qsizetype from_ = 0;
};

} // namespace vbrt
