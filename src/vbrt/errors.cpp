#include "vbrt/errors.h"

namespace vbrt {

RuntimeError::RuntimeError(int number, const QString& description)
    : std::runtime_error(description.toStdString()), number_(number), description_(description) {}

QString errorDescription(int number) {
    switch (number) {
    case ErrInvalidCall:
        return QStringLiteral("Invalid procedure call or argument");
    case ErrOverflow:
        return QStringLiteral("Overflow");
    case ErrSubscript:
        return QStringLiteral("Subscript out of range");
    case ErrDivisionByZero:
        return QStringLiteral("Division by zero");
    case ErrTypeMismatch:
        return QStringLiteral("Type mismatch");
    case ErrFileNotFound:
        return QStringLiteral("File not found");
    case ErrPathAccess:
        return QStringLiteral("Path/File access error");
    case ErrPathNotFound:
        return QStringLiteral("Path not found");
    case ErrInvalidPicture:
        return QStringLiteral("Invalid picture");
    case ErrDialogCancel:
        return QStringLiteral("Cancel was selected");
    default:
        return QStringLiteral("Application-defined or object-defined error");
    }
}

void raise(int number) {
    throw RuntimeError(number, errorDescription(number));
}

} // namespace vbrt
