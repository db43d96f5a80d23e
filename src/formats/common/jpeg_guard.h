// libjpeg's error handling made safe for C++: fatal library errors jump back to the
// guarded call that armed the manager, which answers the library's message code and
// keeps its text; the caller turns them into an exception. Shared by every user of libjpeg in the program.
#pragma once

#include <csetjmp>
#include <cstdio>
#include <functional>

// libjpeg's header expects size_t and FILE to be declared first.
#include <jerror.h>
#include <jpeglib.h>

namespace pictorand {

struct TJpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    int code;
    // The library's own text of the fatal error, formatted with its parameters.
    char text[JMSG_LENGTH_MAX];
    void (*libraryFormat)(j_common_ptr info, char* buffer);
    // Called for every warning with context and the library's object, whose message code
    // says which; null to discard them.
    void (*warn)(void* context, j_common_ptr info);
    void* context;
};

extern "C" inline void PictorandJpegErrorExit(j_common_ptr info) {
    auto* manager = reinterpret_cast<TJpegErrorManager*>(info->err);
    manager->code = info->err->msg_code;
    manager->libraryFormat(info, manager->text);
    std::longjmp(manager->jump, 1);
}
extern "C" inline void PictorandJpegEmitMessage(j_common_ptr info, int level) {
    auto* manager = reinterpret_cast<TJpegErrorManager*>(info->err);
    if (level < 0 && manager->warn) manager->warn(manager->context, info);
}
// A refusal of the program's own, with its text, which ends the library call as an error
// would; JpegGuarded answers RefusedCode for it.
inline constexpr int RefusedCode = -2;
inline void RefuseJpeg(j_common_ptr info, const char* text) {
    auto* manager = reinterpret_cast<TJpegErrorManager*>(info->err);
    manager->code = RefusedCode;
    std::snprintf(manager->text, sizeof manager->text, "%s", text);
    std::longjmp(manager->jump, 1);
}

extern "C" inline void PictorandJpegOutputMessage(j_common_ptr) {}
extern "C" inline void PictorandJpegFormatMessage(j_common_ptr, char*) {}
extern "C" inline void PictorandJpegResetErrorManager(j_common_ptr info) {
    info->err->msg_code = 0;
    info->err->num_warnings = 0;
}

inline void InstallJpegErrorManager(TJpegErrorManager& manager) {
    jpeg_std_error(&manager.pub);
    manager.libraryFormat = manager.pub.format_message;
    manager.text[0] = '\0';
    manager.pub.error_exit = PictorandJpegErrorExit;
    manager.pub.emit_message = PictorandJpegEmitMessage;
    manager.pub.output_message = PictorandJpegOutputMessage;
    manager.pub.format_message = PictorandJpegFormatMessage;
    manager.pub.reset_error_mgr = PictorandJpegResetErrorManager;
    manager.code = 0;
    manager.warn = nullptr;
    manager.context = nullptr;
}

// Runs a step of plain library calls with the manager armed; answers the library's
// message code, or 0. The step must own nothing that needs destruction: the jump out of
// it skips no destructor.
template <class Step>
int JpegGuarded(TJpegErrorManager& manager, Step&& step) {
    if (setjmp(manager.jump) != 0) return manager.code == 0 ? -1 : manager.code;
    step();
    return 0;
}

}  // namespace pictorand
