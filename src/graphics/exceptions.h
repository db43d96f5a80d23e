// The exception classes of the engine. Every failure the engine reports is one of
// these, all rooted in Exception, which carries the message text shown to the user.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace pictorand {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// Replaces the first "%s" of a message template with the given text.
std::string FormatMessage(std::string_view pattern, std::string_view argument);
// Replaces the first "%d" of a message template with the given number.
std::string FormatMessage(std::string_view pattern, long long argument);

#define PICTORAND_EXCEPTION(Name, Base)                                   \
    class Name : public Base {                                           \
    public:                                                              \
        explicit Name(const std::string& message) : Base(message) {}     \
    }

// Streams and files.
PICTORAND_EXCEPTION(EStreamError, Exception);
PICTORAND_EXCEPTION(EReadError, EStreamError);
PICTORAND_EXCEPTION(EWriteError, EStreamError);
PICTORAND_EXCEPTION(EFOpenError, EStreamError);
PICTORAND_EXCEPTION(EFCreateError, EStreamError);
// Runtime input/output errors of typed file access (the settings file).
PICTORAND_EXCEPTION(EInOutError, Exception);
// Text-to-number conversion and assignment between unrelated image classes.
PICTORAND_EXCEPTION(EConvertError, Exception);
PICTORAND_EXCEPTION(EOutOfMemory, Exception);
PICTORAND_EXCEPTION(EZeroDivide, Exception);
// Image files and rasters.
PICTORAND_EXCEPTION(EInvalidGraphic, Exception);
PICTORAND_EXCEPTION(EInvalidGraphicOperation, Exception);
PICTORAND_EXCEPTION(EColorConversionError, Exception);
PICTORAND_EXCEPTION(EGraphicCompression, Exception);
// A value a writer would have to cut to fit its field in the file.
PICTORAND_EXCEPTION(EFieldOverflow, Exception);

#undef PICTORAND_EXCEPTION

namespace runtime_texts {
inline constexpr std::string_view ReadError = "Stream read error";
inline constexpr std::string_view WriteError = "Stream write error";
inline constexpr std::string_view ReadBeyondEnd = "Read beyond end of file";
inline constexpr std::string_view FileAccessDenied = "File access denied";
inline constexpr std::string_view FileNotFound = "File not found";
inline constexpr std::string_view DiskFull = "Disk full";
inline constexpr std::string_view FileOpenError = "Cannot open file \"%s\"";
inline constexpr std::string_view FileCreateError = "Cannot create file \"%s\"";
inline constexpr std::string_view AssignError = "Cannot assign a %s to a %s";
inline constexpr std::string_view InvalidBitmap = "Bitmap image is not valid";
inline constexpr std::string_view InvalidInteger = "'%s' is not a valid integer value";
inline constexpr std::string_view OutOfMemory = "Out of memory";
inline constexpr std::string_view ImageTooLarge = "Image is too large";
inline constexpr std::string_view ZeroDivide = "Floating point division by zero";
}  // namespace runtime_texts

}  // namespace pictorand
