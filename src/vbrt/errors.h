#pragma once

#include <QString>
#include <stdexcept>

namespace vbrt {

// Run-time error numbers the program reacts to.
enum ErrorNumber : int {
    ErrInvalidCall = 5,      // invalid procedure call or argument
    ErrOverflow = 6,         //
    ErrSubscript = 9,        // subscript out of range
    ErrDivisionByZero = 11,  //
    ErrTypeMismatch = 13,    //
    ErrFileNotFound = 53,    //
    ErrPathAccess = 75,      // path/file access error
    ErrPathNotFound = 76,    //
    ErrInvalidPicture = 481, // the clipboard or file holds no picture
    ErrDialogCancel = 32755, // a common dialog was cancelled with cancel-raises-error on
};

// A run-time error raised to the caller; handlers that skip failing statements catch it.
class RuntimeError : public std::runtime_error {
public:
    RuntimeError(int number, const QString& description);
    int number() const { return number_; }
    QString description() const { return description_; }

private:
    int number_;
    QString description_;
};

// The standard description of an error number ("Overflow" for 6).
QString errorDescription(int number);
[[noreturn]] void raise(int number);

// Runs one statement, swallowing a run-time error: the "skip the failing statement and go on"
// regions of the program. Returns false when the statement failed.
template <typename F> bool skipOnError(F&& statement) {
    try {
        statement();
        return true;
    } catch (const RuntimeError&) {
        return false;
    }
}

} // namespace vbrt
